#include "ColFocus.h"

#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDateEdit>
#include <QtWidgets/QFrame>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QTextEdit>
#include <QtWidgets/QToolButton>

#include <QHash>

#include <memory>

// Stand-ins for the data-aware fields the windows use: subclasses with class names of their own.
class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
};
class TDBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;
};
class TDBDateEdit : public QDateEdit {
    Q_OBJECT
public:
    using QDateEdit::QDateEdit;
};

namespace {

const QColor kAmarelo(Qt::yellow);
const QColor kCinza(230, 230, 230);

// A small record window laid out like the program's: fields straight on the window, a memo
// inside a group box, a button. It carries a highlighter set as the record windows set theirs.
class JanelaTeste : public QWidget {
public:
    JanelaTeste() {
        setFixedSize(480, 300);
        // First in the focus chain, so that the window opens with no field highlighted.
        novo<QPushButton>("BTsalvar", this, {14, 20, 100, 60});
        novo<QLineEdit>("DBEdit2", this, {150, 20, 200, 21});
        auto *comCor = novo<QLineEdit>("DBEdit3", this, {150, 50, 200, 21});
        QPalette paleta = comCor->palette();
        paleta.setColor(QPalette::Base, kCinza);
        comCor->setPalette(paleta);
        novo<TDBLookupComboBox>("DBtipo", this, {150, 80, 121, 21})
            ->addItems({"CREDOR", "DEVEDOR"});
        novo<QComboBox>("DBcidade", this, {280, 80, 121, 21})->setEditable(true);
        novo<TDBEdit>("DBvalor", this, {150, 110, 121, 21});
        novo<TDBDateEdit>("DBdata", this, {280, 110, 100, 21});
        auto *grupo = novo<QGroupBox>("GroupBox1", this, {140, 140, 300, 110});
        novo<TDBMemo>("DBobs", grupo, {10, 20, 280, 80});
        // Set up as the record windows' forms set theirs: the column's buttons take the focus
        // only when clicked, the print buttons beside the receipt never.
        auto *coluna = novo<QFrame>("Panel1", this, {4, 90, 120, 80});
        novo<QToolButton>("BTnovo", coluna, {10, 10, 100, 60})->setFocusPolicy(Qt::ClickFocus);
        novo<QToolButton>("SpeedButton3", this, {140, 260, 75, 25})->setFocusPolicy(Qt::NoFocus);

        colFocus = new TColFocus(this);
        colFocus->setAtivaBorda(true);
        colFocus->setAtivaColor(true);
        colFocus->setColor(Qt::yellow);
    }

    QWidget *campo(const QString &nome) const { return findChild<QWidget *>(nome); }
    QWidget *moldura() const { return findChild<QWidget *>("molduraFoco"); }

    TColFocus *colFocus;

private:
    template <class W> W *novo(const char *nome, QWidget *pai, QRect geometria) {
        auto *w = new W(pai);
        w->setObjectName(nome);
        w->setGeometry(geometria);
        return w;
    }
};

bool ativar(QWidget &janela) {
    janela.show();
    janela.activateWindow();
    // A dialog counts as active as soon as its parent is, so wait for the application's word.
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &janela; });
}

QColor fundo(const QWidget *w, QPalette::ColorGroup grupo = QPalette::Active) {
    return w->palette().color(grupo, QPalette::Base);
}

// The colours the highlighter may touch, in every group, to compare before and after.
QList<QColor> coresDe(const QWidget *w) {
    QList<QColor> cores;
    for (auto grupo : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (auto papel : {QPalette::Base, QPalette::Button, QPalette::Text, QPalette::ButtonText,
                           QPalette::WindowText})
            cores << w->palette().color(grupo, papel);
    return cores;
}

bool molduraEmVoltaDe(const QWidget *moldura, const QWidget *campo) {
    if (!moldura || !moldura->isVisible() || moldura->parentWidget() != campo->parentWidget())
        return false;
    const auto irmaos = campo->parentWidget()->children();
    return moldura->geometry() == campo->geometry().adjusted(-1, -1, 1, 1) &&
           irmaos.indexOf(moldura) < irmaos.indexOf(campo);
}

template <class W> QWidget *fazer(QWidget *pai) {
    return new W(pai);
}

QWidget *criarPorTipo(const QString &tipo, QWidget *pai) {
    static const QHash<QString, QWidget *(*)(QWidget *)> fabricas{
        {"QLineEdit", fazer<QLineEdit>},
        {"QComboBox", fazer<QComboBox>},
        {"QPlainTextEdit", fazer<QPlainTextEdit>},
        {"QTextEdit", fazer<QTextEdit>},
        {"QDateEdit", fazer<QDateEdit>},
        {"QDoubleSpinBox", fazer<QDoubleSpinBox>},
        {"QCheckBox", fazer<QCheckBox>},
        {"TDBEdit", fazer<TDBEdit>},
        {"TDBLookupComboBox", fazer<TDBLookupComboBox>},
        {"TDBMemo", fazer<TDBMemo>},
        {"TDBDateEdit", fazer<TDBDateEdit>},
        {"QPushButton", fazer<QPushButton>},
        {"QRadioButton", fazer<QRadioButton>},
        {"QListWidget", fazer<QListWidget>},
        {"QLabel", fazer<QLabel>},
        {"QTableWidget", fazer<QTableWidget>},
    };
    const auto fabrica = fabricas.value(tipo);
    return fabrica ? fabrica(pai) : nullptr;
}

} // namespace

class TestColFocus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listaPadraoReconhece_data();
    void listaPadraoReconhece();
    void destacaERestaura_data();
    void destacaERestaura();
    void cliqueEmBotaoDaJanela_data();
    void cliqueEmBotaoDaJanela();
    void botaoDentroDoCampoNaoTiraODestaque();
    void anelVermelhoEmVoltaDoCampoAmarelo();
    void tabulacaoMoveODestaque();
    void chaves_data();
    void chaves();
    void nomeProprioNaLista();
    void caixaDeMensagemNaoTiraODestaque();
    void duasJanelasCadaUmaComOSeu();
    void janelaDestruidaNaoQuebra();
    void componenteDestruidoDevolveAsCores();
};

void TestColFocus::listaPadraoReconhece_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<bool>("campo");
    QTest::newRow("linha de texto") << "QLineEdit" << true;
    QTest::newRow("caixa de combinação") << "QComboBox" << true;
    QTest::newRow("texto de várias linhas") << "QPlainTextEdit" << true;
    QTest::newRow("texto rico") << "QTextEdit" << true;
    QTest::newRow("data") << "QDateEdit" << true;
    QTest::newRow("número") << "QDoubleSpinBox" << true;
    QTest::newRow("caixa de marcar") << "QCheckBox" << true;
    QTest::newRow("campo de dados derivado de QLineEdit") << "TDBEdit" << true;
    QTest::newRow("combinação de dados derivada de QComboBox") << "TDBLookupComboBox" << true;
    QTest::newRow("memo de dados derivado de QPlainTextEdit") << "TDBMemo" << true;
    QTest::newRow("data de dados derivada de QDateEdit") << "TDBDateEdit" << true;
    QTest::newRow("botão") << "QPushButton" << false;
    QTest::newRow("botão de opção") << "QRadioButton" << false;
    QTest::newRow("lista") << "QListWidget" << false;
    QTest::newRow("caixa de imagem") << "QLabel" << false;
    QTest::newRow("grade") << "QTableWidget" << false;
}

void TestColFocus::listaPadraoReconhece() {
    QFETCH(QString, tipo);
    QFETCH(bool, campo);
    QWidget janela;
    TColFocus colFocus(&janela);
    QWidget *controle = criarPorTipo(tipo, &janela);
    QVERIFY(controle);
    QCOMPARE(QString::fromLatin1(controle->metaObject()->className()), tipo);
    QCOMPARE(colFocus.ehCampo(controle), campo);
}

void TestColFocus::destacaERestaura_data() {
    QTest::addColumn<QString>("nome");
    QTest::newRow("linha de texto") << "DBEdit2";
    QTest::newRow("linha com fundo próprio") << "DBEdit3";
    QTest::newRow("combinação de dados") << "DBtipo";
    QTest::newRow("combinação editável") << "DBcidade";
    QTest::newRow("campo de dados") << "DBvalor";
    QTest::newRow("data de dados") << "DBdata";
    QTest::newRow("memo dentro de um grupo") << "DBobs";
}

void TestColFocus::destacaERestaura() {
    QFETCH(QString, nome);
    JanelaTeste janela;
    QVERIFY(ativar(janela));
    QWidget *campo = janela.campo(nome);
    auto *botao = janela.campo("BTsalvar");
    const auto coresCampo = coresDe(campo);
    const auto coresBotao = coresDe(botao);
    const bool tinhaPaletaPropria = campo->testAttribute(Qt::WA_SetPalette);

    campo->setFocus();
    QCOMPARE(QApplication::focusWidget(), campo);
    QCOMPARE(janela.colFocus->destacado(), campo);
    for (auto grupo : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        QCOMPARE(fundo(campo, grupo), kAmarelo);
    QVERIFY(molduraEmVoltaDe(janela.moldura(), campo));

    // A click on a button of the same window gives the field its colours back and leaves the
    // button as it was.
    QTest::mouseClick(botao, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), botao);
    QCOMPARE(coresDe(campo), coresCampo);
    QCOMPARE(campo->testAttribute(Qt::WA_SetPalette), tinhaPaletaPropria);
    QCOMPARE(coresDe(botao), coresBotao);
    QVERIFY(!janela.moldura()->isVisible());
    QCOMPARE(janela.colFocus->destacado(), nullptr);

    // A colour the field did not set itself follows its window again.
    if (!tinhaPaletaPropria) {
        QPalette paleta = janela.palette();
        paleta.setColor(QPalette::Base, Qt::cyan);
        janela.setPalette(paleta);
        QCOMPARE(fundo(campo), QColor(Qt::cyan));
    }
}

void TestColFocus::cliqueEmBotaoDaJanela_data() {
    QTest::addColumn<QString>("nomeBotao");
    QTest::addColumn<bool>("levaOFoco");
    QTest::addColumn<bool>("voltaDigitando");
    QTest::newRow("botão da coluna, focado só pelo clique") << "BTnovo" << true << false;
    QTest::newRow("botão sem foco, volta digitando") << "SpeedButton3" << false << true;
    QTest::newRow("botão sem foco, volta clicando no campo") << "SpeedButton3" << false << false;
}

void TestColFocus::cliqueEmBotaoDaJanela() {
    QFETCH(QString, nomeBotao);
    QFETCH(bool, levaOFoco);
    QFETCH(bool, voltaDigitando);
    JanelaTeste janela;
    QVERIFY(ativar(janela));
    auto *campo = static_cast<QLineEdit *>(janela.campo("DBvalor"));
    QWidget *botao = janela.campo(nomeBotao);
    const auto coresCampo = coresDe(campo);
    const auto coresBotao = coresDe(botao);
    campo->setFocus();
    QCOMPARE(fundo(campo), kAmarelo);

    QTest::mouseClick(botao, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), levaOFoco ? botao : campo);
    QCOMPARE(coresDe(campo), coresCampo);
    QVERIFY(!janela.moldura()->isVisible());
    QCOMPARE(janela.colFocus->destacado(), nullptr);
    QCOMPARE(coresDe(botao), coresBotao);

    // Back at work in the field, it is highlighted again.
    if (voltaDigitando)
        QTest::keyClick(campo, Qt::Key_5);
    else
        QTest::mouseClick(campo, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), campo);
    QCOMPARE(fundo(campo), kAmarelo);
    QVERIFY(molduraEmVoltaDe(janela.moldura(), campo));
    QCOMPARE(campo->text(), voltaDigitando ? QStringLiteral("5") : QString());
}

void TestColFocus::botaoDentroDoCampoNaoTiraODestaque() {
    JanelaTeste janela;
    auto *campo = static_cast<QLineEdit *>(janela.campo("DBEdit2"));
    campo->setClearButtonEnabled(true);
    QVERIFY(ativar(janela));
    campo->setFocus();
    QTest::keyClicks(campo, QStringLiteral("abc"));
    auto *limpar = campo->findChild<QToolButton *>();
    QVERIFY(limpar);
    QVERIFY(QTest::qWaitFor([&] { return limpar->isVisible() && limpar->isEnabled(); }));

    QTest::mouseClick(limpar, Qt::LeftButton);
    QCOMPARE(campo->text(), QString());
    QCOMPARE(janela.colFocus->destacado(), campo);
    QCOMPARE(fundo(campo), kAmarelo);
    QVERIFY(molduraEmVoltaDe(janela.moldura(), campo));
}

void TestColFocus::anelVermelhoEmVoltaDoCampoAmarelo() {
    JanelaTeste janela;
    QVERIFY(ativar(janela));
    QWidget *campo = janela.campo("DBEdit2");
    campo->setFocus();

    const QImage imagem = janela.grab().toImage();
    const QRect g = campo->geometry();
    for (QPoint anel : {g.topLeft() - QPoint(1, 1), g.bottomRight() + QPoint(1, 1),
                        QPoint(g.center().x(), g.top() - 1)})
        QCOMPARE(imagem.pixelColor(anel), QColor(Qt::red));
    QCOMPARE(imagem.pixelColor(g.right() - 4, g.center().y()), kAmarelo);
    QVERIFY(imagem.pixelColor(g.topLeft() - QPoint(2, 2)) != QColor(Qt::red));
}

void TestColFocus::tabulacaoMoveODestaque() {
    JanelaTeste janela;
    QVERIFY(ativar(janela));
    QWidget *nome = janela.campo("DBEdit2");
    QWidget *email = janela.campo("DBEdit3");
    QWidget *tipo = janela.campo("DBtipo");
    const QColor fundoNome = fundo(nome);

    nome->setFocus();
    QTest::keyClick(nome, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), email);
    QCOMPARE(fundo(email), kAmarelo);
    QCOMPARE(fundo(nome), fundoNome);
    QVERIFY(molduraEmVoltaDe(janela.moldura(), email));

    QTest::keyClick(email, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), tipo);
    QCOMPARE(fundo(email), kCinza);
    QCOMPARE(fundo(tipo), kAmarelo);
    QVERIFY(molduraEmVoltaDe(janela.moldura(), tipo));
}

void TestColFocus::chaves_data() {
    QTest::addColumn<bool>("borda");
    QTest::addColumn<bool>("cor");
    QTest::addColumn<bool>("corDoTexto");
    QTest::newRow("tudo desligado") << false << false << false;
    QTest::newRow("só o anel, como no recibo rápido") << true << false << false;
    QTest::newRow("fundo e anel, como nos cadastros") << true << true << false;
    QTest::newRow("só a cor do texto") << false << false << true;
    QTest::newRow("tudo ligado") << true << true << true;
}

void TestColFocus::chaves() {
    QFETCH(bool, borda);
    QFETCH(bool, cor);
    QFETCH(bool, corDoTexto);
    JanelaTeste janela;
    janela.colFocus->setAtivaBorda(borda);
    janela.colFocus->setAtivaColor(cor);
    janela.colFocus->setAtivaFontColor(corDoTexto);
    janela.colFocus->setFontFocus(Qt::blue);
    QVERIFY(ativar(janela));
    QWidget *campo = janela.campo("DBvalor");
    const QColor fundoAntes = fundo(campo);
    const QColor textoAntes = campo->palette().color(QPalette::Text);
    const auto coresAntes = coresDe(campo);

    campo->setFocus();
    QCOMPARE(fundo(campo), cor ? kAmarelo : fundoAntes);
    QCOMPARE(campo->palette().color(QPalette::Text), corDoTexto ? QColor(Qt::blue) : textoAntes);
    QCOMPARE(molduraEmVoltaDe(janela.moldura(), campo), borda);

    janela.campo("DBEdit2")->setFocus();
    QCOMPARE(coresDe(campo), coresAntes);
}

void TestColFocus::nomeProprioNaLista() {
    JanelaTeste janela;
    janela.colFocus->setLista(TColFocus::listaPadrao() << "btSALVAR");
    QVERIFY(ativar(janela));
    QWidget *botao = janela.campo("BTsalvar");
    QTest::mouseClick(botao, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), botao);
    QCOMPARE(janela.colFocus->destacado(), botao);
    QCOMPARE(botao->palette().color(QPalette::Button), kAmarelo);
    QVERIFY(molduraEmVoltaDe(janela.moldura(), botao));
}

void TestColFocus::caixaDeMensagemNaoTiraODestaque() {
    JanelaTeste janela;
    QVERIFY(ativar(janela));
    QWidget *nome = janela.campo("DBEdit2");
    const QColor fundoNome = fundo(nome);
    nome->setFocus();

    {
        QMessageBox caixa(QMessageBox::Information, "Talvano", "Cliente salvo", QMessageBox::Ok,
                          &janela);
        QVERIFY(ativar(caixa));
        QVERIFY(caixa.isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(fundo(nome, QPalette::Inactive), kAmarelo);
        QVERIFY(molduraEmVoltaDe(janela.moldura(), nome));
        QCOMPARE(janela.colFocus->destacado(), nome);
    }

    QVERIFY(ativar(janela));
    QCOMPARE(QApplication::focusWidget(), nome);
    QCOMPARE(fundo(nome), kAmarelo);
    QVERIFY(molduraEmVoltaDe(janela.moldura(), nome));

    janela.campo("DBtipo")->setFocus();
    QCOMPARE(fundo(nome), fundoNome);
}

void TestColFocus::duasJanelasCadaUmaComOSeu() {
    JanelaTeste cadastro;
    JanelaTeste recibo;
    recibo.move(500, 0);
    QWidget *nome = cadastro.campo("DBEdit2");
    QWidget *valor = recibo.campo("DBvalor");
    QWidget *obs = recibo.campo("DBobs");
    const QColor fundoNome = fundo(nome);
    const QColor fundoValor = fundo(valor);

    QVERIFY(ativar(cadastro));
    nome->setFocus();
    QVERIFY(ativar(recibo));
    valor->setFocus();
    QCOMPARE(fundo(valor), kAmarelo);
    QVERIFY(molduraEmVoltaDe(recibo.moldura(), valor));
    QCOMPARE(fundo(nome, QPalette::Inactive), kAmarelo);
    QVERIFY(molduraEmVoltaDe(cadastro.moldura(), nome));

    obs->setFocus();
    QCOMPARE(fundo(valor), fundoValor);
    QCOMPARE(fundo(obs), kAmarelo);
    QVERIFY(molduraEmVoltaDe(recibo.moldura(), obs));
    QCOMPARE(cadastro.colFocus->destacado(), nome);

    QVERIFY(ativar(cadastro));
    QCOMPARE(QApplication::focusWidget(), nome);
    cadastro.campo("DBEdit3")->setFocus();
    QCOMPARE(fundo(nome), fundoNome);
    QCOMPARE(fundo(cadastro.campo("DBEdit3")), kAmarelo);
    QCOMPARE(fundo(obs, QPalette::Inactive), kAmarelo);
    QCOMPARE(recibo.colFocus->destacado(), obs);
}

void TestColFocus::janelaDestruidaNaoQuebra() {
    JanelaTeste fica;
    fica.move(500, 0);
    {
        auto vai = std::make_unique<JanelaTeste>();
        QVERIFY(ativar(*vai));
        vai->campo("DBobs")->setFocus();
        QVERIFY(molduraEmVoltaDe(vai->moldura(), vai->campo("DBobs")));
    }

    QVERIFY(ativar(fica));
    QWidget *valor = fica.campo("DBvalor");
    valor->setFocus();
    QCOMPARE(fundo(valor), kAmarelo);
    fica.campo("DBEdit2")->setFocus();
    QCOMPARE(fundo(fica.campo("DBEdit2")), kAmarelo);
    QVERIFY(fundo(valor) != kAmarelo);
}

void TestColFocus::componenteDestruidoDevolveAsCores() {
    JanelaTeste janela;
    QVERIFY(ativar(janela));
    QWidget *nome = janela.campo("DBEdit2");
    const auto coresNome = coresDe(nome);
    nome->setFocus();
    QCOMPARE(fundo(nome), kAmarelo);

    delete janela.colFocus;
    QCOMPARE(coresDe(nome), coresNome);
    QCOMPARE(janela.moldura(), nullptr);

    QWidget *tipo = janela.campo("DBtipo");
    const auto coresTipo = coresDe(tipo);
    tipo->setFocus();
    QCOMPARE(coresDe(tipo), coresTipo);
}

QTEST_MAIN(TestColFocus)
#include "tst_colfocus.moc"
