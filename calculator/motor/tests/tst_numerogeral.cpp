#include "NumeroGeral.h"

#include <QTest>
#include <limits>

struct Valor {
    long double v;
};
Q_DECLARE_METATYPE(Valor)

class TstNumeroGeral : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formato_data() {
        QTest::addColumn<Valor>("valor");
        QTest::addColumn<QString>("texto");
        QTest::newRow("inteiro") << Valor{15} << "15";
        QTest::newRow("zeros do inteiro ficam") << Valor{100} << "100";
        QTest::newRow("um terço") << Valor{1.0L / 3} << "0,333333333333333";
        QTest::newRow("dois terços arredonda") << Valor{2.0L / 3} << "0,666666666666667";
        QTest::newRow("meio") << Valor{0.5L} << "0,5";
        QTest::newRow("zero") << Valor{0} << "0";
        QTest::newRow("zero negativo") << Valor{-0.0L} << "0";
        QTest::newRow("negativo") << Valor{-2.5L} << "-2,5";
        QTest::newRow("menos um terço") << Valor{-1.0L / 3} << "-0,333333333333333";
        QTest::newRow("dez à vigésima") << Valor{1e20L} << "1E20";
        QTest::newRow("um milionésimo") << Valor{1e-6L} << "1E-6";
        QTest::newRow("mantissa com decimais") << Valor{1.5e-7L} << "1,5E-7";
        QTest::newRow("negativo científico") << Valor{-1e300L} << "-1E300";
        QTest::newRow("além do double") << Valor{1e4000L} << "1E4000";
        QTest::newRow("menor fixo") << Valor{0.00001L} << "0,00001";
        QTest::newRow("abaixo do menor fixo") << Valor{0.0000099L} << "9,9E-6";
        QTest::newRow("quinze dígitos inteiros") << Valor{123456789012345.0L} << "123456789012345";
        QTest::newRow("dezesseis dígitos inteiros")
            << Valor{1234567890123456.0L} << "1,23456789012346E15";
        QTest::newRow("arredonda para quinze dígitos")
            << Valor{999999999999999.4L} << "999999999999999";
        QTest::newRow("arredonda para dezesseis dígitos") << Valor{999999999999999.6L} << "1E15";
        QTest::newRow("negativo de quinze dígitos")
            << Valor{-123456789012345.0L} << "-123456789012345";
        QTest::newRow("decimais cortados em quinze")
            << Valor{12345.6789012345678L} << "12345,6789012346";
        QTest::newRow("ruído binário some") << Valor{0.1L + 0.2L} << "0,3";
    }
    void formato() {
        QFETCH(Valor, valor);
        QFETCH(QString, texto);
        QCOMPARE(formatoGeral(valor.v), texto);
    }

    void leitura_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("valido");
        QTest::addColumn<Valor>("valor");
        QTest::newRow("com vírgula") << "12,5" << true << Valor{12.5L};
        QTest::newRow("brancos e sinal") << "  -3 " << true << Valor{-3};
        QTest::newRow("sinal de mais") << "+4" << true << Valor{4};
        QTest::newRow("expoente") << "1E20" << true << Valor{1e20L};
        QTest::newRow("expoente negativo com decimais") << "1,5E-7" << true << Valor{1.5e-7L};
        QTest::newRow("vírgula no fim") << "5," << true << Valor{5};
        QTest::newRow("vírgula no começo") << ",5" << false << Valor{0};
        QTest::newRow("sinal e vírgula no começo") << "-,5" << false << Valor{0};
        QTest::newRow("vírgula no começo com expoente") << ",5E-6" << false << Valor{0};
        QTest::newRow("zero negativo") << "-0" << true << Valor{-0.0L};
        QTest::newRow("além do double") << "1E4000" << true << Valor{1e4000L};
        QTest::newRow("pequeno demais vira zero") << "1E-6000" << true << Valor{0};
        QTest::newRow("grande demais") << "1E5000" << false << Valor{0};
        QTest::newRow("só o sinal") << "-" << false << Valor{0};
        QTest::newRow("sem mantissa") << "E-6" << false << Valor{0};
        QTest::newRow("vazio") << "" << false << Valor{0};
        QTest::newRow("ponto decimal") << "1.5" << false << Valor{0};
        QTest::newRow("expoente sem dígitos") << "1E" << false << Valor{0};
        QTest::newRow("duas vírgulas") << "1,2,3" << false << Valor{0};
        QTest::newRow("letras") << "12a" << false << Valor{0};
        QTest::newRow("dois sinais") << "--5" << false << Valor{0};
        QTest::newRow("vírgula após expoente") << "1E-6," << false << Valor{0};
    }
    void leitura() {
        QFETCH(QString, texto);
        QFETCH(bool, valido);
        QFETCH(Valor, valor);
        const auto lido = lerNumeroDoVisor(texto);
        QCOMPARE(lido.has_value(), valido);
        if (valido) {
            QVERIFY2(*lido == valor.v, qPrintable(formatoGeral(*lido)));
            QCOMPARE(std::signbit(*lido), std::signbit(valor.v));
        }
    }

    // What is written reads back as the same 15 digits.
    void idaEVolta() {
        for (const long double v : {1.0L / 3, -2.0L / 7, 1e-6L, 123456.789L, 6.02214076e23L}) {
            const QString texto = formatoGeral(v);
            const auto lido = lerNumeroDoVisor(texto);
            QVERIFY(lido);
            QCOMPARE(formatoGeral(*lido), texto);
        }
    }
};

QTEST_GUILESS_MAIN(TstNumeroGeral)
#include "tst_numerogeral.moc"
