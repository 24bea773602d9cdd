#include "Extens.h"

#include "Avisador.h"

#include <array>

namespace {

using Palavras = std::array<QStringView, 10>; // indexed by the digit; 0 is unused

constexpr Palavras Unidades = {u"",      u"Um",   u"Dois", u"Três", u"Quatro",
                               u"Cinco", u"Seis", u"Sete", u"Oito", u"Nove"};
constexpr Palavras OnzeADezenove = {u"",       u"Onze",      u"Doze",      u"Treze",   u"Quatorze",
                                    u"Quinze", u"Dezesseis", u"Dezessete", u"Dezoito", u"Dezenove"};
constexpr Palavras Dezenas = {u"",          u"Dez",      u"Vinte",   u"Trinta",  u"Quarenta",
                              u"Cinqüenta", u"Sessenta", u"Setenta", u"Oitenta", u"Noventa"};
constexpr Palavras Centenas = {
    u"",           u"Cento",      u"Duzentos",   u"Trezentos",  u"Quatrocentos",
    u"Quinhentos", u"Seiscentos", u"Setecentos", u"Oitocentos", u"Novecentos"};
constexpr QStringView Cem = u"Cem";

constexpr QStringView JuntaInterna = u" e ";
constexpr QStringView MilSeguidoDeReais = u" Mil, e ";
constexpr QStringView MilReais = u" Mil Reais";
constexpr QStringView Real = u" Real";
constexpr QStringView Reais = u" Reais";
constexpr QStringView AntesDosCentavos = u", e ";
constexpr QStringView Centavo = u" Centavo.";
constexpr QStringView Centavos = u" Centavos.";

constexpr int64_t Maximo = 99999999; // 999.999,99 in centavos, inside the range

// The longest text written, for 454.454,54.
constexpr qsizetype TamanhoMaximo = 112;

void acrescentarTrio(QString &texto, int trio) {
    const int d1 = trio / 100;
    const int d2 = trio / 10 % 10;
    const int d3 = trio % 10;

    QStringView dezena;
    QStringView unidade;
    if (d2 == 1 && d3 != 0) {
        unidade = OnzeADezenove[d3];
    } else {
        dezena = Dezenas[d2];
        unidade = Unidades[d3];
    }
    const QStringView centena =
        (d1 == 1 && dezena.isEmpty() && unidade.isEmpty()) ? Cem : Centenas[d1];

    texto.append(centena);
    if (!centena.isEmpty() && (!dezena.isEmpty() || !unidade.isEmpty()))
        texto.append(JuntaInterna);
    texto.append(dezena);
    if (!dezena.isEmpty() && !unidade.isEmpty())
        texto.append(JuntaInterna);
    texto.append(unidade);
}

void avisarForaDoIntervalo() {
    Avisador::atual().mensagem(
        QStringLiteral("O valor está fora do intervalo permitido. "
                       "O número deve ser maior ou igual a zero e menor que 999.999,99. "
                       "Se não for corrigido o número não será escrito por extenso."));
}

} // namespace

QString TrioPorExtenso(QStringView digitos) {
    if (digitos.size() != 3)
        return {};
    int trio = 0;
    for (const QChar c : digitos) {
        if (c < u'0' || c > u'9')
            return {};
        trio = trio * 10 + (c.unicode() - u'0');
    }
    QString texto;
    acrescentarTrio(texto, trio);
    return texto;
}

QString ValorPorExtenso(Dinheiro valor) {
    const int64_t total = valor.centavos();
    if (total < 0 || total > Maximo) {
        avisarForaDoIntervalo();
        return {};
    }
    if (total == 0)
        return {};

    const int milhares = int(total / 100000);
    const int unidades = int(total / 100 % 1000);
    const int centavos = int(total % 100);

    QString texto;
    texto.reserve(TamanhoMaximo);
    if (milhares != 0) {
        acrescentarTrio(texto, milhares);
        texto.append(unidades != 0 ? MilSeguidoDeReais : MilReais);
    }
    acrescentarTrio(texto, unidades);
    // Nothing here when the units group is 000: either " Mil Reais" already
    // stands or there are only centavos.
    if (milhares == 0 && unidades == 1)
        texto.append(Real);
    else if (unidades != 0)
        texto.append(Reais);

    if (centavos == 0) {
        texto.append(u'.');
        return texto;
    }
    if (!texto.isEmpty())
        texto.append(AntesDosCentavos);
    acrescentarTrio(texto, centavos);
    texto.append(centavos == 1 ? Centavo : Centavos);
    return texto;
}

std::optional<QString> ValorPorExtenso(const QString &valorDigitado) {
    const QString texto = valorDigitado.trimmed();
    const std::optional<Dinheiro> arredondado = Dinheiro::lerTexto(texto);
    if (!arredondado) {
        // A well-formed number too large to hold is still a number, and far
        // outside the range: with its digits zeroed it reads.
        QString zerado = texto;
        for (QChar &c : zerado) {
            if (c > u'0' && c <= u'9')
                c = u'0';
        }
        if (!Dinheiro::lerTexto(zerado))
            return std::nullopt;
        avisarForaDoIntervalo();
        return QString();
    }

    // The range is judged before rounding: 999.999,991 lies above it and
    // -0,004 below it, though both round into it. Cutting the typed decimals
    // after the centavos gives the value truncated towards zero; whether
    // anything non-zero was cut tells on which side of it the typed value is.
    const qsizetype virgula = texto.indexOf(u',');
    bool sobra = false;
    Dinheiro truncado = *arredondado;
    if (virgula >= 0 && texto.size() - virgula > 3) {
        for (const QChar c : QStringView(texto).sliced(virgula + 3))
            sobra = sobra || c != u'0';
        truncado = *Dinheiro::lerTexto(texto.left(virgula + 3));
    }
    const bool negativo = texto.startsWith(u'-');
    const int64_t t = truncado.centavos();
    if (t < 0 || (t == 0 && negativo && sobra) || t > Maximo || (t == Maximo && sobra)) {
        avisarForaDoIntervalo();
        return QString();
    }
    return ValorPorExtenso(*arredondado);
}
