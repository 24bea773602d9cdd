#include "FormatarCpfCnpj.h"

#include <QStringBuilder>

QString FormatarCpfCnpj(const QString &numero) {
    QString limpo;
    limpo.reserve(numero.size());
    for (const QChar c : numero) {
        if (c != u'.' && c != u'-' && c != u'/')
            limpo.append(c);
    }

    // Only the length decides; the characters themselves are not examined.
    const QStringView d(limpo);
    switch (d.size()) {
    case 11:
        return d.sliced(0, 3) % QChar(u'.') % d.sliced(3, 3) % QChar(u'.') % d.sliced(6, 3) %
               QChar(u'-') % d.sliced(9);
    case 14:
        return d.sliced(0, 2) % QChar(u'.') % d.sliced(2, 3) % QChar(u'.') % d.sliced(5, 3) %
               QChar(u'/') % d.sliced(8, 4) % QChar(u'-') % d.sliced(12);
    default:
        return limpo;
    }
}
