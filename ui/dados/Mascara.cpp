#include "Mascara.h"

#include <QStringList>

namespace {

// Characters that mean something in a Qt input mask and must be escaped as literals.
bool especialQt(QChar c) {
    return QStringLiteral("AaNnXx90Dd#HhBb><!{}[];\\").contains(c);
}

// Positions of the Qt pattern that take typing (not literals, not case switches).
QString posicoes() {
    return QStringLiteral("AaNnXx90Dd#HhBb");
}

} // namespace

MascaraEdicao MascaraEdicao::converter(const QString &mascara) {
    MascaraEdicao m;
    if (mascara.isEmpty())
        return m;
    const QStringList partes = mascara.split(QLatin1Char(';'));
    const QString padrao = partes.value(0);
    m.guardaLiterais = partes.value(1, QStringLiteral("1")) != QLatin1String("0");
    const QString branco = partes.value(2, QStringLiteral("_")).left(1);

    QString qt;
    for (int i = 0; i < padrao.size(); ++i) {
        const QChar c = padrao[i];
        if (c == QLatin1Char('!') && i == 0)
            continue;
        if (c == QLatin1Char('\\') && i + 1 < padrao.size()) {
            const QChar literal = padrao[++i];
            if (especialQt(literal))
                qt += QLatin1Char('\\');
            qt += literal;
            continue;
        }
        switch (c.unicode()) {
        case '0':
            qt += QLatin1Char('9');
            break; // required digit
        case '9':
            qt += QLatin1Char('0');
            break; // optional digit
        case '#':
            qt += QLatin1Char('#');
            break;
        case 'L':
            qt += QLatin1Char('A');
            break; // required letter
        case 'l':
            qt += QLatin1Char('a');
            break;
        case 'A':
            qt += QLatin1Char('N');
            break; // required letter or digit
        case 'a':
            qt += QLatin1Char('n');
            break;
        case 'C':
            qt += QLatin1Char('X');
            break; // required character
        case 'c':
            qt += QLatin1Char('x');
            break;
        case '>':
            qt += QLatin1Char('>');
            break;
        case '<':
            qt += QLatin1Char('<');
            break;
        default:
            if (especialQt(c))
                qt += QLatin1Char('\\');
            qt += c;
        }
    }
    m.mascaraQt = qt + QLatin1Char(';') + (branco.isEmpty() ? QStringLiteral("_") : branco);
    return m;
}

QString MascaraEdicao::valorDoTexto(const QString &texto) const {
    if (guardaLiterais || mascaraQt.isEmpty())
        return texto;
    // Keep only what stands at typing positions.
    const QString padrao = mascaraQt.section(QLatin1Char(';'), 0, 0);
    QString valor;
    int p = 0;
    for (int i = 0; i < padrao.size() && p < texto.size(); ++i) {
        QChar c = padrao[i];
        if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!'))
            continue;
        if (c == QLatin1Char('\\')) {
            ++i;
            ++p;
            continue;
        }
        if (posicoes().contains(c))
            valor += texto[p];
        ++p;
    }
    return valor.trimmed();
}

bool MascaraEdicao::vazio(const QString &texto) const {
    for (QChar c : texto)
        if (c.isLetterOrNumber())
            return false;
    return true;
}
