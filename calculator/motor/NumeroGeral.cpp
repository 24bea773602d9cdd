#include "NumeroGeral.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

constexpr int DigitosSignificativos = 15;
// The integer part may have this many digits before the scientific notation.
constexpr int MaiorExpoenteFixo = DigitosSignificativos - 1;
// 0,00001 is the smallest magnitude still written in fixed notation.
constexpr int MenorExpoenteFixo = -5;

bool ehDigito(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The values from_chars refuses as out of range: tiny ones are kept (as
// denormals or zero), only those too large for the accumulator are refused.
std::optional<long double> lerForaDaFaixa(const std::string &normal) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const long double valor = strtold_l(normal.c_str(), nullptr, c);
    if (std::isinf(valor))
        return std::nullopt;
    return valor;
}

} // namespace

QString formatoGeral(long double valor) {
    if (valor == 0 || !std::isfinite(valor))
        return QStringLiteral("0");

    // "d.dddddddddddddde±x": the value rounded to 15 significant digits.
    char texto[64];
    const auto fim = std::to_chars(texto, texto + sizeof texto, std::fabs(valor),
                                   std::chars_format::scientific, DigitosSignificativos - 1)
                         .ptr;
    const std::string_view cientifico(texto, fim - texto);
    const auto posE = cientifico.find('e');
    QString digitos = QString::fromLatin1(cientifico.substr(0, 1));
    digitos += QString::fromLatin1(cientifico.substr(2, posE - 2));
    const int expoente = std::atoi(std::string(cientifico.substr(posE + 1)).c_str());
    while (digitos.size() > 1 && digitos.endsWith(u'0'))
        digitos.chop(1);

    QString resultado;
    if (expoente >= MenorExpoenteFixo && expoente <= MaiorExpoenteFixo) {
        if (expoente >= 0) {
            const int inteiros = expoente + 1;
            resultado = digitos.left(inteiros).leftJustified(inteiros, u'0');
            if (digitos.size() > inteiros)
                resultado += u',' + digitos.mid(inteiros);
        } else {
            resultado = QStringLiteral("0,") + QString(-expoente - 1, u'0') + digitos;
        }
    } else {
        resultado = digitos.left(1);
        if (digitos.size() > 1)
            resultado += u',' + digitos.mid(1);
        resultado += u'E' + QString::number(expoente);
    }
    if (valor < 0)
        resultado.prepend(u'-');
    return resultado;
}

std::optional<long double> lerNumeroDoVisor(const QString &texto) {
    const qsizetype n = texto.size();
    qsizetype i = 0;
    while (i < n && texto[i] == u' ')
        ++i;

    std::string normal;
    if (i < n && (texto[i] == u'-' || texto[i] == u'+')) {
        if (texto[i] == u'-')
            normal += '-';
        ++i;
    }
    std::string inteiros;
    while (i < n && ehDigito(texto[i]))
        inteiros += char(texto[i++].unicode());
    std::string decimais;
    if (i < n && texto[i] == u',') {
        ++i;
        while (i < n && ehDigito(texto[i]))
            decimais += char(texto[i++].unicode());
    }
    // The integer digits are required: ",5" and "-,5" are no numbers.
    if (inteiros.empty())
        return std::nullopt;
    normal += inteiros;
    if (!decimais.empty())
        normal += '.' + decimais;

    if (i < n && (texto[i] == u'E' || texto[i] == u'e')) {
        ++i;
        normal += 'e';
        if (i < n && (texto[i] == u'-' || texto[i] == u'+')) {
            if (texto[i] == u'-')
                normal += '-';
            ++i;
        }
        qsizetype algarismos = 0;
        while (i < n && ehDigito(texto[i])) {
            normal += char(texto[i++].unicode());
            ++algarismos;
        }
        if (algarismos == 0)
            return std::nullopt;
    }
    while (i < n && texto[i] == u' ')
        ++i;
    if (i != n)
        return std::nullopt;

    long double valor = 0;
    const auto lido = std::from_chars(normal.data(), normal.data() + normal.size(), valor);
    if (lido.ec == std::errc::result_out_of_range)
        return lerForaDaFaixa(normal);
    if (lido.ec != std::errc() || lido.ptr != normal.data() + normal.size())
        return std::nullopt;
    return valor;
}
