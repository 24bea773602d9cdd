#include "DataExtenso.h"

#include <QLocale>

QString DataPorExtenso(const QDate &data) {
    if (!data.isValid())
        return {};
    // The month names are Brazilian whatever the machine's own language is.
    static const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    return brasil.toString(data, QStringLiteral("dd 'de' MMMM 'de' yyyy"));
}
