#include "NumeroDigitado.h"

namespace {

constexpr int k_maximoDigitosInteiros = 308;
constexpr int k_decimaisGuardados = 20;
constexpr int k_limiteExpoente = 100000; // far past any number that can be held

bool ehDigito(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Adds one to a string of decimal digits.
QString maisUm(QString digitos) {
    for (qsizetype i = digitos.size() - 1; i >= 0; --i) {
        if (digitos[i] != u'9') {
            digitos[i] = QChar(digitos[i].unicode() + 1);
            return digitos;
        }
        digitos[i] = u'0';
    }
    return u'1' + digitos;
}

QString agruparMilhares(const QString &digitos) {
    QString grupos;
    grupos.reserve(digitos.size() + digitos.size() / 3);
    for (qsizetype k = 0; k < digitos.size(); ++k) {
        if (k > 0 && (digitos.size() - k) % 3 == 0)
            grupos += u'.';
        grupos += digitos[k];
    }
    return grupos;
}

} // namespace

std::optional<NumeroDigitado> NumeroDigitado::ler(const QString &texto) {
    const QString t = texto.trimmed();
    qsizetype i = 0;
    NumeroDigitado n;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        n.m_negativo = t[i++] == u'-';

    // Integer digits; once a thousands point appears, every group after it has three digits.
    QString inteiros;
    int desdeOPonto = -1;
    for (; i < t.size() && t[i] != u',' && t[i] != u'e' && t[i] != u'E'; ++i) {
        if (t[i] == u'.') {
            if (inteiros.isEmpty() || (desdeOPonto != -1 && desdeOPonto != 3))
                return std::nullopt;
            desdeOPonto = 0;
            continue;
        }
        if (!ehDigito(t[i]))
            return std::nullopt;
        inteiros += t[i];
        if (desdeOPonto != -1)
            ++desdeOPonto;
    }
    if (desdeOPonto != -1 && desdeOPonto != 3)
        return std::nullopt;

    QString decimais;
    if (i < t.size() && t[i] == u',') {
        for (++i; i < t.size() && ehDigito(t[i]); ++i)
            decimais += t[i];
    }
    if (inteiros.isEmpty() && decimais.isEmpty())
        return std::nullopt;

    long expoente = 0;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        bool expoenteNegativo = false;
        if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
            expoenteNegativo = t[i++] == u'-';
        if (i >= t.size() || !ehDigito(t[i]))
            return std::nullopt;
        for (; i < t.size() && ehDigito(t[i]); ++i)
            expoente = qMin<long>(expoente * 10 + (t[i].unicode() - u'0'), k_limiteExpoente);
        if (expoenteNegativo)
            expoente = -expoente;
    }
    if (i != t.size())
        return std::nullopt;

    // The exponent moves the decimal comma through the digits.
    const QString digitos = inteiros + decimais;
    const long virgula = long(inteiros.size()) + expoente;
    QString parteInteira;
    QString parteDecimal;
    if (virgula <= 0) {
        const long zeros = qMin<long>(-virgula, k_decimaisGuardados + 1);
        parteDecimal = QString(zeros, u'0') + digitos;
    } else if (virgula >= digitos.size()) {
        const long zeros = virgula - long(digitos.size());
        if (zeros > k_maximoDigitosInteiros)
            return std::nullopt;
        parteInteira = digitos + QString(zeros, u'0');
    } else {
        parteInteira = digitos.left(virgula);
        parteDecimal = digitos.mid(virgula);
    }

    while (parteInteira.size() > 1 && parteInteira.front() == u'0')
        parteInteira.remove(0, 1);
    if (parteInteira.isEmpty())
        parteInteira = QStringLiteral("0");
    if (parteInteira.size() > k_maximoDigitosInteiros)
        return std::nullopt;
    if (parteDecimal.size() > k_decimaisGuardados) {
        bool sobra = false;
        for (const QChar c : QStringView(parteDecimal).sliced(k_decimaisGuardados))
            sobra = sobra || c != u'0';
        parteDecimal.truncate(k_decimaisGuardados);
        if (sobra)
            parteDecimal += u'1';
    }
    while (parteDecimal.endsWith(u'0'))
        parteDecimal.chop(1);

    n.m_inteiros = parteInteira;
    n.m_decimais = parteDecimal;
    if (n.m_inteiros == u"0" && n.m_decimais.isEmpty())
        n.m_negativo = false;
    return n;
}

QString NumeroDigitado::decimal() const {
    QString texto = m_negativo ? QStringLiteral("-") + m_inteiros : m_inteiros;
    if (!m_decimais.isEmpty())
        texto += u',' + m_decimais;
    return texto;
}

QString NumeroDigitado::formatado() const {
    const QString decimais = QString(m_decimais + QStringLiteral("000")).left(3);
    QString centavos = m_inteiros + decimais.left(2);
    if (decimais[2] >= u'5')
        centavos = maisUm(centavos);
    const QString inteiros = centavos.left(centavos.size() - 2);
    bool zero = true;
    for (const QChar c : centavos)
        zero = zero && c == u'0';
    return (m_negativo && !zero ? QStringLiteral("-") : QString()) + agruparMilhares(inteiros) +
           u',' + centavos.right(2);
}
