#include "BancoTeste.h"
#include "BuscaEmSegundoPlano.h"
#include "ErroSistema.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A statement that reads for many seconds and finds nothing: every pair and triple of the
// engine's own field descriptions, none equal to a name that does not exist.
const QStringList k_semFim{
    QStringLiteral("SELECT A.RDB$FIELD_NAME AS CLIENTE FROM RDB$FIELDS A, RDB$FIELDS B, "
                   "RDB$FIELDS C WHERE A.RDB$FIELD_NAME || B.RDB$FIELD_NAME || "
                   "C.RDB$FIELD_NAME = 'NINGUÉM'")};

BuscaEmSegundoPlano::Montagem sql(const QStringList &linhas) {
    return [linhas](Fb::Transacao &) { return linhas; };
}

} // namespace

class TesteBuscaEmSegundoPlano : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() {
        Datamodule1 = nullptr;
        m_dm.reset();
        Fb::encerrar();
    }
    void init();
    void buscaNovaCancelaALongaEFicaComAsLinhasDela();
    void cancelamentoQueChegaTardeNaoFalhaOProximoComando();
    void buscaLongaAvisaQueEstaOcupadaAteTerminar();
    void buscaQueFalhaDizPorqueEFechaAGrade();
    void cancelarDeixaAsLinhasQueAGradeMostra();
    void textoRecusadoEsvaziaAGradeNaHora();

private:
    QStringList nomes() const {
        QStringList r;
        for (int i = 0; i < m_dm->Clientes->linhasCarregadas(); ++i)
            r << m_dm->Clientes->valor(i, m_dm->ClientesCLIENTE->indice()).toString().trimmed();
        return r;
    }

    BancoTeste m_banco;
    std::unique_ptr<TDatamodule1> m_dm;
};

void TesteBuscaEmSegundoPlano::initTestCase() {
    m_dm = m_banco.abrir();
    Datamodule1 = m_dm.get();
    for (const char *nome : {"ANA", "MARIA", "MARCOS", "PEDRO"})
        m_dm->cadastrarCliente(QString::fromLatin1(nome), QString());
}

void TesteBuscaEmSegundoPlano::init() {
    Consultas::mostrarTodosOsClientes();
}

// Typing on while a search reads the whole table: the engine stops it, and the grid gets
// the rows of the text typed last, never those of the search it replaced.
void TesteBuscaEmSegundoPlano::buscaNovaCancelaALongaEFicaComAsLinhasDela() {
    BuscaEmSegundoPlano busca;
    busca.buscar(*m_dm->Clientes, sql(k_semFim), 26);
    QTest::qWait(50);
    QVERIFY(busca.emAndamento());
    busca.buscar(Consultas::Busca::ClientesPorNome, QStringLiteral("MAR"), 26);
    busca.buscar(Consultas::Busca::ClientesPorNome, QStringLiteral("MARI"), 26);
    busca.concluir();
    QCOMPARE(nomes(), QStringList{QStringLiteral("MARIA")});
    QVERIFY(!busca.emAndamento());
    // The grid reads on from the new statement.
    QVERIFY(!m_dm->Clientes->podeCarregarMais() || (m_dm->Clientes->carregarMais(10), true));
}

// A search that ended just before the cancel reached the engine leaves a cancel pending,
// which would fail the next statement of anyone: it is taken away first.
void TesteBuscaEmSegundoPlano::cancelamentoQueChegaTardeNaoFalhaOProximoComando() {
    BuscaEmSegundoPlano busca;
    QSignalSpy terminou(&busca, &BuscaEmSegundoPlano::terminou);
    busca.buscar(Consultas::Busca::ClientesPorNome, QStringLiteral("A"), 26);
    QVERIFY(terminou.wait());
    // Ended in its thread, not yet received: the next text cancels what has nothing to stop.
    busca.buscar(Consultas::Busca::ClientesPorNome, QStringLiteral("P"), 26);
    busca.concluir();
    QCOMPARE(nomes(), QStringList{QStringLiteral("PEDRO")});
    for (int i = 0; i < 3; ++i) {
        Consultas::mostrarTodosOsClientes();
        m_dm->Clientes->carregarTudo();
        QCOMPARE(m_dm->Clientes->linhasCarregadas(), 4);
    }
}

void TesteBuscaEmSegundoPlano::buscaLongaAvisaQueEstaOcupadaAteTerminar() {
    BuscaEmSegundoPlano busca;
    QSignalSpy ocupada(&busca, &BuscaEmSegundoPlano::ocupadaMudou);
    busca.buscar(*m_dm->Clientes, sql(k_semFim), 26);
    QVERIFY(ocupada.wait(5000));
    QCOMPARE(ocupada.takeFirst().at(0).toBool(), true);
    busca.buscar(Consultas::Busca::ClientesPorNome, QStringLiteral("ANA"), 26);
    busca.concluir();
    QCOMPARE(ocupada.size(), 1);
    QCOMPARE(ocupada.takeFirst().at(0).toBool(), false);
    QCOMPARE(nomes(), QStringList{QStringLiteral("ANA")});

    // A quick search never says it is running.
    busca.buscar(Consultas::Busca::ClientesPorNome, QStringLiteral("M"), 26);
    busca.concluir();
    QTest::qWait(BuscaEmSegundoPlano::k_demoraParaAvisar + 50);
    QVERIFY(ocupada.isEmpty());
}

void TesteBuscaEmSegundoPlano::buscaQueFalhaDizPorqueEFechaAGrade() {
    BuscaEmSegundoPlano busca;
    busca.buscar(*m_dm->Clientes,
                 sql({QStringLiteral("SELECT CLIENTE FROM CLIENTES WHERE 1 / 0 = 1")}), 26);
    try {
        busca.concluir();
        QFAIL("a division by zero was not told");
    } catch (const ErroSistema &erro) {
        QVERIFY2(erro.mensagem().contains(QLatin1String("zero")), qPrintable(erro.mensagem()));
    }
    QVERIFY(!m_dm->Clientes->aberto());
    // The connection answers the next search.
    busca.buscar(Consultas::Busca::ClientesPorNome, QStringLiteral("PE"), 26);
    busca.concluir();
    QCOMPARE(nomes(), QStringList{QStringLiteral("PEDRO")});
}

// Closing the window while a search runs: the grid keeps what it showed, and the connection
// is free again at once.
void TesteBuscaEmSegundoPlano::cancelarDeixaAsLinhasQueAGradeMostra() {
    BuscaEmSegundoPlano busca;
    busca.buscar(Consultas::Busca::ClientesPorNome, QStringLiteral("MAR"), 26);
    busca.concluir();
    busca.buscar(*m_dm->Clientes, sql(k_semFim), 26);
    QTest::qWait(50);
    busca.cancelar();
    QVERIFY(!busca.emAndamento());
    QCOMPARE(nomes(), (QStringList{QStringLiteral("MARCOS"), QStringLiteral("MARIA")}));
    Consultas::mostrarTodosOsClientes();
    QVERIFY(m_dm->Clientes->aberto());
}

void TesteBuscaEmSegundoPlano::textoRecusadoEsvaziaAGradeNaHora() {
    BuscaEmSegundoPlano busca;
    busca.buscar(*m_dm->Clientes, sql(k_semFim), 26);
    QVERIFY_THROWS_EXCEPTION(ErroSistema, busca.buscar(Consultas::Busca::ClientesPorNome,
                                                       QStringLiteral("A") + QChar(0x263A), 26));
    QVERIFY(!busca.emAndamento());
    QVERIFY(!m_dm->Clientes->aberto());
}

QTEST_GUILESS_MAIN(TesteBuscaEmSegundoPlano)
#include "tst_buscaemsegundoplano.moc"
