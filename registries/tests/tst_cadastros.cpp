#include "AvisadorGravador.h"
#include "BitmapTeste.h"
#include "ColFocus.h"
#include "DBEdit.h"
#include "DBImage.h"
#include "JanelaTeste.h"
#include "UNcadcli.h"
#include "UNcademitente.h"

#include <QBuffer>
#include <QTest>
#include <QtGui/QClipboard>
#include <QtGui/QImage>
#include <QtGui/QImageReader>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>

#include <memory>
#include <vector>

using Evento = AvisadorGravador::Evento;

namespace {

using Ambiente = AmbienteJanela;

void digitar(const QWidget &janela, const char *campo, const QString &t) {
    auto *w = filho<QWidget>(janela, campo);
    w->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(w, t);
}

const char *const k_camposCliente[] = {"DBEdit2",  "DBEdit14", "DBEdit3", "DBEdit4", "DBEdit5",
                                       "DBEdit6",  "DBEdit13", "DBEdit8", "DBEdit9", "DBEdit10",
                                       "DBEdit11", "DBEdit12", "DBEdit7"};

// The browsing layout of the client registry, as FormShow and every completed step leave it.
bool navegandoCliente(const QWidget &j) {
    for (const char *b : {"BTnovo", "BTalterar", "BTexcluir", "BTconsultar", "BTsair"})
        if (!filho(j, b)->isEnabled())
            return false;
    for (const char *b : {"BTsalvar", "BTcancelar", "DBEdit1"})
        if (filho(j, b)->isEnabled())
            return false;
    for (const char *c : k_camposCliente)
        if (filho(j, c)->isEnabled())
            return false;
    return true;
}

bool editandoCliente(const QWidget &j) {
    for (const char *b : {"BTnovo", "BTalterar", "BTexcluir", "BTconsultar", "DBEdit1"})
        if (filho(j, b)->isEnabled())
            return false;
    for (const char *b : {"BTsalvar", "BTcancelar", "BTsair"})
        if (!filho(j, b)->isEnabled())
            return false;
    for (const char *c : k_camposCliente)
        if (!filho(j, c)->isEnabled())
            return false;
    return true;
}

QByteArray bitmap(QImage::Format formato, QSize tamanho, const char *tipo = "BMP") {
    QImage img(tamanho, formato);
    if (formato == QImage::Format_Indexed8) {
        img.setColorCount(2);
        img.setColor(0, qRgb(255, 0, 0));
        img.setColor(1, qRgb(0, 0, 255));
    }
    img.fill(1);
    QByteArray dados;
    QBuffer buffer(&dados);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, tipo);
    return dados;
}

QString gravarArquivo(const QTemporaryDir &pasta, const QString &nome, const QByteArray &dados) {
    const QString caminho = pasta.filePath(nome);
    QFile f(caminho);
    f.open(QIODevice::WriteOnly);
    f.write(dados);
    return caminho;
}

} // namespace

class TstCadastros : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QGuiApplication::clipboard()->clear(); }

    void geometria_data();
    void geometria();

    void novoClienteSalvoEConfirmado();
    void salvarSemNomeRecusado();
    void alterarECancelarVoltaAoGuardado();
    void alterarNaTabelaVaziaComecaCliente();
    void excluirPerguntaEGravaNaHora();
    void fechamento_data();
    void fechamento();
    void sempreAbreNoPrimeiroPorNome();
    void enterComoTabPulaDesabilitadosEVolta();
    void entradaInvalidaFicaNoCampo_data();
    void entradaInvalidaFicaNoCampo();
    void destaqueDoCampoComFoco_data();
    void destaqueDoCampoComFoco();

    void emitenteAlterarNaTabelaVaziaCriaALinha();
    void emitenteSairSemprePergunta();
    void emitenteEnterPercorreOsCampos();
    void emitenteCaixaDeFecharDeixaPendente();
    void logotipoIdaEVolta_data();
    void logotipoIdaEVolta();
    void logotipoDe6000Por6000Pixels();
    void previaMostraOQueOLogotipoMostraria_data();
    void previaMostraOQueOLogotipoMostraria();
    void arquivoQueNaoEBitmapMantemOLogotipo_data();
    void arquivoQueNaoEBitmapMantemOLogotipo();
    void retirarLogotipoGravaNaHora();
};

void TstCadastros::geometria_data() {
    QTest::addColumn<QString>("janela");
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QRect>("esperado");
    const auto linha = [](const char *janela, const char *nome, int x, int y, int w, int h) {
        QTest::addRow("%s %s", janela, nome)
            << QString::fromLatin1(janela) << QString::fromLatin1(nome) << QRect(x, y, w, h);
    };
    // Client registry: the button column, the data frame, the instructions; fields inside
    // the data frame.
    linha("cadcli", "TFRcadcli", 0, 0, 718, 610);
    linha("cadcli", "Panel1", 13, 8, 131, 553);
    linha("cadcli", "Panel2", 152, 8, 537, 449);
    linha("cadcli", "Panel3", 152, 458, 537, 103);
    linha("cadcli", "BTnovo", 14, 16, 100, 60);
    linha("cadcli", "BTsalvar", 14, 80, 100, 60);
    linha("cadcli", "BTalterar", 14, 144, 100, 60);
    linha("cadcli", "BTcancelar", 14, 208, 100, 60);
    linha("cadcli", "BTexcluir", 14, 272, 100, 60);
    linha("cadcli", "BTconsultar", 14, 376, 100, 60);
    linha("cadcli", "BTsair", 14, 480, 100, 60);
    linha("cadcli", "DBEdit1", 8, 28, 37, 21);
    linha("cadcli", "DBEdit2", 49, 28, 248, 21);
    linha("cadcli", "DBEdit14", 309, 28, 212, 21);
    linha("cadcli", "DBEdit3", 8, 68, 513, 21);
    linha("cadcli", "DBEdit4", 8, 101, 513, 21);
    linha("cadcli", "DBEdit5", 8, 135, 145, 21);
    linha("cadcli", "DBEdit6", 168, 135, 153, 21);
    linha("cadcli", "DBEdit13", 328, 135, 134, 21);
    linha("cadcli", "DBEdit8", 8, 170, 513, 21);
    linha("cadcli", "DBEdit9", 8, 203, 513, 21);
    linha("cadcli", "DBEdit10", 8, 238, 134, 21);
    linha("cadcli", "DBEdit11", 163, 238, 289, 21);
    linha("cadcli", "DBEdit12", 473, 238, 48, 21);
    linha("cadcli", "DBEdit7", 8, 342, 513, 21);
    // Issuer registry: Cancelar stands on the window itself, level with the frame's buttons.
    linha("cademitente", "TFRcademitente", 0, 0, 697, 511);
    linha("cademitente", "Panel1", 8, 8, 131, 457);
    linha("cademitente", "Panel2", 153, 8, 520, 457);
    linha("cademitente", "BTalterar", 14, 16, 100, 60);
    linha("cademitente", "BTsalvar", 14, 80, 100, 60);
    linha("cademitente", "BTsair", 14, 381, 100, 60);
    linha("cademitente", "BTcancelar", 22, 208, 100, 60);
    linha("cademitente", "DBEdit1", 16, 28, 65, 21);
    linha("cademitente", "DBEdit2", 88, 28, 401, 21);
    linha("cademitente", "DBEdit3", 16, 68, 233, 21);
    linha("cademitente", "DBEdit4", 16, 108, 233, 21);
    linha("cademitente", "GroupBox1", 16, 157, 233, 228);
    linha("cademitente", "btnCarregar", 16, 395, 233, 37);
    linha("cademitente", "SpeedButton1", 256, 345, 105, 40);
}

void TstCadastros::geometria() {
    QFETCH(QString, janela);
    QFETCH(QString, nome);
    QFETCH(QRect, esperado);
    std::unique_ptr<QWidget> j;
    if (janela == QLatin1String("cadcli"))
        j = std::make_unique<TFRcadcli>();
    else
        j = std::make_unique<TFRcademitente>();
    conferirGeometria(*j, nome, esperado);
    if (nome == QLatin1String("DBImage1"))
        QCOMPARE(j->findChild<QWidget *>(nome)->size(), QSize(216, 205));
}

void TstCadastros::novoClienteSalvoEConfirmado() {
    Ambiente a;
    TFRcadcli j;
    QVERIFY(abrir(j));
    QVERIFY(navegandoCliente(j));

    clicar(j, "BTnovo");
    QVERIFY(editandoCliente(j));
    QCOMPARE(focado(), QStringLiteral("DBEdit2"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("maria da silva"));
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("MARIA DA SILVA"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12345678901"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(texto(j, "DBEdit14"), QStringLiteral("123.456.789-01"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Maria@Exemplo.COM"));
    QCOMPARE(texto(j, "DBEdit3"), QStringLiteral("maria@exemplo.com"));
    digitar(j, "DBEdit10", QStringLiteral("01310100"));
    digitar(j, "DBEdit13", QStringLiteral("05032012"));
    QVERIFY(a.aviso.eventos().isEmpty());

    clicar(j, "BTsalvar");
    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{{Evento::Mensagem, QStringLiteral("Cliente salvo")}}));
    QVERIFY(navegandoCliente(j));
    QVERIFY(!texto(j, "DBEdit1").isEmpty());
    // Committed: another program sees the client as typed.
    const Fb::Linha linha = a.consultarDeFora(QStringLiteral(
        "select CLIENTE, CPFCNPJ, EMAIL, CEP, DATANASCIMENTO, PADRAO, ID_CLIENTE from CLIENTES"));
    QCOMPARE(linha.at(0).toString(), QStringLiteral("MARIA DA SILVA"));
    QCOMPARE(linha.at(1).toString(), QStringLiteral("123.456.789-01"));
    QCOMPARE(linha.at(2).toString(), QStringLiteral("maria@exemplo.com"));
    QCOMPARE(linha.at(3).toString(), QStringLiteral("01310-100"));
    QCOMPARE(linha.at(4).toDate(), QDate(2012, 3, 5));
    QCOMPARE(linha.at(5).toString(), QStringLiteral("N"));
    QCOMPARE(linha.at(6).toString(), texto(j, "DBEdit1"));
    QVERIFY(!filho(j, "BTsalvar")->isEnabled());
}

void TstCadastros::salvarSemNomeRecusado() {
    Ambiente a;
    TFRcadcli j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    digitar(j, "DBEdit5", QStringLiteral("1199999"));
    clicar(j, "BTsalvar");
    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{
                 {Evento::Mensagem, QStringLiteral("O campo NOME no cadastro é obrigatório")}}));
    QCOMPARE(focado(), QStringLiteral("DBEdit2"));
    QVERIFY(editandoCliente(j));
    QCOMPARE(a.dm->Clientes->estado(), Conjunto::Estado::Inserindo);
    QCOMPARE(texto(j, "DBEdit5"), QStringLiteral("1199999"));
}

void TstCadastros::alterarECancelarVoltaAoGuardado() {
    Ambiente a;
    a.novoCliente(QStringLiteral("ANA"));
    TFRcadcli j;
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    QVERIFY(editandoCliente(j));
    QCOMPARE(focado(), QStringLiteral("DBEdit2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" maria"));
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("ANA MARIA"));
    clicar(j, "BTcancelar");
    QVERIFY(navegandoCliente(j));
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("ANA"));
    QCOMPARE(a.dm->Clientes->estado(), Conjunto::Estado::Navegando);
    QVERIFY(a.aviso.eventos().isEmpty());

    // Alterar and Salvar store the change.
    clicar(j, "BTalterar");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("LICE"));
    clicar(j, "BTsalvar");
    QCOMPARE(a.consultarDeFora(QStringLiteral("select CLIENTE from CLIENTES")).at(0).toString(),
             QStringLiteral("ANALICE"));
}

void TstCadastros::alterarNaTabelaVaziaComecaCliente() {
    Ambiente a;
    TFRcadcli j;
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    QCOMPARE(a.dm->Clientes->estado(), Conjunto::Estado::Inserindo);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("JOSE"));
    clicar(j, "BTsalvar");
    const Fb::Linha linha =
        a.consultarDeFora(QStringLiteral("select CLIENTE, PADRAO from CLIENTES"));
    QCOMPARE(linha.at(0).toString(), QStringLiteral("JOSE"));
    QVERIFY(!linha.at(1).isValid() || linha.at(1).toString().trimmed().isEmpty());
}

void TstCadastros::excluirPerguntaEGravaNaHora() {
    Ambiente a;
    a.novoCliente(QStringLiteral("BETO"));
    a.novoCliente(QStringLiteral("ALICE"));
    TFRcadcli j;
    QVERIFY(abrir(j));
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("ALICE"));

    a.aviso.responder(false);
    clicar(j, "BTexcluir");
    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{{Evento::Pergunta, QStringLiteral("Deseja excluir o Cliente?")}}));
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("ALICE"));

    a.aviso.limpar();
    a.aviso.responder(true);
    clicar(j, "BTexcluir");
    QCOMPARE(a.aviso.eventos().size(), 1);
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("BETO"));
    QVERIFY(navegandoCliente(j));
    // Done is permanent: another program already sees one client.
    QCOMPARE(a.contarDeFora(QStringLiteral("CLIENTES")), 1);

    j.close();
    QVERIFY(!j.isVisible());
    QCOMPARE(a.contarDeFora(QStringLiteral("CLIENTES")), 1);
}

void TstCadastros::fechamento_data() {
    QTest::addColumn<QString>("nome");
    QTest::addColumn<bool>("pelaCaixa");
    QTest::addColumn<bool>("resposta");
    QTest::addColumn<QList<Evento>>("eventos");
    QTest::addColumn<int>("gravados");
    const Evento pergunta{Evento::Pergunta,
                          QStringLiteral("Deseja salvar os dados antes de Sair?")};
    const Evento salvo{Evento::Mensagem, QStringLiteral("Cliente salvo")};
    QTest::newRow("Sair com o nome vazio") << QString() << false << true << QList<Evento>{} << 0;
    QTest::newRow("Sair, resposta Sim")
        << "JOAO" << false << true << QList<Evento>{pergunta, salvo} << 1;
    QTest::newRow("Sair, resposta Nao") << "JOAO" << false << false << QList<Evento>{pergunta} << 0;
    QTest::newRow("caixa de fechar com nome") << "JOAO" << true << false << QList<Evento>{} << 1;
    QTest::newRow("caixa de fechar com o nome vazio")
        << QString() << true << false << QList<Evento>{} << 0;
}

void TstCadastros::fechamento() {
    QFETCH(QString, nome);
    QFETCH(bool, pelaCaixa);
    QFETCH(bool, resposta);
    QFETCH(QList<Evento>, eventos);
    QFETCH(int, gravados);

    Ambiente a;
    TFRcadcli j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    QTest::keyClicks(QApplication::focusWidget(), nome);
    digitar(j, "DBEdit5", QStringLiteral("3333-4444"));
    a.aviso.responder(resposta);
    if (pelaCaixa)
        j.close();
    else
        clicar(j, "BTsair");

    QVERIFY(!j.isVisible());
    QCOMPARE(a.aviso.eventos(), eventos);
    QCOMPARE(a.contarDeFora(QStringLiteral("CLIENTES")), gravados);
    QCOMPARE(a.dm->Clientes->estado(), Conjunto::Estado::Navegando);
    QCOMPARE(a.dm->Clientes->linhasCarregadas(), gravados);

    // Shown again, the window is browsing whatever state it was left in.
    QVERIFY(abrir(j));
    QVERIFY(navegandoCliente(j));
    QCOMPARE(texto(j, "DBEdit2"), gravados ? nome : QString());
}

void TstCadastros::sempreAbreNoPrimeiroPorNome() {
    Ambiente a;
    a.novoCliente(QStringLiteral("ZULMIRA"));
    a.novoCliente(QStringLiteral("CARLOS"));
    TFRcadcli j;
    QVERIFY(abrir(j));
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("CARLOS"));
    a.dm->Clientes->proximo();
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("ZULMIRA"));
    j.close();
    QVERIFY(abrir(j));
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("CARLOS"));
}

void TstCadastros::enterComoTabPulaDesabilitadosEVolta() {
    Ambiente a;
    TFRcadcli j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    filho(j, "DBEdit4")->setEnabled(false);
    QStringList visitados{focado()};
    for (int i = 0; i < 13; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        visitados << focado();
    }
    // The code field and the buttons are never reached; the last field wraps to the first.
    QCOMPARE(visitados, (QStringList{"DBEdit2", "DBEdit14", "DBEdit3", "DBEdit5", "DBEdit6",
                                     "DBEdit13", "DBEdit8", "DBEdit9", "DBEdit10", "DBEdit11",
                                     "DBEdit12", "DBEdit7", "DBEdit2", "DBEdit14"}));
    // Enter is swallowed: the field did not take it as a character.
    QCOMPARE(texto(j, "DBEdit2"), QString());
}

void TstCadastros::entradaInvalidaFicaNoCampo_data() {
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<bool>("colar");
    QTest::addColumn<QString>("trechoDaMensagem");
    QTest::newRow("CEP incompleto") << "DBEdit10"
                                    << "0131" << false << "Complete os dígitos";
    QTest::newRow("31/02/2020 como nascimento") << "DBEdit13"
                                                << "31022020" << false << "não é uma data válida";
    QTest::newRow("data sem o ano completo") << "DBEdit13"
                                             << "010120" << false << "Complete os dígitos";
    QTest::newRow("texto colado fora do WIN1252")
        << "DBEdit7" << QStringLiteral("ok \u2713 feito") << true << "\u2713";
}

void TstCadastros::entradaInvalidaFicaNoCampo() {
    QFETCH(QString, campo);
    QFETCH(QString, digitado);
    QFETCH(bool, colar);
    QFETCH(QString, trechoDaMensagem);

    Ambiente a;
    a.novoCliente(QStringLiteral("GUARDADO"));
    TFRcadcli j;
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    auto *w = filho<TDBEdit>(j, qPrintable(campo));
    w->setFocus(Qt::TabFocusReason);
    if (colar) {
        QGuiApplication::clipboard()->setText(digitado);
        QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(w, digitado);
    }
    QTest::keyClick(w, Qt::Key_Tab);
    QCOMPARE(a.aviso.eventos().size(), 1);
    QCOMPARE(a.aviso.eventos().at(0).tipo, Evento::Erro);
    QVERIFY2(a.aviso.eventos().at(0).texto.contains(trechoDaMensagem),
             qPrintable(a.aviso.eventos().at(0).texto));
    QCOMPARE(focado(), campo);

    // Salvar refuses too, with the same message; the record stays pending and the window editing.
    a.aviso.limpar();
    clicar(j, "BTsalvar");
    QCOMPARE(a.aviso.eventos().size(), 1);
    QCOMPARE(a.aviso.eventos().at(0).tipo, Evento::Erro);
    QVERIFY(editandoCliente(j));
    QCOMPARE(a.dm->Clientes->estado(), Conjunto::Estado::Editando);

    // Putting it right lets the save through; the stored client was never harmed.
    QCOMPARE(a.consultarDeFora(QStringLiteral("select CLIENTE from CLIENTES")).at(0).toString(),
             QStringLiteral("GUARDADO"));
    w->setFocus(Qt::TabFocusReason);
    w->selectAll();
    QTest::keyClick(w, Qt::Key_Delete);
    a.aviso.limpar();
    clicar(j, "BTsalvar");
    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{{Evento::Mensagem, QStringLiteral("Cliente salvo")}}));
}

void TstCadastros::destaqueDoCampoComFoco_data() {
    QTest::addColumn<QString>("janela");
    QTest::addColumn<QString>("primeiro");
    QTest::addColumn<QString>("segundo");
    QTest::newRow("clientes") << "cadcli"
                              << "DBEdit2"
                              << "DBEdit14";
    QTest::newRow("emitente") << "cademitente"
                              << "DBEdit2"
                              << "DBEdit3";
}

void TstCadastros::destaqueDoCampoComFoco() {
    QFETCH(QString, janela);
    QFETCH(QString, primeiro);
    QFETCH(QString, segundo);
    Ambiente a;
    std::unique_ptr<QWidget> j;
    if (janela == QLatin1String("cadcli"))
        j = std::make_unique<TFRcadcli>();
    else
        j = std::make_unique<TFRcademitente>();
    QVERIFY(abrir(*j));
    auto *p = filho(*j, qPrintable(primeiro));
    auto *s = filho(*j, qPrintable(segundo));
    const QColor fundoProprio = s->palette().color(QPalette::Active, QPalette::Base);
    clicar(*j, "BTalterar");
    QCOMPARE(focado(), primeiro);

    const auto destacado = [&](QWidget *w) {
        const QWidget *anel = j->findChild<QWidget *>(QStringLiteral("molduraFoco"));
        return w->palette().color(QPalette::Base) == QColor(Qt::yellow) && anel &&
               anel->isVisible() && anel->parentWidget() == w->parentWidget() &&
               anel->geometry() == w->geometry().adjusted(-1, -1, 1, 1);
    };
    QVERIFY(destacado(p));
    QTest::keyClick(p, Qt::Key_Tab);
    QCOMPARE(focado(), segundo);
    QVERIFY(destacado(s));
    QCOMPARE(p->palette().color(QPalette::Active, QPalette::Base), fundoProprio);

    // A button of the window takes the focus and no highlight.
    auto *sair = filho<QAbstractButton>(*j, "BTsalvar");
    sair->setFocus(Qt::MouseFocusReason);
    QCOMPARE(s->palette().color(QPalette::Active, QPalette::Base), fundoProprio);
    QVERIFY(!j->findChild<QWidget *>(QStringLiteral("molduraFoco"))->isVisible());
}

void TstCadastros::emitenteAlterarNaTabelaVaziaCriaALinha() {
    Ambiente a;
    TFRcademitente j;
    QVERIFY(abrir(j));
    QCOMPARE(texto(j, "DBEdit2"), QString());
    QVERIFY(filho(j, "BTalterar")->isEnabled());
    QVERIFY(!filho(j, "DBEdit2")->isEnabled());

    clicar(j, "BTalterar");
    QCOMPARE(focado(), QStringLiteral("DBEdit2"));
    QCOMPARE(a.dm->Emitente->estado(), Conjunto::Estado::Inserindo);
    QVERIFY(texto(j, "DBEdit1").isEmpty());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("padaria boa"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12345678000190"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(texto(j, "DBEdit3"), QStringLiteral("12.345.678/0001-90"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Campinas"));
    clicar(j, "BTsalvar");

    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{{Evento::Mensagem, QStringLiteral("Emitente salvo")}}));
    QVERIFY(!filho(j, "BTsalvar")->isEnabled());
    QVERIFY(!filho(j, "DBEdit2")->isEnabled());
    const int id = a.dm->EmitenteID_EMITENTE->valor().toInt();
    QVERIFY(id > 0);
    QCOMPARE(texto(j, "DBEdit1"), QString::number(id));
    // "Emitente salvo" is permanent: another program sees it at once.
    const Fb::Linha linha = a.consultarDeFora(
        QStringLiteral("select ID_EMITENTE, EMITENTE, CPFCNPJ, CIDADE from EMITENTE"));
    QCOMPARE(linha.at(0).toInt(), id);
    QCOMPARE(linha.at(1).toString(), QStringLiteral("PADARIA BOA"));
    QCOMPARE(linha.at(2).toString(), QStringLiteral("12.345.678/0001-90"));
    QCOMPARE(linha.at(3).toString(), QStringLiteral("Campinas"));
}

void TstCadastros::emitenteSairSemprePergunta() {
    Ambiente a;
    TFRcademitente j;
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    a.aviso.responder(false);
    clicar(j, "BTsair");
    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{
                 {Evento::Pergunta, QStringLiteral("Deseja salvar os dados antes de Sair?")}}));
    QVERIFY(!j.isVisible());
    QCOMPARE(a.dm->Emitente->estado(), Conjunto::Estado::Navegando);
    QVERIFY(a.dm->Emitente->vazio());
}

void TstCadastros::emitenteEnterPercorreOsCampos() {
    Ambiente a;
    TFRcademitente j;
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    QStringList visitados{focado()};
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        visitados << focado();
    }
    // The image box takes the focus but no highlight; Enter on "Carregar ..." moves on.
    QCOMPARE(visitados,
             (QStringList{"DBEdit2", "DBEdit3", "DBEdit4", "DBImage1", "btnCarregar", "DBEdit2"}));
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstCadastros::emitenteCaixaDeFecharDeixaPendente() {
    Ambiente a;
    TFRcademitente j;
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("loja"));
    // Escape closes nothing; the close box neither saves nor cancels.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(j.isVisible());
    j.close();
    QVERIFY(!j.isVisible());
    QVERIFY(a.aviso.eventos().isEmpty());
    QCOMPARE(a.dm->Emitente->estado(), Conjunto::Estado::Inserindo);

    // Shown again: browsing layout over the pending values; Alterar goes on with them.
    QVERIFY(abrir(j));
    QVERIFY(!filho(j, "DBEdit2")->isEnabled());
    QVERIFY(!filho(j, "BTsalvar")->isEnabled());
    QCOMPARE(texto(j, "DBEdit2"), QStringLiteral("LOJA"));
    clicar(j, "BTalterar");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" nova"));
    clicar(j, "BTsalvar");
    QCOMPARE(a.dm->EmitenteEMITENTE->valor().toString(), QStringLiteral("LOJA NOVA"));
    QCOMPARE(a.dm->Emitente->linhasCarregadas(), 1);
}

void TstCadastros::logotipoIdaEVolta_data() {
    QTest::addColumn<QByteArray>("dados");
    QTest::addColumn<QSize>("tamanho");
    QTest::newRow("24 bits, menor que a caixa")
        << bitmap(QImage::Format_RGB888, {40, 30}) << QSize(40, 30);
    QTest::newRow("32 bits, maior que a caixa")
        << bitmap(QImage::Format_RGB32, {400, 300}) << QSize(400, 300);
    QTest::newRow("8 bits com paleta") << bitmap(QImage::Format_Indexed8, {17, 9}) << QSize(17, 9);
    QTest::newRow("1 bit") << bitmap(QImage::Format_Mono, {33, 5}) << QSize(33, 5);
}

void TstCadastros::logotipoIdaEVolta() {
    QFETCH(QByteArray, dados);
    QFETCH(QSize, tamanho);
    Ambiente a;
    QTemporaryDir pasta;
    const QString arquivo = gravarArquivo(pasta, QStringLiteral("logo.bmp"), dados);
    TFRcademitente j;
    QString inicial;
    j.definirSeletor([&](QWidget *, const QString &i) {
        inicial = i;
        return arquivo;
    });
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    clicar(j, "btnCarregar");
    QVERIFY(a.aviso.eventos().isEmpty());
    QVERIFY(inicial.endsWith(QStringLiteral("Logomarca/Logomarca.bmp")));
    QCOMPARE(filho<TDBImage>(j, "DBImage1")->imagem().size(), tamanho);
    clicar(j, "BTsalvar");
    a.dm->Tra->commitRetaining();
    QCOMPARE(
        a.consultarDeFora(QStringLiteral("select FOTO_MARC from EMITENTE")).at(0).toByteArray(),
        dados);

    // The chooser starts on the file chosen last.
    clicar(j, "BTalterar");
    clicar(j, "btnCarregar");
    QCOMPARE(inicial, arquivo);
}

void TstCadastros::previaMostraOQueOLogotipoMostraria_data() {
    QTest::addColumn<QByteArray>("dados");
    QTest::addColumn<bool>("aceito");
    // A run of 64 white pixels on the bottom line, the end of the picture: the rest is colour 0.
    QTest::newRow("run-length coded, ended early")
        << bitmapEscrito(64, 32, 8, QByteArray("\x40\x0f\x00\x01", 4), 1, 16) << true;
    QTest::newRow("pixels past a one-colour table")
        << bitmapEscrito(16, 16, 8, QByteArray(16 * 16, '\xff'), 0, 1) << true;
    QTest::newRow("cut in its pixels") << bitmapEscrito(16, 16, 24).left(300) << false;
}

// The chooser's preview decodes a file as the logo does: what it shows is what loading shows.
void TstCadastros::previaMostraOQueOLogotipoMostraria() {
    QFETCH(QByteArray, dados);
    QFETCH(bool, aceito);
    QTemporaryDir pasta;
    const QString arquivo = gravarArquivo(pasta, QStringLiteral("logo.bmp"), dados);
    {
        // The memory the preview is decoded into held something else before.
        std::vector<uchar> lixo(64 * 1024, 0xab);
    }
    const QImage previa = TFRcademitente::previaDoBitmap(arquivo);
    if (!aceito) {
        QVERIFY(previa.isNull());
        return;
    }
    QVERIFY(previa == TDBImage::lerBitmap(dados));
}

void TstCadastros::logotipoDe6000Por6000Pixels() {
    Ambiente a;
    QTemporaryDir pasta;
    // 108 MB on disk, 144 MB once decoded: above what Qt decodes unless told otherwise.
    const QByteArray dados = bitmapEscrito(6000, 6000, 24);
    const QString arquivo = gravarArquivo(pasta, QStringLiteral("grande.bmp"), dados);
    const int limite = QImageReader::allocationLimit();
    TFRcademitente j;
    j.definirSeletor([&](QWidget *, const QString &) { return arquivo; });
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    clicar(j, "btnCarregar");
    QCOMPARE(a.aviso.eventos(), QList<Evento>());
    QCOMPARE(filho<TDBImage>(j, "DBImage1")->imagem().size(), QSize(6000, 6000));
    QCOMPARE(a.dm->EmitenteFOTO_MARC->valor().toByteArray().size(), dados.size());
    // Raised for the logo only.
    QCOMPARE(QImageReader::allocationLimit(), limite);
}

void TstCadastros::arquivoQueNaoEBitmapMantemOLogotipo_data() {
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QByteArray>("dados");
    QTest::addColumn<QString>("motivo");
    const QString naoBitmap = QStringLiteral("O arquivo não é uma imagem bitmap (BMP) válida.");
    QTest::newRow("PNG com nome de bitmap")
        << "falso.bmp" << bitmap(QImage::Format_RGB32, {8, 8}, "PNG") << naoBitmap;
    QTest::newRow("texto") << "leia-me.bmp" << QByteArray("isto nao e imagem") << naoBitmap;
    QTest::newRow("bitmap cortado no cabeçalho")
        << "cortado.bmp" << bitmap(QImage::Format_RGB888, {64, 64}).left(40) << naoBitmap;
    // The reader alone would take the rows that are there and leave the rest black.
    const QByteArray inteiro = bitmap(QImage::Format_RGB888, {64, 64});
    QTest::newRow("bitmap cortado nos pixels")
        << "metade.bmp" << inteiro.left(inteiro.size() / 2)
        << QStringLiteral("O arquivo bitmap (BMP) está incompleto: tem %1 bytes dos %2 que a "
                          "imagem de 64 x 64 pixels ocupa.")
               .arg(inteiro.size() / 2)
               .arg(inteiro.size());
    QTest::newRow("grande demais para a memória")
        << "enorme.bmp" << bitmapEscrito(30000, 30000, 24, QByteArray(1000, '\0'))
        << QStringLiteral(
               "A imagem de 30000 x 30000 pixels é grande demais para ser aberta na memória.");
    QTest::newRow("arquivo vazio") << "vazio.bmp" << QByteArray() << naoBitmap;
    QTest::newRow("arquivo que não existe")
        << "sumiu.bmp" << QByteArray("-") << "O arquivo não pôde ser lido.";
}

void TstCadastros::arquivoQueNaoEBitmapMantemOLogotipo() {
    QFETCH(QString, nome);
    QFETCH(QByteArray, dados);
    QFETCH(QString, motivo);
    Ambiente a;
    QTemporaryDir pasta;
    const QByteArray bom = bitmap(QImage::Format_RGB888, {20, 20});
    const QString arquivoBom = gravarArquivo(pasta, QStringLiteral("bom.bmp"), bom);
    QString arquivoRuim = pasta.filePath(nome);
    if (dados != "-")
        gravarArquivo(pasta, nome, dados);
    QString escolhido = arquivoBom;
    TFRcademitente j;
    j.definirSeletor([&](QWidget *, const QString &) { return escolhido; });
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    clicar(j, "btnCarregar");
    escolhido = arquivoRuim;
    clicar(j, "btnCarregar");

    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{{Evento::Bipe, {}},
                            {Evento::Erro, QStringLiteral("Erro ao carregar a imagem \"") +
                                               arquivoRuim.toUpper() + QStringLiteral("\" . ") +
                                               motivo}}));
    QCOMPARE(a.dm->EmitenteFOTO_MARC->valor().toByteArray(), bom);
    QCOMPARE(filho<TDBImage>(j, "DBImage1")->imagem().size(), QSize(20, 20));
    QVERIFY(filho(j, "BTsalvar")->isEnabled());
}

void TstCadastros::retirarLogotipoGravaNaHora() {
    Ambiente a;
    a.dm->Emitente->abrir();
    a.dm->Emitente->inserir();
    a.dm->EmitenteEMITENTE->definirValor(QStringLiteral("LOJA"));
    a.dm->EmitenteFOTO_MARC->definirValor(bitmap(QImage::Format_RGB888, {10, 10}));
    a.dm->Emitente->gravar();
    a.dm->Tra->commitRetaining();

    TFRcademitente j;
    QVERIFY(abrir(j));
    QVERIFY(!filho<TDBImage>(j, "DBImage1")->imagem().isNull());
    clicar(j, "BTalterar");
    clicar(j, "SpeedButton1");
    QVERIFY(filho<TDBImage>(j, "DBImage1")->imagem().isNull());
    // Stored and committed at once; the window stays in the editing layout.
    QVERIFY(!a.consultarDeFora(QStringLiteral("select FOTO_MARC from EMITENTE")).at(0).isValid() ||
            a.consultarDeFora(QStringLiteral("select FOTO_MARC from EMITENTE"))
                .at(0)
                .toByteArray()
                .isEmpty());
    QVERIFY(filho(j, "BTsalvar")->isEnabled());
    clicar(j, "BTcancelar");
    QVERIFY(filho<TDBImage>(j, "DBImage1")->imagem().isNull());
    QVERIFY(a.aviso.eventos().isEmpty());
}

QTEST_MAIN(TstCadastros)
#include "tst_cadastros.moc"
