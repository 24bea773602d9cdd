#include "Dinheiro.h"

#include <limits>

namespace {

bool somarDigito(int64_t &acumulado, int digito) {
    constexpr int64_t limite = std::numeric_limits<int64_t>::max();
    if (acumulado > (limite - digito) / 10)
        return false;
    acumulado = acumulado * 10 + digito;
    return true;
}

} // namespace

std::optional<Dinheiro> Dinheiro::lerTexto(const QString &texto) {
    const QString t = texto.trimmed();
    int i = 0;
    bool negativo = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        negativo = t[i++] == u'-';

    int64_t inteiro = 0;
    int digitosInteiros = 0;
    int digitosDesdeSeparador = -1; // thousands groups must have three digits
    for (; i < t.size() && t[i] != u','; ++i) {
        const QChar c = t[i];
        if (c == u'.') {
            if (digitosInteiros == 0 || (digitosDesdeSeparador != -1 && digitosDesdeSeparador != 3))
                return std::nullopt;
            digitosDesdeSeparador = 0;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9')
            return std::nullopt;
        if (!somarDigito(inteiro, c.unicode() - '0'))
            return std::nullopt;
        ++digitosInteiros;
        if (digitosDesdeSeparador != -1)
            ++digitosDesdeSeparador;
    }
    if (digitosDesdeSeparador != -1 && digitosDesdeSeparador != 3)
        return std::nullopt;

    int64_t fracao = 0; // the first two decimals
    int digitosFracao = 0;
    bool arredondaPraCima = false;
    if (i < t.size()) {
        ++i; // the decimal comma
        for (; i < t.size(); ++i) {
            const QChar c = t[i];
            if (!c.isDigit() || c.unicode() > '9')
                return std::nullopt;
            const int d = c.unicode() - '0';
            if (digitosFracao < 2)
                fracao = fracao * 10 + d;
            else if (digitosFracao == 2)
                arredondaPraCima = d >= 5;
            ++digitosFracao;
        }
    }
    if (digitosInteiros == 0 && digitosFracao == 0)
        return std::nullopt;
    for (int k = digitosFracao; k < 2; ++k)
        fracao *= 10;

    const int arredondamento = arredondaPraCima ? 1 : 0;
    if (inteiro > (std::numeric_limits<int64_t>::max() - fracao - arredondamento) / 100)
        return std::nullopt;
    const int64_t centavos = inteiro * 100 + fracao + arredondamento;
    return Dinheiro(negativo ? -centavos : centavos);
}

QString Dinheiro::formatado() const {
    const bool negativo = m_centavos < 0;
    // Work on the magnitude as unsigned so the most negative value formats too.
    const uint64_t abs = negativo ? uint64_t(0) - uint64_t(m_centavos) : uint64_t(m_centavos);
    const QString digitos = QString::number(abs / 100);
    QString grupos;
    for (int k = 0; k < digitos.size(); ++k) {
        if (k > 0 && (digitos.size() - k) % 3 == 0)
            grupos += u'.';
        grupos += digitos[k];
    }
    const int resto = int(abs % 100);
    return (negativo ? QStringLiteral("-") : QString()) + grupos + u',' + QChar(u'0' + resto / 10) +
           QChar(u'0' + resto % 10);
}
