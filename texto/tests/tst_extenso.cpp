#include "Avisador.h"
#include "AvisadorGravador.h"
#include "Extens.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTest>

namespace {

const QString MensagemDeIntervalo =
    QStringLiteral("O valor está fora do intervalo permitido. O número deve ser maior ou igual "
                   "a zero e menor que 999.999,99. Se não for corrigido o número não será "
                   "escrito por extenso.");

using Eventos = QList<AvisadorGravador::Evento>;

Eventos avisoDeIntervalo() {
    return {{AvisadorGravador::Evento::Mensagem, MensagemDeIntervalo}};
}

// Reads the words back into centavos, adding the numbers up as a reader would;
// -1 when a word is unknown (a doubled space gives an empty one) or a currency
// word is singular where the amount is plural or the other way round.
qint64 lerPorExtenso(QString texto) {
    static const QHash<QString, int> numeros = {
        {"Um", 1},           {"Dois", 2},         {"Três", 3},         {"Quatro", 4},
        {"Cinco", 5},        {"Seis", 6},         {"Sete", 7},         {"Oito", 8},
        {"Nove", 9},         {"Dez", 10},         {"Onze", 11},        {"Doze", 12},
        {"Treze", 13},       {"Quatorze", 14},    {"Quinze", 15},      {"Dezesseis", 16},
        {"Dezessete", 17},   {"Dezoito", 18},     {"Dezenove", 19},    {"Vinte", 20},
        {"Trinta", 30},      {"Quarenta", 40},    {"Cinqüenta", 50},   {"Sessenta", 60},
        {"Setenta", 70},     {"Oitenta", 80},     {"Noventa", 90},     {"Cem", 100},
        {"Cento", 100},      {"Duzentos", 200},   {"Trezentos", 300},  {"Quatrocentos", 400},
        {"Quinhentos", 500}, {"Seiscentos", 600}, {"Setecentos", 700}, {"Oitocentos", 800},
        {"Novecentos", 900}};
    if (!texto.endsWith(u'.'))
        return -1;
    texto.chop(1);
    texto.remove(u',');
    qint64 grupo = 0, milhares = 0, reais = 0, centavos = 0;
    for (const QString &palavra : texto.split(u' ')) {
        if (palavra == u"e")
            continue;
        if (numeros.contains(palavra)) {
            grupo += numeros.value(palavra);
        } else if (palavra == u"Mil") {
            milhares = grupo;
            grupo = 0;
        } else if (palavra == u"Real" || palavra == u"Reais") {
            reais = milhares * 1000 + grupo;
            milhares = grupo = 0;
            if ((palavra == u"Real") != (reais == 1))
                return -1;
        } else if (palavra == u"Centavo" || palavra == u"Centavos") {
            centavos = grupo;
            grupo = 0;
            if ((palavra == u"Centavo") != (centavos == 1))
                return -1;
        } else {
            return -1;
        }
    }
    if (grupo != 0 || milhares != 0)
        return -1;
    return reais * 100 + centavos;
}

// Words only, single spaces, no joint at either end: starts with a capital
// and ends with a letter (the full stop taken off).
void verificarForma(const QString &texto) {
    QVERIFY(!texto.isEmpty());
    QVERIFY2(!texto.contains(u"  "), qPrintable(texto));
    QVERIFY2(texto.front().isUpper(), qPrintable(texto));
    QVERIFY2(texto.back().isLetter(), qPrintable(texto));
}

// The typed amount as the receipt's VALOR would hold it, when the text names
// it exactly to the centavo and it fits.
std::optional<Dinheiro> valorExato(const QString &digitado) {
    const QString t = digitado.trimmed();
    const qsizetype virgula = t.indexOf(u',');
    if (virgula >= 0 && t.size() - virgula > 3)
        return std::nullopt;
    return Dinheiro::lerTexto(t);
}

} // namespace

class TstExtenso : public QObject {
    Q_OBJECT
private:
    AvisadorGravador m_avisos;

private Q_SLOTS:
    void init() {
        m_avisos.limpar();
        Avisador::instalar(&m_avisos);
    }
    void cleanup() { Avisador::instalar(nullptr); }

    void escrevePorExtenso_data() {
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("esperado");
        QTest::addColumn<bool>("avisa");

        const QString fora; // range message, empty text
        QTest::newRow("zero") << "0,00"
                              << "" << false;
        QTest::newRow("menos de meio centavo") << "0,004"
                                               << "" << false;
        QTest::newRow("um centavo") << "0,01"
                                    << "Um Centavo." << false;
        QTest::newRow("meio centavo sobe") << "0,005"
                                           << "Um Centavo." << false;
        QTest::newRow("dez centavos com uma casa") << "0,1"
                                                   << "Dez Centavos." << false;
        QTest::newRow("onze centavos") << "0,11"
                                       << "Onze Centavos." << false;
        QTest::newRow("cinquenta centavos") << "0,50"
                                            << "Cinqüenta Centavos." << false;
        QTest::newRow("um real") << "1,00"
                                 << "Um Real." << false;
        QTest::newRow("um real e um centavo") << "1,01"
                                              << "Um Real, e Um Centavo." << false;
        QTest::newRow("1,004 desce") << "1,004"
                                     << "Um Real." << false;
        QTest::newRow("1,005 sobe") << "1,005"
                                    << "Um Real, e Um Centavo." << false;
        QTest::newRow("1,006 sobe") << "1,006"
                                    << "Um Real, e Um Centavo." << false;
        QTest::newRow("dois reais") << "2,00"
                                    << "Dois Reais." << false;
        QTest::newRow("quinze reais") << "15,00"
                                      << "Quinze Reais." << false;
        QTest::newRow("inteiro com brancos em volta") << " 15 "
                                                      << "Quinze Reais." << false;
        QTest::newRow("cem") << "100,00"
                             << "Cem Reais." << false;
        QTest::newRow("cento e um e cinquenta")
            << "101,50"
            << "Cento e Um Reais, e Cinqüenta Centavos." << false;
        QTest::newRow("cento e dez") << "110,00"
                                     << "Cento e Dez Reais." << false;
        QTest::newRow("um mil") << "1.000,00"
                                << "Um Mil Reais." << false;
        QTest::newRow("um mil e centavos") << "1.000,50"
                                           << "Um Mil Reais, e Cinqüenta Centavos." << false;
        QTest::newRow("um mil e um usa o plural") << "1.001,00"
                                                  << "Um Mil, e Um Reais." << false;
        QTest::newRow("milhar com centavos")
            << "1.234,56"
            << "Um Mil, e Duzentos e Trinta e Quatro Reais, e Cinqüenta e Seis Centavos." << false;
        QTest::newRow("milhar sem pontos e com uma casa")
            << "1234,5"
            << "Um Mil, e Duzentos e Trinta e Quatro Reais, e Cinqüenta Centavos." << false;
        QTest::newRow("vinte e um mil") << "21.000,00"
                                        << "Vinte e Um Mil Reais." << false;
        QTest::newRow("cem mil") << "100.000,00"
                                 << "Cem Mil Reais." << false;
        QTest::newRow("cento e dez mil") << "110.000,00"
                                         << "Cento e Dez Mil Reais." << false;
        QTest::newRow("cem mil e cem") << "100.100,00"
                                       << "Cem Mil, e Cem Reais." << false;
        QTest::newRow("duzentos mil e um e um centavo")
            << "200.001,01"
            << "Duzentos Mil, e Um Reais, e Um Centavo." << false;
        QTest::newRow("o mais longo")
            << "454.454,54"
            << "Quatrocentos e Cinqüenta e Quatro Mil, e Quatrocentos e Cinqüenta e Quatro "
               "Reais, e Cinqüenta e Quatro Centavos."
            << false;
        const QString maximo = "Novecentos e Noventa e Nove Mil, e Novecentos e Noventa e Nove "
                               "Reais, e Noventa e Nove Centavos.";
        QTest::newRow("maximo exato") << "999.999,99" << maximo << false;
        QTest::newRow("arredonda para o maximo") << "999.999,985" << maximo << false;
        QTest::newRow("abaixo do maximo por fracao") << "999.999,989" << maximo << false;
        QTest::newRow("acima do maximo por fracao") << "999.999,991" << fora << true;
        QTest::newRow("meio centavo acima do maximo") << "999.999,995" << fora << true;
        QTest::newRow("um milhao") << "1.000.000,00" << fora << true;
        QTest::newRow("um centavo negativo") << "-0,01" << fora << true;
        QTest::newRow("negativo grande") << "-1.234,56" << fora << true;
        QTest::newRow("grande demais para guardar")
            << "123.456.789.012.345.678.901,00" << fora << true;
        QTest::newRow("negativo grande demais") << "-99999999999999999999" << fora << true;
        QTest::newRow("zero negativo") << "-0,00"
                                       << "" << false;
        QTest::newRow("zero negativo sem decimais") << "-0"
                                                    << "" << false;
        QTest::newRow("zero negativo com tres casas") << "-0,000"
                                                      << "" << false;
        // Below zero although it rounds to zero.
        QTest::newRow("fracao negativa de centavo") << "-0,004" << fora << true;
    }
    void escrevePorExtenso() {
        QFETCH(QString, digitado);
        QFETCH(QString, esperado);
        QFETCH(bool, avisa);
        const Eventos avisos = avisa ? avisoDeIntervalo() : Eventos();

        const std::optional<QString> doTexto = ValorPorExtenso(digitado);
        QVERIFY(doTexto.has_value());
        QCOMPARE(*doTexto, esperado);
        QCOMPARE(m_avisos.eventos(), avisos);

        // The same amount exact to the centavo gives the same words and message.
        if (const std::optional<Dinheiro> valor = valorExato(digitado)) {
            m_avisos.limpar();
            QCOMPARE(ValorPorExtenso(*valor), esperado);
            QCOMPARE(m_avisos.eventos(), avisos);
        }
    }

    void textoQueNaoENumero_data() {
        QTest::addColumn<QString>("digitado");
        QTest::newRow("vazio") << "";
        QTest::newRow("so brancos") << "   ";
        QTest::newRow("letras") << "doze";
        QTest::newRow("letra no meio") << "12a,00";
        QTest::newRow("duas virgulas") << "1,2,3";
        QTest::newRow("grupo de milhar torto") << "1.23,00";
    }
    void textoQueNaoENumero() {
        QFETCH(QString, digitado);
        QCOMPARE(ValorPorExtenso(digitado), std::nullopt);
        QVERIFY(m_avisos.eventos().isEmpty());
    }

    void trio_data() {
        QTest::addColumn<QString>("digitos");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("000") << "000"
                             << "";
        QTest::newRow("100") << "100"
                             << "Cem";
        QTest::newRow("101") << "101"
                             << "Cento e Um";
        QTest::newRow("110") << "110"
                             << "Cento e Dez";
        QTest::newRow("111") << "111"
                             << "Cento e Onze";
        QTest::newRow("121") << "121"
                             << "Cento e Vinte e Um";
        QTest::newRow("020") << "020"
                             << "Vinte";
        QTest::newRow("005") << "005"
                             << "Cinco";
        QTest::newRow("010") << "010"
                             << "Dez";
        QTest::newRow("019") << "019"
                             << "Dezenove";
        QTest::newRow("303") << "303"
                             << "Trezentos e Três";
        QTest::newRow("550") << "550"
                             << "Quinhentos e Cinqüenta";
        QTest::newRow("999") << "999"
                             << "Novecentos e Noventa e Nove";
        QTest::newRow("dois digitos") << "12"
                                      << "";
        QTest::newRow("quatro digitos") << "1234"
                                        << "";
        QTest::newRow("letra") << "1a3"
                               << "";
        QTest::newRow("vazio") << ""
                               << "";
    }
    void trio() {
        QFETCH(QString, digitos);
        QFETCH(QString, esperado);
        QCOMPARE(TrioPorExtenso(digitos), esperado);
    }

    void todosOsTriosSaoBemFormados() {
        for (int n = 1; n <= 999; ++n) {
            const QString digitos = QString::number(n).rightJustified(3, u'0');
            const QString texto = TrioPorExtenso(digitos);
            verificarForma(texto);
            if (QTest::currentTestFailed())
                return;
            QCOMPARE(lerPorExtenso(texto + " Mil Reais."), n * 100000LL);
        }
    }

    void valoresAoAcasoSaoBemFormados() {
        // A fixed seed, so a failure can be repeated.
        QRandomGenerator sorteio(20260312);
        qsizetype maisLongo = 0;
        for (int i = 0; i < 300000; ++i) {
            const qint64 centavos = sorteio.bounded(1, 100000000);
            const QString texto = ValorPorExtenso(Dinheiro::deCentavos(centavos));
            QVERIFY2(texto.endsWith(u'.'), qPrintable(texto));
            verificarForma(texto.chopped(1));
            if (QTest::currentTestFailed())
                return;
            QCOMPARE(lerPorExtenso(texto), centavos);
            maisLongo = std::max(maisLongo, texto.size());
        }
        QVERIFY(maisLongo <= 112);
        QCOMPARE(ValorPorExtenso(Dinheiro::deCentavos(45445454)).size(), 112);
        QVERIFY(m_avisos.eventos().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstExtenso)
#include "tst_extenso.moc"
