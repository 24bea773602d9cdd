#include "BancoTeste.h"
#include "ConsultaRelatorio.h"
#include "Dinheiro.h"
#include "RecibosPorData.h"

#include <QDate>
#include <QTest>

namespace {

constexpr int k_recibos = 40;

// Receipts stored in an order that is not the order of their numbers: the i-th stored has
// number (17 i mod 41) + 1. Five of them are of 5 March 2024, four of the 6th, the others
// of days of 2023.
int numeroDoGuardado(int i) {
    return (17 * i) % 41 + 1;
}

QDate dataDoGuardado(int i) {
    if (i % 8 == 0)
        return QDate(2024, 3, 5);
    if (i % 8 == 1 && i < 33)
        return QDate(2024, 3, 6);
    return QDate(2023, 1, 1).addDays(i);
}

} // namespace

class TesteRecibosPorData : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void ordemGuardadaLeOMesmoQueOIndice_data();
    void ordemGuardadaLeOMesmoQueOIndice();
    // The engine's threads end before the process does.
    void cleanupTestCase() {
        m_dm.reset();
        Fb::encerrar();
    }

private:
    BancoTeste m_banco;
    std::unique_ptr<TDatamodule1> m_dm;
};

void TesteRecibosPorData::initTestCase() {
    m_dm = m_banco.abrir();
    m_dm->Recibos->abrir();
    Fb::Comando c(*m_dm->Tra, QStringLiteral("insert into RECIBOS (ID_RECIBO, CLIENTE, VALOR, "
                                             "DATA) values (:ID, 'X', :VALOR, :DATA)"));
    for (int i = 0; i < k_recibos; ++i) {
        c.definir(QStringLiteral("ID"), numeroDoGuardado(i));
        c.definir(QStringLiteral("VALOR"), QVariant::fromValue(Dinheiro::deCentavos(i)));
        c.definir(QStringLiteral("DATA"), dataDoGuardado(i));
        c.executar();
    }
    m_dm->Tra->commitRetaining();
}

void TesteRecibosPorData::ordemGuardadaLeOMesmoQueOIndice_data() {
    QTest::addColumn<QDate>("inicio");
    QTest::addColumn<QDate>("fim");
    QTest::addColumn<bool>("naOrdemGuardada");
    QTest::newRow("todo o cadastro") << QDate(2000, 1, 1) << QDate(2030, 12, 31) << true;
    QTest::newRow("um dia com um oitavo dos recibos")
        << QDate(2024, 3, 5) << QDate(2024, 3, 5) << true;
    QTest::newRow("um dia com menos de um oitavo")
        << QDate(2024, 3, 6) << QDate(2024, 3, 6) << false;
    QTest::newRow("os dois dias") << QDate(2024, 3, 5) << QDate(2024, 3, 6) << true;
    QTest::newRow("fim antes do início") << QDate(2024, 3, 6) << QDate(2024, 3, 5) << false;
}

// Both ways of reading give the receipts of the period in the order they were stored; the
// stored order is chosen when an eighth of the receipts or more fall within the period.
void TesteRecibosPorData::ordemGuardadaLeOMesmoQueOIndice() {
    QFETCH(QDate, inicio);
    QFETCH(QDate, fim);
    QFETCH(bool, naOrdemGuardada);
    QList<int> esperado;
    for (int i = 0; i < k_recibos; ++i)
        if (dataDoGuardado(i) >= inicio && dataDoGuardado(i) <= fim)
            esperado << numeroDoGuardado(i);

    const auto ler = [&](const QStringList &sql) {
        ConsultaRelatorio q(*m_dm->Tra, sql);
        q.definirParametro(QStringLiteral("pini"), inicio);
        q.definirParametro(QStringLiteral("pfim"), fim);
        q.abrir();
        QList<int> numeros;
        while (q.proxima())
            numeros << q.valor(q.indiceCampo(QStringLiteral("ID_RECIBO"))).toInt();
        return numeros;
    };
    QCOMPARE(ler(RecibosPorData::sql()), esperado);
    QCOMPARE(ler(RecibosPorData::sqlNaOrdemGuardada()), esperado);
    QCOMPARE(RecibosPorData::lerNaOrdemGuardada(*m_dm->Tra, inicio, fim), naOrdemGuardada);
}

QTEST_MAIN(TesteRecibosPorData)
#include "tst_recibospordata.moc"
