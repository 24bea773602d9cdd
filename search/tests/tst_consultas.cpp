#include "BancoTeste.h"
#include "Consultas.h"

#include <QTest>
#include <ranges>

using Consultas::Faixa;

namespace {

// Numbers stored so that every prefix of the table below meets neighbours on both sides of
// its ranges: zero, negatives, the ends of ranges, the largest number the key can hold.
const int k_numeros[] = {-12,   -1,    0,      1,         2,          9,         10,
                         11,    12,    19,     100,       119,        120,       125,
                         129,   130,   1199,   1200,      1299,       1300,      12000,
                         12999, 99999, 120000, 214748364, 2147483640, 2147483647};

} // namespace

class TesteConsultas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textoVaiEntreAspasDobradas_data();
    void textoVaiEntreAspasDobradas();
    void faixasDeUmPrefixo_data();
    void faixasDeUmPrefixo();
    void numeroPorFaixasAchaOMesmoQueOLike();
};

void TesteConsultas::textoVaiEntreAspasDobradas_data() {
    QTest::addColumn<QStringList>("linhas");
    QTest::addColumn<QStringList>("esperado");
    const QString cli = QStringLiteral("SELECT * FROM CLIENTES WHERE");
    const QString rec = QStringLiteral("SELECT * FROM RECIBOS WHERE");
    QTest::newRow("nome do cliente com apóstrofo")
        << Consultas::clientesPorNome(QStringLiteral("D'AVILA"))
        << QStringList{cli, QStringLiteral("CLIENTE LIKE 'D''AVILA%' ORDER BY CLIENTE")};
    QTest::newRow("aspas que fechariam o literal")
        << Consultas::clientesPorNome(QStringLiteral("X' OR ''='"))
        << QStringList{cli, QStringLiteral("CLIENTE LIKE 'X'' OR ''''=''%' ORDER BY CLIENTE")};
    QTest::newRow("CPF/CNPJ") << Consultas::clientesPorCpfCnpj(QStringLiteral("123."))
                              << QStringList{
                                     cli, QStringLiteral("CPFCNPJ LIKE '123.%' ORDER BY CLIENTE")};
    QTest::newRow("caixa vazia") << Consultas::clientesPorNome(QString())
                                 << QStringList{
                                        cli, QStringLiteral("CLIENTE LIKE '%' ORDER BY CLIENTE")};
    QTest::newRow("recibo pelo nome")
        << Consultas::recibosPorNome(QStringLiteral("O'HARA"))
        << QStringList{rec, QStringLiteral("CLIENTE LIKE 'O''HARA%' ORDER BY ID_RECIBO")};
    QTest::newRow("número com letra fica no LIKE")
        << Consultas::recibosPorNumero(QStringLiteral("1'A"))
        << QStringList{rec, QStringLiteral("ID_RECIBO LIKE '1''A%' ORDER BY ID_RECIBO")};
    QTest::newRow("número com curinga fica no LIKE")
        << Consultas::recibosPorNumero(QStringLiteral("1_"))
        << QStringList{rec, QStringLiteral("ID_RECIBO LIKE '1_%' ORDER BY ID_RECIBO")};
    QTest::newRow("todos os clientes") << Consultas::clientesTodos()
                                       << QStringList{QStringLiteral("SELECT * FROM CLIENTES"),
                                                      QStringLiteral("ORDER BY CLIENTE")};
    QTest::newRow("todos os recibos") << Consultas::recibosTodos()
                                      << QStringList{QStringLiteral("SELECT * FROM RECIBOS"),
                                                     QStringLiteral("ORDER BY ID_RECIBO DESC")};
}

void TesteConsultas::textoVaiEntreAspasDobradas() {
    QFETCH(QStringList, linhas);
    QFETCH(QStringList, esperado);
    QCOMPARE(linhas, esperado);
}

void TesteConsultas::faixasDeUmPrefixo_data() {
    QTest::addColumn<QString>("digitos");
    QTest::addColumn<bool>("soDigitos");
    QTest::addColumn<std::vector<Faixa>>("faixas");
    // Up to 1500.
    QTest::newRow("12") << QStringLiteral("12") << true
                        << std::vector<Faixa>{{12, 12}, {120, 129}, {1200, 1299}};
    QTest::newRow("15 corta no maior")
        << QStringLiteral("15") << true << std::vector<Faixa>{{15, 15}, {150, 159}, {1500, 1500}};
    QTest::newRow("16 passa do maior")
        << QStringLiteral("16") << true << std::vector<Faixa>{{16, 16}, {160, 169}};
    QTest::newRow("1") << QStringLiteral("1") << true
                       << std::vector<Faixa>{{1, 1}, {10, 19}, {100, 199}, {1000, 1500}};
    QTest::newRow("0 é só o zero") << QStringLiteral("0") << true << std::vector<Faixa>{{0, 0}};
    QTest::newRow("zero à esquerda") << QStringLiteral("012") << true << std::vector<Faixa>{};
    QTest::newRow("00") << QStringLiteral("00") << true << std::vector<Faixa>{};
    QTest::newRow("maior que o maior") << QStringLiteral("1501") << true << std::vector<Faixa>{};
    QTest::newRow("mais dígitos que o maior")
        << QStringLiteral("10000") << true << std::vector<Faixa>{};
    QTest::newRow("vazio") << QString() << false << std::vector<Faixa>{};
    QTest::newRow("letra") << QStringLiteral("1A") << false << std::vector<Faixa>{};
    QTest::newRow("curinga %") << QStringLiteral("1%") << false << std::vector<Faixa>{};
    QTest::newRow("sinal") << QStringLiteral("-1") << false << std::vector<Faixa>{};
    QTest::newRow("dígito de outra escrita")
        << QStringLiteral("١") << false << std::vector<Faixa>{};
}

void TesteConsultas::faixasDeUmPrefixo() {
    QFETCH(QString, digitos);
    QFETCH(bool, soDigitos);
    QFETCH(std::vector<Faixa>, faixas);
    const auto obtido = Consultas::faixasDoPrefixo(digitos, 1500);
    QCOMPARE(obtido.has_value(), soDigitos);
    if (obtido)
        QCOMPARE(*obtido, faixas);
}

// The statement through the key finds exactly the receipts, in the same order, that the
// literal LIKE of the number finds.
void TesteConsultas::numeroPorFaixasAchaOMesmoQueOLike() {
    BancoTeste banco;
    auto dm = banco.abrir();
    dm->Recibos->abrir();
    // Stored newest first, so that the order of storage is not the order of the numbers.
    for (const int n : std::views::reverse(k_numeros))
        Fb::Comando(*dm->Tra, QStringLiteral("INSERT INTO RECIBOS (ID_RECIBO, CLIENTE) VALUES "
                                             "(%1, 'X')")
                                  .arg(n))
            .executar();

    const auto numeros = [&](const QStringList &sql) {
        dm->Recibos->substituirSql(sql);
        dm->Recibos->carregarTudo();
        QList<int> r;
        for (int i = 0; i < dm->Recibos->linhasCarregadas(); ++i)
            r << dm->Recibos->valor(i, dm->RecibosID_RECIBO->indice()).toInt();
        return r;
    };
    const QStringList prefixos{QStringLiteral("1"),          QStringLiteral("12"),
                               QStringLiteral("120"),        QStringLiteral("1299"),
                               QStringLiteral("13"),         QStringLiteral("9"),
                               QStringLiteral("99999"),      QStringLiteral("0"),
                               QStringLiteral("01"),         QStringLiteral("00"),
                               QStringLiteral("2"),          QStringLiteral("2147483647"),
                               QStringLiteral("2147483648"), QStringLiteral("21474836470"),
                               QStringLiteral("3"),          QStringLiteral("999999"),
                               QStringLiteral("1_"),         QStringLiteral("%2"),
                               QStringLiteral("A"),          QString()};
    for (const QString &p : prefixos) {
        const QStringList porFaixas = Consultas::recibosPorNumero(p);
        const QStringList literal{QStringLiteral("SELECT * FROM RECIBOS WHERE"),
                                  QStringLiteral("ID_RECIBO LIKE '") + p +
                                      QStringLiteral("%' ORDER BY ID_RECIBO")};
        const bool digitos = Consultas::faixasDoPrefixo(p, 1).has_value();
        QVERIFY2(porFaixas.join(u' ').contains(QLatin1String("LIKE")) != digitos, qPrintable(p));
        QCOMPARE(numeros(porFaixas), numeros(literal));
    }
    QCOMPARE(numeros(Consultas::recibosPorNumero(QStringLiteral("12"))),
             (QList<int>{12, 120, 125, 129, 1200, 1299, 12000, 12999, 120000}));
}

QTEST_GUILESS_MAIN(TesteConsultas)
#include "tst_consultas.moc"
