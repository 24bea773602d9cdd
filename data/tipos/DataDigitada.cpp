#include "DataDigitada.h"

#include "Win1252.h"

#include <QLocale>

namespace DataDigitada {

namespace {

struct Partes {
    int dia = 0, mes = 0, ano = 0;
};

// Day, month and year as the three runs of digits between the slashes, the day and the month
// of one or two digits (a mask may leave a blank before a single digit), the year of four;
// nothing when the text is not written so (a part missing, a letter).
std::optional<Partes> partes(const QString &texto) {
    const QStringList p = texto.split(QLatin1Char('/'));
    if (p.size() != 3)
        return std::nullopt;
    const int maximo[3] = {2, 2, 4};
    int valores[3];
    for (int i = 0; i < 3; ++i) {
        const QString parte = p[i].trimmed();
        if (parte.isEmpty() || parte.size() > maximo[i] || (i == 2 && parte.size() != 4))
            return std::nullopt;
        for (const QChar c : parte)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        valores[i] = parte.toInt();
    }
    return Partes{valores[0], valores[1], valores[2]};
}

} // namespace

std::optional<QDate> ler(const QString &texto) {
    const auto p = partes(texto);
    if (!p)
        return std::nullopt;
    const QDate d(p->ano, p->mes, p->dia);
    if (!d.isValid() || p->ano < 1)
        return std::nullopt;
    return d;
}

QString motivo(const QString &texto) {
    const QString citado = QLatin1Char('\'') + Win1252::textoLegivel(texto) + QLatin1Char('\'');
    const auto p = partes(texto);
    if (!p)
        return QStringLiteral("%1 não é uma data válida. Digite a data inteira, como dd/mm/aaaa.")
            .arg(citado);
    if (p->ano < 1)
        return QStringLiteral("%1 não é uma data válida: o ano vai de 0001 a 9999.").arg(citado);
    if (p->mes < 1 || p->mes > 12)
        return QStringLiteral("%1 não é uma data válida: o mês vai de 01 a 12.").arg(citado);
    const int dias = QDate(p->ano, p->mes, 1).daysInMonth();
    if (p->dia < 1 || p->dia > dias)
        return QStringLiteral("%1 não é uma data válida: %2 de %3 tem %4 dias.")
            .arg(citado, QLocale(QLocale::Portuguese, QLocale::Brazil).monthName(p->mes),
                 QString::number(p->ano), QString::number(dias));
    return QStringLiteral("%1 não é uma data válida.").arg(citado);
}

} // namespace DataDigitada
