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
    void initTestCase();
    void textoVaiEntreAspasDobradas_data();
    void textoVaiEntreAspasDobradas();
    void faixasDeUmPrefixo_data();
    void faixasDeUmPrefixo();
    void numeroPorFaixasAchaOMesmoQueOLike();
    void nomeEmDuasPartesAchaOMesmoQueOLike_data();
    void nomeEmDuasPartesAchaOMesmoQueOLike();
    void cpfCnpjPelosNomesAchaOMesmoQueOLike_data();
    void cpfCnpjPelosNomesAchaOMesmoQueOLike();

private:
    // Receipts and clients that every search by name and by tax number below reads.
    BancoTeste m_banco;
    std::unique_ptr<TDatamodule1> m_dm;
};

void TesteConsultas::initTestCase() {
    m_dm = m_banco.abrir();
    TDatamodule1 &dm = *m_dm;
    dm.Recibos->abrir();
    const auto executar = [&](const QString &sql, const QVariantList &valores) {
        Fb::Comando c(*dm.Tra, sql);
        const QStringList nomes = c.nomesParametros();
        for (int i = 0; i < nomes.size(); ++i)
            c.definir(nomes[i], valores[i]);
        c.executar();
    };
    // Receipts stored out of number order, with gaps, a negative number, one without a name
    // and the largest number the key holds.
    const struct {
        int numero;
        const char *nome;
    } recibos[] = {{2147483647, "MARIA"}, {100, "MARIA%"},    {10, "M_X"},    {9, "ANA"},
                   {7, "maria"},          {5, "MARIA SILVA"}, {4, "D'AVILA"}, {2, "MARIO"},
                   {1, "MARIA SILVA"},    {-5, "JOSÉ"},       {-8, nullptr}};
    for (const auto &r : recibos)
        executar(QStringLiteral("INSERT INTO RECIBOS (ID_RECIBO, CLIENTE) VALUES (:ID, :NOME)"),
                 {r.numero, r.nome ? QVariant(QString::fromUtf8(r.nome)) : QVariant()});
    // A name that enough receipts bear for the search to read it in two parts.
    for (int n = 299; n >= 200; --n)
        executar(QStringLiteral("INSERT INTO RECIBOS (ID_RECIBO, CLIENTE) VALUES (:ID, 'PEDRO')"),
                 {n});
    // Clients registered in no name order, nearly all with tax numbers beginning with 1; two
    // of the same name; one without a name, one without a number.
    const auto cliente = [&](int id, const QVariant &nome, const QVariant &cpfCnpj) {
        executar(QStringLiteral("INSERT INTO CLIENTES (ID_CLIENTE, CLIENTE, CPFCNPJ) VALUES "
                                "(:ID, :NOME, :CPF)"),
                 {id, nome, cpfCnpj});
    };
    for (int i = 0; i < 29; ++i)
        cliente(100 - i, QStringLiteral("CLIENTE %1").arg((i * 7) % 29, 2, 10, QLatin1Char('0')),
                QStringLiteral("1%1.000.000-00").arg(i % 10));
    cliente(1, QStringLiteral("MARIA SILVA"), QStringLiteral("123.456.789-09"));
    cliente(2, QStringLiteral("MARIA SILVA"), QStringLiteral("111.222.333-44"));
    cliente(3, QVariant(), QStringLiteral("123.000.000-00"));
    cliente(4, QStringLiteral("D'AVILA"), QStringLiteral("22.345.678/0001-90"));
    cliente(5, QStringLiteral("SEM NÚMERO"), QVariant());
}

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
    QTest::newRow("número com letra não acha nada, sem o texto no comando")
        << Consultas::recibosPorNumero(QStringLiteral("1'A"))
        << QStringList{rec, QStringLiteral("ID_RECIBO IS NULL ORDER BY ID_RECIBO")};
    QTest::newRow("nome mais longo que a coluna não acha nada")
        << Consultas::clientesPorNome(QString(51, QLatin1Char('A')))
        << QStringList{cli, QStringLiteral("ID_CLIENTE IS NULL ORDER BY CLIENTE")};
    QTest::newRow("curingas % não contam no tamanho")
        << Consultas::clientesPorNome(QString(50, QLatin1Char('A')) + QStringLiteral("%%"))
        << QStringList{cli, QStringLiteral("CLIENTE LIKE '") + QString(50, QLatin1Char('A')) +
                                QStringLiteral("%%%' ORDER BY CLIENTE")};
    QTest::newRow("CPF/CNPJ mais longo que a coluna não acha nada")
        << Consultas::clientesPorCpfCnpj(QString(21, QLatin1Char('1')))
        << QStringList{cli, QStringLiteral("ID_CLIENTE IS NULL ORDER BY CLIENTE")};
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
        if (Consultas::faixasDoPrefixo(p, 1).has_value())
            QVERIFY2(!porFaixas.join(u' ').contains(QLatin1String("LIKE")), qPrintable(p));
        QCOMPARE(numeros(porFaixas), numeros(literal));
    }
    QCOMPARE(numeros(Consultas::recibosPorNumero(QStringLiteral("12"))),
             (QList<int>{12, 120, 125, 129, 1200, 1299, 12000, 12999, 120000}));
}

namespace {

// The values of one column of every row the statement selects, in its order.
QStringList colunaDe(Conjunto &conjunto, const QStringList &sql, Campo *campo) {
    conjunto.substituirSql(sql);
    conjunto.carregarTudo();
    QStringList r;
    for (int i = 0; i < conjunto.linhasCarregadas(); ++i)
        r << conjunto.valor(i, campo->indice()).toString();
    return r;
}

} // namespace

void TesteConsultas::nomeEmDuasPartesAchaOMesmoQueOLike_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("duasPartes");
    QTest::addColumn<QStringList>("numeros");
    QStringList pedros;
    for (int n = 200; n < 300; ++n)
        pedros << QString::number(n);
    QTest::newRow("começo do nome")
        << QStringLiteral("MARIA") << false << QStringList{"1", "5", "100", "2147483647"};
    QTest::newRow("uma letra") << QStringLiteral("M") << false
                               << QStringList{"1", "2", "5", "10", "100", "2147483647"};
    QTest::newRow("nome de cem recibos") << QStringLiteral("PEDRO") << true << pedros;
    QTest::newRow("apóstrofo") << QStringLiteral("D'A") << false << QStringList{"4"};
    QTest::newRow("curinga _") << QStringLiteral("M_") << true
                               << QStringList{"1", "2", "5", "10", "100", "2147483647"};
    QTest::newRow("curinga % no meio") << QStringLiteral("%SILVA") << true << QStringList{"1", "5"};
    QTest::newRow("maiúsculas contam") << QStringLiteral("maria") << false << QStringList{"7"};
    QTest::newRow("caixa vazia: quem tem nome")
        << QString() << true
        << QStringList{"-5", "1", "2", "4", "5", "7", "9", "10", "100"} + pedros +
               QStringList{"2147483647"};
    QTest::newRow("nada casa") << QStringLiteral("ZZZ") << false << QStringList{};
}

// Wherever the oldest numbers end, the two parts find exactly the receipts, in the same
// order, that the plain LIKE finds; they are chosen when many receipts may bear the name.
void TesteConsultas::nomeEmDuasPartesAchaOMesmoQueOLike() {
    QFETCH(QString, texto);
    QFETCH(bool, duasPartes);
    QFETCH(QStringList, numeros);
    TDatamodule1 &dm = *m_dm;
    QCOMPARE(colunaDe(*dm.Recibos, Consultas::recibosPorNome(texto), dm.RecibosID_RECIBO), numeros);
    // From the lowest number, -8: only it, up to 1, up to 9, every number but the largest.
    for (const int lidos : {0, 9, 17, Consultas::k_recibosLidosEmOrdem})
        QCOMPARE(colunaDe(*dm.Recibos, Consultas::recibosPorNomeEmDuasPartes(texto, -8, lidos),
                          dm.RecibosID_RECIBO),
                 numeros);
    const QStringList escolhido = Consultas::recibosPorNome(*dm.Tra, texto);
    QCOMPARE(escolhido == Consultas::recibosPorNomeEmDuasPartes(texto, -8), duasPartes);
    QCOMPARE(colunaDe(*dm.Recibos, escolhido, dm.RecibosID_RECIBO), numeros);
}

void TesteConsultas::cpfCnpjPelosNomesAchaOMesmoQueOLike_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("pelosNomes");
    QTest::addColumn<int>("quantos");
    QTest::newRow("primeiro dígito de quase todos") << QStringLiteral("1") << true << 32;
    QTest::newRow("três dígitos de um CPF") << QStringLiteral("123") << false << 2;
    QTest::newRow("quatro dígitos sem o ponto") << QStringLiteral("1234") << false << 0;
    QTest::newRow("curinga") << QStringLiteral("_23") << false << 2;
    QTest::newRow("apóstrofo") << QStringLiteral("1'") << false << 0;
    QTest::newRow("caixa vazia: quem tem CPF/CNPJ") << QString() << true << 33;
}

// The walk by name finds the same clients in the same order as the tax-number index, and
// it is chosen when the first clients by name hold a screen of matches.
void TesteConsultas::cpfCnpjPelosNomesAchaOMesmoQueOLike() {
    QFETCH(QString, texto);
    QFETCH(bool, pelosNomes);
    QFETCH(int, quantos);
    TDatamodule1 &dm = *m_dm;
    const QStringList plano = Consultas::clientesPorCpfCnpj(texto);
    const QStringList esperado = colunaDe(*dm.Clientes, plano, dm.ClientesID_CLIENTE);
    QCOMPARE(esperado.size(), quantos);
    QCOMPARE(colunaDe(*dm.Clientes, Consultas::clientesPorCpfCnpjPelosNomes(texto),
                      dm.ClientesID_CLIENTE),
             esperado);
    const QStringList escolhido = Consultas::clientesPorCpfCnpj(*dm.Tra, texto);
    QCOMPARE(escolhido == Consultas::clientesPorCpfCnpjPelosNomes(texto), pelosNomes);
    QCOMPARE(colunaDe(*dm.Clientes, escolhido, dm.ClientesID_CLIENTE), esperado);
}

QTEST_GUILESS_MAIN(TesteConsultas)
#include "tst_consultas.moc"
