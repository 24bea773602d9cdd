#include "AvisadorGravador.h"
#include "DBCheckBox.h"
#include "JanelaTeste.h"
#include "NavegadorFalso.h"
#include "UNconfiguracoes.h"

#include <QTest>
#include <QUrl>
#include <QtWidgets/QLabel>

using Evento = AvisadorGravador::Evento;

namespace {

const QString k_avancados =
    QStringLiteral("Feche o sistema de RECIBO e abra novamente para que você tenha acesso aos "
                   "recursos avançados do TALVANO !!!!");
const QString k_simples = QStringLiteral(
    "Feche o sistema de RECIBO e abra novamente para que você tenha acesso ao BREVANO !!!!");

// A fresh database whose settings row holds `valor` (NULL for a null QVariant).
struct Ambiente : AmbienteJanela {
    explicit Ambiente(const QVariant &valor) {
        Fb::Comando c(*dm->Tra, QStringLiteral("UPDATE CONFIGURACOES SET CONFIGURACAO1 = :VALOR"));
        c.definir(QStringLiteral("VALOR"), valor);
        c.executar();
        dm->Tra->commitRetaining();
        dm->Configuracao->abrir();
    }
    QVariant guardado() const {
        return consultarDeFora(QStringLiteral("SELECT CONFIGURACAO1 FROM CONFIGURACOES")).at(0);
    }
};

void clicarNaCaixa(const TFRconfiguracoes &painel) {
    auto *caixa = filho<TDBCheckBox>(painel, "DBCheckBox1");
    QTest::mouseClick(caixa, Qt::LeftButton, {}, QPoint(5, caixa->height() / 2));
}

enum class Fechamento { Ok, CaixaDeFechar, Esc };

void fechar(TFRconfiguracoes &painel, Fechamento como) {
    switch (como) {
    case Fechamento::Ok:
        clicar(painel, "BTsair");
        break;
    case Fechamento::CaixaDeFechar:
        painel.close();
        break;
    case Fechamento::Esc:
        QTest::keyClick(&painel, Qt::Key_Escape);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Fechamento)

// Receives the addresses the panel asks the desktop to open.
class TstConfiguracoes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanupTestCase() { Fb::encerrar(); }

    void geometria_data();
    void geometria();
    void fechamento_data();
    void fechamento();
    void reabertoComparaComONovoValor();
    void tabelaSemLinha();
    void linkAbreOManualInstalado();
};

void TstConfiguracoes::geometria_data() {
    colunasDeGeometria();
    linhaDeGeometria("GroupBox1", 8, 16, 756, 153);
    linhaDeGeometria("Label1", 12, 20, 0, 0);
    linhaDeGeometria("DBCheckBox1", 12, 64, 613, 17);
    linhaDeGeometria("Label2", 12, 111, 0, 0);
    linhaDeGeometria("BTsair", 656, 45, 55, 50);
    linhaDeGeometria("GroupBox2", 8, 176, 756, 281);
    linhaDeGeometria("Label3", 12, 36, 0, 0);
    const int topos[] = {60, 80, 100, 120, 140, 160, 180, 200, 220, 257};
    for (int i = 0; i < 10; ++i) {
        const QByteArray nome = "Label" + QByteArray::number(4 + i);
        QTest::newRow(nome.constData()) << QString::fromLatin1(nome) << QRect(24, topos[i], 0, 0);
    }
    linhaDeGeometria("GroupBox3", 8, 488, 756, 89);
    linhaDeGeometria("Label15", 111, 22, 0, 0);
    linhaDeGeometria("Label14", 184, 48, 0, 0);
}

void TstConfiguracoes::geometria() {
    QFETCH(QString, nome);
    QFETCH(QRect, esperado);
    TFRconfiguracoes painel;
    QCOMPARE(painel.windowTitle(), QStringLiteral("Painel de Controle"));
    QCOMPARE(painel.minimumSize(), painel.maximumSize());
    conferirGeometria(painel, nome, esperado);
}

void TstConfiguracoes::fechamento_data() {
    QTest::addColumn<QVariant>("antes");
    QTest::addColumn<bool>("clica");
    QTest::addColumn<Fechamento>("como");
    QTest::addColumn<Qt::CheckState>("caixaAoMostrar");
    QTest::addColumn<QString>("depois");
    QTest::addColumn<QString>("mensagem"); // empty: none
    const QVariant s = QStringLiteral("N");
    const QVariant c = QStringLiteral("Y");
    QTest::newRow("simples, marcada e OK")
        << s << true << Fechamento::Ok << Qt::Unchecked << "Y" << k_avancados;
    QTest::newRow("simples, marcada e caixa de fechar")
        << s << true << Fechamento::CaixaDeFechar << Qt::Unchecked << "Y" << k_avancados;
    QTest::newRow("completo, desmarcada e Esc")
        << c << true << Fechamento::Esc << Qt::Checked << "N" << k_simples;
    QTest::newRow("intocada e OK") << s << false << Fechamento::Ok << Qt::Unchecked << "N"
                                   << "";
    QTest::newRow("outro valor, intocada")
        << QVariant(QStringLiteral("X")) << false << Fechamento::CaixaDeFechar
        << Qt::PartiallyChecked << "X"
        << "";
    QTest::newRow("nulo, marcada")
        << QVariant() << true << Fechamento::Ok << Qt::PartiallyChecked << "Y" << k_avancados;
}

// Every way of closing saves the row the box shows, committed where another program sees it,
// and tells the user once when the mode changed.
void TstConfiguracoes::fechamento() {
    QFETCH(QVariant, antes);
    QFETCH(bool, clica);
    QFETCH(Fechamento, como);
    QFETCH(Qt::CheckState, caixaAoMostrar);
    QFETCH(QString, depois);
    QFETCH(QString, mensagem);
    Ambiente a(antes);
    TFRconfiguracoes painel;
    QVERIFY(abrir(painel));
    QCOMPARE(filho<TDBCheckBox>(painel, "DBCheckBox1")->checkState(), caixaAoMostrar);
    if (clica)
        clicarNaCaixa(painel);
    fechar(painel, como);
    QVERIFY(!painel.isVisible());
    QCOMPARE(a.guardado().toString(), depois);
    QCOMPARE(a.dm->Configuracao->estado(), Conjunto::Estado::Navegando);
    const QList<Evento> esperado =
        mensagem.isEmpty() ? QList<Evento>{} : QList<Evento>{{Evento::Mensagem, mensagem}};
    QCOMPARE(a.aviso.eventos(), esperado);
}

// The value at show is taken at every showing: switched on, then off again.
void TstConfiguracoes::reabertoComparaComONovoValor() {
    Ambiente a(QStringLiteral("N"));
    TFRconfiguracoes painel;
    QVERIFY(abrir(painel));
    clicarNaCaixa(painel);
    fechar(painel, Fechamento::Ok);
    QVERIFY(abrir(painel));
    QVERIFY(filho<TDBCheckBox>(painel, "DBCheckBox1")->isChecked());
    clicarNaCaixa(painel);
    fechar(painel, Fechamento::CaixaDeFechar);
    QCOMPARE(a.guardado().toString(), QStringLiteral("N"));
    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{{Evento::Mensagem, k_avancados}, {Evento::Mensagem, k_simples}}));
}

// A settings table emptied by hand gets its row back instead of a refused save.
void TstConfiguracoes::tabelaSemLinha() {
    Ambiente a(QStringLiteral("N"));
    a.dm->Configuracao->fechar();
    Fb::Comando(*a.dm->Tra, QStringLiteral("DELETE FROM CONFIGURACOES")).executar();
    a.dm->Tra->commitRetaining();
    a.dm->Configuracao->abrir();
    TFRconfiguracoes painel;
    QVERIFY(abrir(painel));
    clicarNaCaixa(painel);
    fechar(painel, Fechamento::Ok);
    QVERIFY(!painel.isVisible());
    const Fb::Linha linha = a.consultarDeFora(
        QStringLiteral("SELECT ID_CONFIGURACAO, CONFIGURACAO1 FROM CONFIGURACOES"));
    QCOMPARE(linha.at(0).toInt(), 1);
    QCOMPARE(linha.at(1).toString(), QStringLiteral("Y"));
}

void TstConfiguracoes::linkAbreOManualInstalado() {
    Ambiente a(QStringLiteral("N"));
    TFRconfiguracoes painel;
    QVERIFY(abrir(painel));
    NavegadorFalso navegador;
    QTest::mouseClick(filho<QLabel>(painel, "Label14"), Qt::LeftButton);
    const QList<QUrl> abertos = navegador.abertos();
    QCOMPARE(abertos.size(), 1);
    const QUrl endereco = abertos.first();
    QVERIFY2(QFileInfo::exists(endereco.toLocalFile()), qPrintable(endereco.toString()));
    QCOMPARE(endereco.fragment(), QStringLiteral("modo-simples"));
    fechar(painel, Fechamento::Ok);
}

QTEST_MAIN(TstConfiguracoes)
#include "tst_configuracoes.moc"
