#include "Win1252.h"

#include "ErroSistema.h"

namespace {

// Code points of bytes 0x80..0x9F; zero where the code page defines nothing.
constexpr char16_t k_faixa80[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0,
};

int byteDe(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (k_faixa80[i] == c && c != 0)
            return 0x80 + i;
    return -1;
}

} // namespace

namespace Win1252 {

std::optional<char32_t> primeiroForaDaTabela(const QString &texto) {
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (byteDe(c.unicode()) >= 0)
            continue;
        if (c.isHighSurrogate() && i + 1 < texto.size() && texto[i + 1].isLowSurrogate())
            return QChar::surrogateToUcs4(c, texto[i + 1]);
        return c.unicode();
    }
    return std::nullopt;
}

std::optional<char32_t> primeiroRecusadoEmValor(const QString &texto) {
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const char16_t c = texto[i].unicode();
        if (c < 0x20 || c == 0x7F)
            return c;
        if (byteDe(c) < 0)
            return primeiroForaDaTabela(texto.mid(i));
    }
    return std::nullopt;
}

namespace {

QString codigoDe(char32_t c) {
    return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
}

// A control or format character, a combining accent, a lone half of a UTF-16 pair, a blank
// other than the space: nothing a reader could tell from its neighbours.
bool invisivel(char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    case QChar::Separator_Space:
        return c != U' ';
    default:
        return false;
    }
}

} // namespace

QString nomeLegivel(char32_t c) {
    if (invisivel(c))
        return codigoDe(c);
    return QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&c, 1), codigoDe(c));
}

QString textoLegivel(const QString &texto) {
    QString saida;
    saida.reserve(texto.size());
    for (qsizetype i = 0; i < texto.size(); ++i) {
        char32_t c = texto[i].unicode();
        qsizetype unidades = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < texto.size() && texto[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(texto[i], texto[i + 1]);
            unidades = 2;
        }
        if (invisivel(c))
            saida += QLatin1Char('<') + codigoDe(c) + QLatin1Char('>');
        else
            saida += texto.mid(i, unidades);
        i += unidades - 1;
    }
    return saida;
}

QString mensagemForaDaTabela(char32_t c) {
    return QStringLiteral("O caractere %1 não pode ser gravado no banco de dados. "
                          "Use apenas letras, números e sinais do português.")
        .arg(nomeLegivel(c));
}

QString mensagemRecusado(const QString &campo, char32_t c) {
    return QStringLiteral("O caractere %1 do campo %2 não pode ser gravado no banco de dados. "
                          "Use apenas letras, números e sinais do português, numa só linha.")
        .arg(nomeLegivel(c), campo);
}

namespace {

QString trocarCaixa(const QString &texto, bool paraMaiusculas) {
    QString saida = texto;
    for (qsizetype i = 0; i < saida.size(); ++i) {
        const QChar c = saida[i];
        if (c.isSurrogate() || byteDe(c.unicode()) < 0)
            continue;
        const QString trocado = paraMaiusculas ? QString(c).toUpper() : QString(c).toLower();
        if (trocado.size() == 1 && byteDe(trocado[0].unicode()) >= 0)
            saida[i] = trocado[0];
    }
    return saida;
}

} // namespace

QString maiusculas(const QString &texto) {
    return trocarCaixa(texto, true);
}

QString minusculas(const QString &texto) {
    return trocarCaixa(texto, false);
}

QByteArray codificar(const QString &texto) {
    QByteArray saida;
    saida.reserve(texto.size());
    for (QChar c : texto) {
        const int b = byteDe(c.unicode());
        if (b < 0)
            throw ErroSistema(mensagemForaDaTabela(*primeiroForaDaTabela(texto)));
        saida.append(char(b));
    }
    return saida;
}

QString decodificar(const char *dados, int tamanho) {
    QString saida(tamanho, Qt::Uninitialized);
    for (int i = 0; i < tamanho; ++i) {
        const auto b = static_cast<unsigned char>(dados[i]);
        char16_t c = b;
        if (b >= 0x80 && b < 0xA0)
            c = k_faixa80[b - 0x80] ? k_faixa80[b - 0x80] : char16_t(b);
        saida[i] = QChar(c);
    }
    return saida;
}

} // namespace Win1252
