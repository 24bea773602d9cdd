#pragma once
#include <QString>
#include <QVariant>

// The rows a master data band repeats over: a report query of the data module,
// or rows held in memory. Values are QString, int, QDate, QTime, QByteArray or
// Dinheiro; an invalid QVariant is NULL. The report service neither opens nor
// closes the source: it only walks it.
class OrigemDeLinhas {
public:
    virtual ~OrigemDeLinhas() = default;
    // Moves to the first row; false when there is none.
    virtual bool primeira() = 0;
    // Moves to the next row; false after the last.
    virtual bool proxima() = 0;
    // Whether the rows have a field of that name (letter case ignored).
    virtual bool temCampo(const QString &campo) const = 0;
    // The field of the current row.
    virtual QVariant valor(const QString &campo) const = 0;
};
