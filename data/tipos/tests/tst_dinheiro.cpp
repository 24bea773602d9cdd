#include "Dinheiro.h"
#include <QTest>

class TstDinheiro : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leTextoTipado_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("valido");
        QTest::addColumn<qint64>("centavos");
        QTest::newRow("agrupado") << "1.234,56" << true << 123456LL;
        QTest::newRow("sem grupos") << "1234,5" << true << 123450LL;
        QTest::newRow("inteiro") << "7" << true << 700LL;
        QTest::newRow("meio centavo sobe") << "1,005" << true << 101LL;
        QTest::newRow("abaixo do meio desce") << "1,004" << true << 100LL;
        QTest::newRow("negativo arredonda para longe do zero") << "-2,345" << true << -235LL;
        QTest::newRow("zero negativo") << "-0,004" << true << 0LL;
        QTest::newRow("muitas casas") << "999.999,995" << true << 100000000LL;
        QTest::newRow("so decimais") << ",5" << true << 50LL;
        QTest::newRow("maior numeric 18,2")
            << "92233720368547758,07" << true << 9223372036854775807LL;
        QTest::newRow("alem do numeric") << "92233720368547758,08" << false << 0LL;
        QTest::newRow("letras") << "12a" << false << 0LL;
        QTest::newRow("vazio") << "" << false << 0LL;
        QTest::newRow("grupo torto") << "1.23,00" << false << 0LL;
        QTest::newRow("duas virgulas") << "1,2,3" << false << 0LL;
        QTest::newRow("ponto no fim") << "1." << false << 0LL;
    }
    void leTextoTipado() {
        QFETCH(QString, texto);
        QFETCH(bool, valido);
        QFETCH(qint64, centavos);
        const auto lido = Dinheiro::lerTexto(texto);
        QCOMPARE(lido.has_value(), valido);
        if (valido)
            QCOMPARE(lido->centavos(), centavos);
    }

    void formata_data() {
        QTest::addColumn<qint64>("centavos");
        QTest::addColumn<QString>("texto");
        QTest::newRow("zero") << 0LL << "0,00";
        QTest::newRow("um centavo") << 1LL << "0,01";
        QTest::newRow("milhar") << 123450LL << "1.234,50";
        QTest::newRow("maximo do extenso") << 99999999LL << "999.999,99";
        QTest::newRow("negativo") << -100000LL << "-1.000,00";
        QTest::newRow("menor int64")
            << std::numeric_limits<qint64>::min() << "-92.233.720.368.547.758,08";
    }
    void formata() {
        QFETCH(qint64, centavos);
        QFETCH(QString, texto);
        QCOMPARE(Dinheiro::deCentavos(centavos).formatado(), texto);
    }
};

QTEST_GUILESS_MAIN(TstDinheiro)
#include "tst_dinheiro.moc"
