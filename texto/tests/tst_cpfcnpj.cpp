#include "FormatarCpfCnpj.h"

#include <QTest>

class TstCpfCnpj : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pontua_data() {
        QTest::addColumn<QString>("digitado");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("vazio fica vazio") << ""
                                          << "";
        QTest::newRow("cpf sem pontuacao") << "12345678901"
                                           << "123.456.789-01";
        QTest::newRow("cpf ja pontuado fica igual") << "123.456.789-01"
                                                    << "123.456.789-01";
        QTest::newRow("cpf so com traco") << "123456789-01"
                                          << "123.456.789-01";
        QTest::newRow("cpf so com pontos") << "123.456.78901"
                                           << "123.456.789-01";
        QTest::newRow("cpf com barra no lugar errado") << "123/456/789/01"
                                                       << "123.456.789-01";
        QTest::newRow("cnpj sem pontuacao") << "12345678000190"
                                            << "12.345.678/0001-90";
        QTest::newRow("cnpj ja pontuado fica igual") << "12.345.678/0001-90"
                                                     << "12.345.678/0001-90";
        QTest::newRow("cnpj so com barra") << "12345678/000190"
                                           << "12.345.678/0001-90";
        QTest::newRow("cpf pontuado como cnpj vira cpf") << "12.345.678/901"
                                                         << "123.456.789-01";
        QTest::newRow("dez digitos ficam como digitados") << "1234567890"
                                                          << "1234567890";
        QTest::newRow("doze digitos ficam como digitados") << "123456789012"
                                                           << "123456789012";
        QTest::newRow("dez digitos pontuados perdem os pontos") << "1.234.567.890"
                                                                << "1234567890";
        QTest::newRow("treze digitos com traco") << "123456789012-3"
                                                 << "1234567890123";
        QTest::newRow("so pontuacao some") << ".-/"
                                           << "";
        QTest::newRow("espacos contam: cpf com tres espacos vira cnpj") << "123 456 789 01"
                                                                        << "12.3 4.56 /789 -01";
        QTest::newRow("onze letras como cpf") << "abcdefghijk"
                                              << "abc.def.ghi-jk";
        QTest::newRow("letras entre digitos ficam") << "12a.456.789-01"
                                                    << "12a.456.789-01";
        QTest::newRow("quatorze com acento") << "ÇÃO12345678901"
                                             << "ÇÃ.O12.345/6789-01";
        QTest::newRow("dezessete digitos so perdem pontuacao") << "12.345.678/0001-90123"
                                                               << "12345678000190123";
    }
    void pontua() {
        QFETCH(QString, digitado);
        QFETCH(QString, esperado);
        const QString resultado = FormatarCpfCnpj(digitado);
        QCOMPARE(resultado, esperado);
        // Tidying a tidied number changes nothing.
        QCOMPARE(FormatarCpfCnpj(resultado), resultado);
    }
};

QTEST_GUILESS_MAIN(TstCpfCnpj)
#include "tst_cpfcnpj.moc"
