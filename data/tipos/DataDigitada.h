#pragma once
#include <QDate>
#include <QString>
#include <optional>

// A date typed as dd/mm/aaaa, read whole: the text names one date or none, and is never bent
// into another (a 31st of February is no 28th, nor a 3rd of March).
namespace DataDigitada {

// The date the text names; nothing when it names none.
std::optional<QDate> ler(const QString &texto);
// Why the text names no date, in Portuguese, quoting what was typed: a date not typed whole,
// a month past 12, a day the month does not have ("fevereiro de 2023 tem 28 dias").
QString motivo(const QString &texto);

} // namespace DataDigitada
