#include "NumeroDigitado.h"

#include <QTest>

class TstNumeroDigitado : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lidos_data();
    void lidos();
    void recusados_data();
    void recusados();
};

void TstNumeroDigitado::lidos_data() {
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<QString>("formatado");
    QTest::addColumn<QString>("decimal");
    QTest::newRow("vírgula decimal") << "1234,5"
                                     << "1.234,50"
                                     << "1234,5";
    QTest::newRow("já formatado") << "1.234,50"
                                  << "1.234,50"
                                  << "1234,5";
    QTest::newRow("expoente") << " 1,5E3 "
                              << "1.500,00"
                              << "1500";
    QTest::newRow("expoente negativo") << "2e-2"
                                       << "0,02"
                                       << "0,02";
    QTest::newRow("expoente com milhares") << "1.234,5e+1"
                                           << "12.345,00"
                                           << "12345";
    QTest::newRow("sinal de mais") << "+12"
                                   << "12,00"
                                   << "12";
    QTest::newRow("só decimais") << ",5"
                                 << "0,50"
                                 << "0,5";
    QTest::newRow("zero") << "0"
                          << "0,00"
                          << "0";
    QTest::newRow("zeros à esquerda") << "007,10"
                                      << "7,10"
                                      << "7,1";
    QTest::newRow("negativo arredonda para longe do zero") << "-1234,565"
                                                           << "-1.234,57"
                                                           << "-1234,565";
    QTest::newRow("meio centavo sobe") << "0,005"
                                       << "0,01"
                                       << "0,005";
    QTest::newRow("arredondar leva aos milhões") << "999.999,995"
                                                 << "1.000.000,00"
                                                 << "999999,995";
    // Below zero by less than half a centavo: shown as zero, still judged below the range.
    QTest::newRow("negativo quase zero") << "-0,001"
                                         << "0,00"
                                         << "-0,001";
    QTest::newRow("menos zero") << "-0"
                                << "0,00"
                                << "0";
    QTest::newRow("grande") << "1E30"
                            << "1.000.000.000.000.000.000.000.000.000.000,00"
                            << "1000000000000000000000000000000";
    QTest::newRow("minúsculo guarda que não é zero") << "1E-40"
                                                     << "0,00"
                                                     << "0,000000000000000000001";
    QTest::newRow("decimais além da vigésima") << "1,0000000000000000000000009"
                                               << "1,00"
                                               << "1,000000000000000000001";
}

void TstNumeroDigitado::lidos() {
    QFETCH(QString, digitado);
    QFETCH(QString, formatado);
    QFETCH(QString, decimal);
    const auto n = NumeroDigitado::ler(digitado);
    QVERIFY(n);
    QCOMPARE(n->formatado(), formatado);
    QCOMPARE(n->decimal(), decimal);
    // What is written back reads as the same amount.
    QCOMPARE(NumeroDigitado::ler(n->formatado())->formatado(), formatado);
}

void TstNumeroDigitado::recusados_data() {
    QTest::addColumn<QString>("digitado");
    QTest::newRow("vazio") << "";
    QTest::newRow("letras") << "abc";
    QTest::newRow("moeda") << "R$ 10";
    QTest::newRow("duas vírgulas") << "1,2,3";
    QTest::newRow("ponto como decimal") << "1.5";
    QTest::newRow("grupo de milhares incompleto") << "12.3456";
    QTest::newRow("espaço no meio") << "1 000";
    QTest::newRow("expoente sem dígitos") << "1E";
    QTest::newRow("expoente só com sinal") << "1E+";
    QTest::newRow("dois sinais") << "--1";
    QTest::newRow("sobra depois do expoente") << "1,5E3x";
    QTest::newRow("só sinal e vírgula") << "-,";
    QTest::newRow("além do que um campo de valor guarda") << "1E309";
    QTest::newRow("sinal só") << "-";
    // Digits of other scripts are digits to Qt, but not to a value field.
    QTest::newRow("algarismos arábico-índicos") << "١٢٣";
    QTest::newRow("expoente em algarismos arábico-índicos") << "1E٣";
}

void TstNumeroDigitado::recusados() {
    QFETCH(QString, digitado);
    QVERIFY(!NumeroDigitado::ler(digitado));
}

QTEST_MAIN(TstNumeroDigitado)
#include "tst_numerodigitado.moc"
