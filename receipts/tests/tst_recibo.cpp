#include "Aplicacao.h"
#include "AvisadorGravador.h"
#include "Calculad.h"
#include "DBEdit.h"
#include "DBLookupComboBox.h"
#include "DataExtenso.h"
#include "Dinheiro.h"
#include "GestosRecibo.h"
#include "JanelaTeste.h"
#include "UNcademitente.h"
#include "UNconsultacli2.h"
#include "UNconsultarec.h"
#include "UNrecibo.h"

#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>

#include <memory>

using Evento = AvisadorGravador::Evento;

namespace {

const QString k_pergunta =
    QStringLiteral("Deseja efetuar este Cadastro para utilizar nos próximos RECIBOS?");
const QString k_extenso =
    QStringLiteral("Um Mil, e Duzentos e Trinta e Quatro Reais, e Cinqüenta Centavos.");
const QColor k_azulMarinho(0x00, 0x00, 0x80);
const QColor k_verdeAzulado(0x00, 0x80, 0x80);

// A fresh database with its issuer.
struct Ambiente : AmbienteJanela {
    explicit Ambiente(bool comEmitente = true) {
        if (comEmitente) {
            dm->Emitente->abrir();
            dm->Emitente->inserir();
            dm->EmitenteEMITENTE->definirValor(QStringLiteral("PADARIA BOM PAO LTDA"));
            dm->EmitenteCPFCNPJ->definirValor(QStringLiteral("12.345.678/0001-90"));
            dm->EmitenteCIDADE->definirValor(QStringLiteral("CAMPINAS"));
            dm->Emitente->gravar();
            dm->Tra->commitRetaining();
        }
    }
    void novoRecibo(qint64 centavos) {
        dm->Recibos->abrir();
        dm->Recibos->inserir();
        dm->RecibosVALOR->definirValor(QVariant::fromValue(Dinheiro::deCentavos(centavos)));
        dm->Recibos->gravar();
        dm->Tra->commitRetaining();
    }
    void executar(const QString &sql) {
        Fb::Comando(*dm->Tra, sql).executar();
        dm->Tra->commitRetaining();
    }
};

// Types into the focused control and leaves it with Enter, as the user goes through the form.
void digitarEAvancar(const QString &t) {
    QWidget *w = QApplication::focusWidget();
    QVERIFY(w);
    QTest::keyClicks(w, t);
    QTest::keyClick(w, Qt::Key_Return);
}

QColor cor(const QWidget &janela, const char *rotulo) {
    return filho<QLabel>(janela, rotulo)->palette().color(QPalette::WindowText);
}

bool habilitados(const QWidget &j, std::initializer_list<const char *> nomes, bool esperado) {
    for (const char *n : nomes)
        if (filho(j, n)->isEnabled() != esperado) {
            qWarning("%s is %s", n, esperado ? "disabled" : "enabled");
            return false;
        }
    return true;
}

bool navegando(const QWidget &j) {
    return habilitados(j, {"BTnovo", "BTalterar", "BTexcluir", "BTconsultar", "BTsair"}, true) &&
           habilitados(j,
                       {"BTsalvar", "BTcancelar", "DBEdit1", "DBvalor", "DBtipo", "DBreferente",
                        "DBobs", "DBdata", "DBemitente", "DBcpfcnpjemitente", "DBcliente",
                        "DBcpfcnpjcliente", "DBvalorextenso", "DBlocal", "DBdatarecibo"},
                       false);
}

bool editando(const QWidget &j) {
    return habilitados(j,
                       {"BTsalvar", "BTcancelar", "BTsair", "DBvalor", "DBtipo", "DBreferente",
                        "DBobs", "DBdata", "DBcliente", "DBcpfcnpjcliente"},
                       true) &&
           habilitados(j,
                       {"BTnovo", "BTalterar", "BTexcluir", "BTconsultar", "DBEdit1", "DBemitente",
                        "DBcpfcnpjemitente", "DBvalorextenso", "DBlocal", "DBdatarecibo"},
                       false);
}

} // namespace

class TstRecibo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The program's fonts, locale and Qt texts, so the window looks and reads as it does there.
    void initTestCase() { Aplicacao::prepararAmbiente(); }
    // The database client's own threads and buffers end with the run, as the program's do.
    void cleanupTestCase() { Fb::encerrar(); }

    void geometria_data();
    void geometria();
    void dataPorExtenso_data();
    void dataPorExtenso();

    void reciboDoNovoAoSalvar();
    void arranjoDasPartes();
    void tipoQueNaoEDevedorNemCredor();
    void ofertaDeCadastro_data();
    void ofertaDeCadastro();
    void cadastroProcuradoSemLerOsClientes();
    void salvarClicadoAoDeixarONumero_data();
    void salvarClicadoAoDeixarONumero();
    void listaDeTiposAbertaComOMouse();
    void alterarReescreveADataPorExtenso();
    void cancelarMostraOMenorEExcluirValeNaHora();
    void entradaRecusadaFicaNoCampo_data();
    void entradaRecusadaFicaNoCampo();
    void dataDigitadaEAGravada_data();
    void dataDigitadaEAGravada();
    void valorForaDoExtensoAindaSeGrava_data();
    void valorForaDoExtensoAindaSeGrava();
    void doValorDiretoParaSalvar_data();
    void doValorDiretoParaSalvar();
    void janelasAbertasDaqui_data();
    void janelasAbertasDaqui();
    void sair_data();
    void sair();
    void cancelarNovoComAsBuscasCriadas_data();
    void cancelarNovoComAsBuscasCriadas();
};

void TstRecibo::geometria_data() {
    colunasDeGeometria();
    linhaDeGeometria("TFRrecibo", 0, 0, 852, 610);
    linhaDeGeometria("Panel1", 9, 0, 131, 553);
    linhaDeGeometria("BTnovo", 14, 16, 100, 60);
    linhaDeGeometria("BTsalvar", 14, 80, 100, 60);
    linhaDeGeometria("BTalterar", 14, 144, 100, 60);
    linhaDeGeometria("BTcancelar", 14, 208, 100, 60);
    linhaDeGeometria("BTexcluir", 14, 272, 100, 60);
    linhaDeGeometria("BTconsultar", 14, 376, 100, 60);
    linhaDeGeometria("BTsair", 14, 480, 100, 60);
    // The receipt group; its fields are placed inside it.
    linhaDeGeometria("GroupBox1", 157, 0, 553, 553);
    linhaDeGeometria("DBEdit1", 159, 31, 62, 26);
    linhaDeGeometria("DBtipo", 240, 31, 137, 25);
    linhaDeGeometria("Label6", 330, 6, 12, 24);
    linhaDeGeometria("DBvalor", 397, 31, 129, 26);
    linhaDeGeometria("DBemitente", 26, 112, 340, 21);
    linhaDeGeometria("DBcpfcnpjemitente", 373, 112, 150, 21);
    linhaDeGeometria("DBvalorextenso", 26, 188, 500, 21);
    linhaDeGeometria("DBreferente", 26, 228, 500, 21);
    linhaDeGeometria("DBobs", 26, 268, 500, 21);
    linhaDeGeometria("DBdata", 26, 318, 79, 21);
    linhaDeGeometria("DBlocal", 114, 318, 175, 21);
    linhaDeGeometria("Label19", 197, 294, 12, 24);
    linhaDeGeometria("DBdatarecibo", 300, 318, 226, 21);
    linhaDeGeometria("BTlocalizacao", 324, 429, 40, 40);
    linhaDeGeometria("DBcliente", 26, 471, 340, 21);
    linhaDeGeometria("DBcpfcnpjcliente", 373, 471, 150, 21);
    // The right column.
    linhaDeGeometria("GroupBox2", 725, 0, 103, 138);
    linhaDeGeometria("SpeedButton3", 16, 72, 75, 25);
    linhaDeGeometria("SpeedButton4", 16, 104, 75, 25);
    linhaDeGeometria("Label9", 814, 258, 12, 24);
    linhaDeGeometria("SpeedButton1", 725, 283, 103, 26);
    linhaDeGeometria("GroupBox3", 725, 456, 103, 97);
}

void TstRecibo::geometria() {
    QFETCH(QString, nome);
    QFETCH(QRect, esperado);
    TFRrecibo j;
    conferirGeometria(j, nome, esperado);
}

void TstRecibo::dataPorExtenso_data() {
    QTest::addColumn<QDate>("data");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("dia de um dígito, mês com cedilha")
        << QDate(2012, 3, 5) << QStringLiteral("05 de março de 2012");
    QTest::newRow("último dia do ano")
        << QDate(1999, 12, 31) << QStringLiteral("31 de dezembro de 1999");
    QTest::newRow("29 de fevereiro")
        << QDate(2024, 2, 29) << QStringLiteral("29 de fevereiro de 2024");
    QTest::newRow("data inválida") << QDate() << QString();
}

void TstRecibo::dataPorExtenso() {
    QFETCH(QDate, data);
    QFETCH(QString, esperado);
    QCOMPARE(DataPorExtenso(data), esperado);
}

void TstRecibo::reciboDoNovoAoSalvar() {
    Ambiente a;
    TFRrecibo j;
    QVERIFY(abrir(j));
    QVERIFY(navegando(j));

    clicar(j, "BTnovo");
    QVERIFY(editando(j));
    QCOMPARE(focado(), QStringLiteral("DBvalor"));
    QCOMPARE(filho(j, "DBvalor")->palette().color(QPalette::Base), QColor(Qt::yellow));
    QCOMPARE(filho<TDBLookupComboBox>(j, "DBtipo")->currentText(), QStringLiteral("DEVEDOR"));
    QCOMPARE(texto(j, "DBdata"), QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    QCOMPARE(texto(j, "DBlocal"), QStringLiteral("CAMPINAS"));
    QVERIFY(texto(j, "DBvalorextenso").isEmpty());
    QVERIFY(texto(j, "DBdatarecibo").isEmpty());

    digitarEAvancar(QStringLiteral("1234,5"));
    QCOMPARE(texto(j, "DBvalor"), QStringLiteral("1.234,50"));
    QCOMPARE(texto(j, "DBvalorextenso"), k_extenso);
    QCOMPARE(texto(j, "DBdatarecibo"), DataPorExtenso(QDate::currentDate()));
    // The payer's fields wait for the kind: Enter skips them.
    QCOMPARE(focado(), QStringLiteral("DBreferente"));
    digitarEAvancar(QStringLiteral("Aluguel de maio"));
    digitarEAvancar(QStringLiteral("pago em dinheiro"));
    QCOMPARE(focado(), QStringLiteral("DBdata"));
    QWidget *data = QApplication::focusWidget();
    QTest::keyClick(data, Qt::Key_Home);
    digitarEAvancar(QStringLiteral("05032012"));
    QCOMPARE(texto(j, "DBdatarecibo"), QStringLiteral("05 de março de 2012"));
    QCOMPARE(focado(), QStringLiteral("DBcliente"));
    digitarEAvancar(QStringLiteral("maria souza"));
    a.aviso.responder(false);
    digitarEAvancar(QStringLiteral("12345678901"));
    QCOMPARE(texto(j, "DBcpfcnpjcliente"), QStringLiteral("123.456.789-01"));
    QCOMPARE(a.aviso.eventos(), (QList<Evento>{{Evento::Pergunta, k_pergunta}}));
    QCOMPARE(focado(), QStringLiteral("DBtipo"));
    a.aviso.limpar();
    clicar(j, "BTsalvar");
    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{{Evento::Mensagem, QStringLiteral("Recibo Gravado")}}));
    QVERIFY(navegando(j));
    QCOMPARE(texto(j, "DBEdit1"), QStringLiteral("1"));
    // Salvar took the focus from the kind field, which put the issuer on the paying side.
    QCOMPARE(texto(j, "DBemitente"), QStringLiteral("PADARIA BOM PAO LTDA"));

    const auto linhas = a.linhasDeFora(QStringLiteral(
        "select ID_RECIBO, VALOR, VALOREXTENSO, DATA, DATARECIBO, LOCAL, TIPO, EMITENTE, "
        "CPFCNPJEMITENTE, CLIENTE, CPFCNPJCLIENTE, REFERENTE, OBS, HORA from RECIBOS"));
    QCOMPARE(linhas.size(), size_t(1));
    const Fb::Linha &l = linhas.front();
    QCOMPARE(l.at(0).toInt(), 1);
    QCOMPARE(l.at(1).value<Dinheiro>(), Dinheiro::deCentavos(123450));
    QCOMPARE(l.at(2).toString(), k_extenso);
    QCOMPARE(l.at(3).toDate(), QDate(2012, 3, 5));
    QCOMPARE(l.at(4).toString(), QStringLiteral("05 de março de 2012"));
    QCOMPARE(l.at(5).toString(), QStringLiteral("CAMPINAS"));
    QCOMPARE(l.at(6).toString(), QStringLiteral("DEVEDOR"));
    QCOMPARE(l.at(7).toString(), QStringLiteral("PADARIA BOM PAO LTDA"));
    QCOMPARE(l.at(8).toString(), QStringLiteral("12.345.678/0001-90"));
    QCOMPARE(l.at(9).toString(), QStringLiteral("MARIA SOUZA"));
    QCOMPARE(l.at(10).toString(), QStringLiteral("123.456.789-01"));
    QCOMPARE(l.at(11).toString(), QStringLiteral("Aluguel de maio"));
    QCOMPARE(l.at(12).toString(), QStringLiteral("pago em dinheiro"));
    QVERIFY(!l.at(13).isValid());
}

void TstRecibo::arranjoDasPartes() {
    Ambiente a;
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    const QString emitente = QStringLiteral("PADARIA BOM PAO LTDA");
    const QString cnpj = QStringLiteral("12.345.678/0001-90");

    // The issuer pays: its name goes to the payer, the other party signs.
    escolherTipo(j, QStringLiteral("DEVEDOR"));
    QCOMPARE(texto(j, "DBemitente"), emitente);
    QCOMPARE(texto(j, "DBcpfcnpjemitente"), cnpj);
    QVERIFY(texto(j, "DBcliente").isEmpty());
    QVERIFY(habilitados(j, {"DBemitente", "DBcpfcnpjemitente"}, false));
    QVERIFY(habilitados(j, {"DBcliente", "DBcpfcnpjcliente"}, true));
    QCOMPARE(cor(j, "Label5"), k_verdeAzulado);
    QCOMPARE(cor(j, "Label7"), k_verdeAzulado);
    QCOMPARE(cor(j, "Label15"), k_azulMarinho);
    QCOMPARE(cor(j, "Label16"), k_azulMarinho);
    QCOMPARE(filho(j, "BTlocalizacao")->y(), 429);
    QCOMPARE(filho(j, "Label17")->y(), 496);
    fotografar(QStringLiteral("recibo-devedor"));

    // The issuer receives: it signs; the payer's side opens for the other party.
    escolherTipo(j, QStringLiteral("CREDOR"));
    QCOMPARE(texto(j, "DBcliente"), emitente);
    QCOMPARE(texto(j, "DBcpfcnpjcliente"), cnpj);
    QCOMPARE(texto(j, "DBemitente"), emitente);
    QVERIFY(habilitados(j, {"DBemitente", "DBcpfcnpjemitente"}, true));
    QVERIFY(habilitados(j, {"DBcliente", "DBcpfcnpjcliente"}, false));
    QCOMPARE(cor(j, "Label5"), k_azulMarinho);
    QCOMPARE(cor(j, "Label7"), k_azulMarinho);
    QCOMPARE(cor(j, "Label15"), k_verdeAzulado);
    QCOMPARE(cor(j, "Label16"), k_verdeAzulado);
    QCOMPARE(filho(j, "BTlocalizacao")->y(), 69);
    QCOMPARE(filho(j, "Label17")->y(), 136);
    QCOMPARE(a.dm->RecibosTIPO->valor().toString(), QStringLiteral("CREDOR"));
    fotografar(QStringLiteral("recibo-credor"));

    // Back to "DEVEDOR": the signer keeps the issuer's name from the arrangement before.
    escolherTipo(j, QStringLiteral("DEVEDOR"));
    QCOMPARE(texto(j, "DBemitente"), emitente);
    QCOMPARE(texto(j, "DBcliente"), emitente);
    QCOMPARE(texto(j, "DBcpfcnpjcliente"), cnpj);
    QVERIFY(habilitados(j, {"DBcliente", "DBcpfcnpjcliente"}, true));
    QCOMPARE(filho(j, "BTlocalizacao")->y(), 429);

    // Leaving the edit disables the four party fields whatever the kind; the colours and
    // positions stay until the kind field is left again.
    escolherTipo(j, QStringLiteral("CREDOR"));
    clicar(j, "BTsalvar");
    QVERIFY(navegando(j));
    QCOMPARE(cor(j, "Label5"), k_azulMarinho);
    QCOMPARE(filho(j, "BTlocalizacao")->y(), 69);
    clicar(j, "BTalterar");
    QVERIFY(editando(j));
    QCOMPARE(filho(j, "Label17")->y(), 136);
    QVERIFY(a.aviso.eventos().contains(Evento{Evento::Mensagem, QStringLiteral("Recibo Gravado")}));
}

void TstRecibo::tipoQueNaoEDevedorNemCredor() {
    Ambiente a;
    a.executar(QStringLiteral("INSERT INTO TIPO (ID_TIPO, TIPO) VALUES (3, 'AVULSO')"));
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    escolherTipo(j, QStringLiteral("AVULSO"));
    QCOMPARE(a.dm->RecibosTIPO->valor().toString(), QStringLiteral("AVULSO"));
    QVERIFY(texto(j, "DBemitente").isEmpty());
    QVERIFY(texto(j, "DBcliente").isEmpty());
    QVERIFY(editando(j));
    QCOMPARE(cor(j, "Label5"), k_azulMarinho);
    QCOMPARE(cor(j, "Label15"), k_azulMarinho);
    QCOMPARE(filho(j, "BTlocalizacao")->y(), 429);
}

void TstRecibo::ofertaDeCadastro_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("cpfCnpj");
    QTest::newRow("assinante de um recibo DEVEDOR") << "DEVEDOR"
                                                    << "DBcliente"
                                                    << "DBcpfcnpjcliente";
    QTest::newRow("pagador de um recibo CREDOR") << "CREDOR"
                                                 << "DBemitente"
                                                 << "DBcpfcnpjemitente";
}

void TstRecibo::ofertaDeCadastro() {
    QFETCH(QString, tipo);
    QFETCH(QString, nome);
    QFETCH(QString, cpfCnpj);
    Ambiente a;
    a.novoCliente(QStringLiteral("ANA LIMA"), QStringLiteral("111.222.333-44"));
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    escolherTipo(j, tipo);
    auto *campoNome = filho<TDBEdit>(j, qPrintable(nome));
    auto *campoNumero = filho<TDBEdit>(j, qPrintable(cpfCnpj));
    const auto preencher = [&](const QString &n, const QString &numero) {
        for (TDBEdit *c : {campoNome, campoNumero}) {
            c->setFocus(Qt::TabFocusReason);
            c->selectAll();
            QTest::keyClicks(c, c == campoNome ? n : numero);
        }
        QTest::keyClick(campoNumero, Qt::Key_Tab);
    };

    // A registered number asks nothing.
    preencher(QStringLiteral("ana lima"), QStringLiteral("11122233344"));
    QCOMPARE(campoNumero->text(), QStringLiteral("111.222.333-44"));
    QVERIFY(a.aviso.eventos().isEmpty());

    // An unknown one asks; No registers nothing and the next leaving asks again.
    a.aviso.responder(false);
    preencher(QStringLiteral("beto reis"), QStringLiteral("98765432000155"));
    QCOMPARE(campoNumero->text(), QStringLiteral("98.765.432/0001-55"));
    QCOMPARE(a.aviso.eventos(), (QList<Evento>{{Evento::Pergunta, k_pergunta}}));
    QCOMPARE(a.linhasDeFora(QStringLiteral("select * from CLIENTES")).size(), size_t(1));

    a.aviso.limpar();
    a.aviso.responder(true);
    campoNumero->setFocus(Qt::TabFocusReason);
    QTest::keyClick(campoNumero, Qt::Key_Tab);
    QCOMPARE(a.aviso.eventos(), (QList<Evento>{{Evento::Pergunta, k_pergunta}}));
    // Registered and committed; the receipt is still being edited and was never written.
    const auto clientes = a.linhasDeFora(QStringLiteral(
        "select CLIENTE, CPFCNPJ, PADRAO, EMAIL, ID_CLIENTE from CLIENTES order by ID_CLIENTE"));
    QCOMPARE(clientes.size(), size_t(2));
    QCOMPARE(clientes[1].at(0).toString(), QStringLiteral("BETO REIS"));
    QCOMPARE(clientes[1].at(1).toString(), QStringLiteral("98.765.432/0001-55"));
    QCOMPARE(clientes[1].at(2).toString(), QStringLiteral("N"));
    QVERIFY(!clientes[1].at(3).isValid());
    QCOMPARE(clientes[1].at(4).toInt(), 2);
    QVERIFY(a.linhasDeFora(QStringLiteral("select * from RECIBOS")).empty());
    QCOMPARE(a.dm->Recibos->estado(), Conjunto::Estado::Inserindo);
    QVERIFY(filho(j, "BTsalvar")->isEnabled());
    QCOMPARE(texto(j, qPrintable(nome)), QStringLiteral("BETO REIS"));

    // Now registered: leaving again asks nothing.
    a.aviso.limpar();
    campoNumero->setFocus(Qt::TabFocusReason);
    QTest::keyClick(campoNumero, Qt::Key_Tab);
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstRecibo::cadastroProcuradoSemLerOsClientes() {
    Ambiente a;
    for (int i = 1; i <= 40; ++i)
        a.executar(QStringLiteral("INSERT INTO CLIENTES (ID_CLIENTE, CLIENTE, CPFCNPJ, PADRAO) "
                                  "VALUES (%1, 'CLIENTE %2', '%3', 'N')")
                       .arg(1000 + i)
                       .arg(i, 2, 10, QLatin1Char('0'))
                       .arg(QStringLiteral("111.111.111-%1").arg(i, 2, 10, QLatin1Char('0'))));
    // Last in name order, far from the one row the window has read.
    a.novoCliente(QStringLiteral("ZULMIRA"), QStringLiteral("987.654.321-00"));
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    auto *nome = filho<TDBEdit>(j, "DBcliente");
    auto *numero = filho<TDBEdit>(j, "DBcpfcnpjcliente");
    nome->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(nome, QStringLiteral("zulmira"));
    const auto deixarNumero = [&](const QString &digitado) {
        numero->setFocus(Qt::TabFocusReason);
        numero->selectAll();
        QTest::keyClicks(numero, digitado);
        QTest::keyClick(numero, Qt::Key_Tab);
    };

    deixarNumero(QStringLiteral("98765432100"));
    QVERIFY(a.aviso.eventos().isEmpty());
    a.aviso.responder(false);
    deixarNumero(QStringLiteral("22233344455"));
    QCOMPARE(a.aviso.eventos(), (QList<Evento>{{Evento::Pergunta, k_pergunta}}));
    QVERIFY2(a.dm->Clientes->linhasCarregadas() < 41,
             qPrintable(QString::number(a.dm->Clientes->linhasCarregadas())));
}

void TstRecibo::salvarClicadoAoDeixarONumero_data() {
    QTest::addColumn<bool>("cadastrar");
    QTest::newRow("Sim") << true;
    QTest::newRow("Não") << false;
}

void TstRecibo::salvarClicadoAoDeixarONumero() {
    QFETCH(bool, cadastrar);
    Ambiente a;
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    digitarEAvancar(QStringLiteral("50"));
    auto *nome = filho<TDBEdit>(j, "DBcliente");
    nome->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(nome, QStringLiteral("maria souza"));
    auto *numero = filho<TDBEdit>(j, "DBcpfcnpjcliente");
    numero->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(numero, QStringLiteral("12345678901"));
    a.aviso.limpar();
    a.aviso.responder(cadastrar);

    // The question box takes the mouse: Salvar gets its press after the answer, and the
    // release went to the box.
    auto *salvar = filho<QAbstractButton>(j, "BTsalvar");
    QTest::mousePress(salvar, Qt::LeftButton);
    const QList<Evento> esperado{{Evento::Pergunta, k_pergunta},
                                 {Evento::Mensagem, QStringLiteral("Recibo Gravado")}};
    QCOMPARE(a.aviso.eventos(), esperado);
    QVERIFY(navegando(j));
    // A release that still reaches the button clicks nothing more.
    QTest::mouseRelease(salvar, Qt::LeftButton);
    QCOMPARE(a.aviso.eventos(), esperado);

    const auto recibos =
        a.linhasDeFora(QStringLiteral("select CLIENTE, CPFCNPJCLIENTE, VALOR from RECIBOS"));
    QCOMPARE(recibos.size(), size_t(1));
    QCOMPARE(recibos[0].at(0).toString(), QStringLiteral("MARIA SOUZA"));
    QCOMPARE(recibos[0].at(1).toString(), QStringLiteral("123.456.789-01"));
    QCOMPARE(recibos[0].at(2).value<Dinheiro>(), Dinheiro::deCentavos(5000));
    QCOMPARE(a.contarDeFora(QStringLiteral("CLIENTES")), cadastrar ? 1 : 0);
}

void TstRecibo::listaDeTiposAbertaComOMouse() {
    Ambiente a;
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    auto *combo = filho<TDBLookupComboBox>(j, "DBtipo");
    QAbstractItemView *lista = combo->view();

    QTest::mouseClick(combo, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return lista->isVisible(); }));
    // Opening the list is not leaving the field.
    QVERIFY(texto(j, "DBemitente").isEmpty());
    QVERIFY(texto(j, "DBcpfcnpjemitente").isEmpty());

    // The list takes no click until a double click's time has passed since it opened.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QModelIndex credor = lista->model()->index(combo->findText(QStringLiteral("CREDOR")), 0);
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualRect(credor).center());
    QVERIFY(QTest::qWaitFor([&] { return !lista->isVisible(); }));
    QCOMPARE(focado(), QStringLiteral("DBtipo"));
    QCOMPARE(a.dm->RecibosTIPO->valor().toString(), QStringLiteral("CREDOR"));
    QVERIFY(texto(j, "DBemitente").isEmpty());

    QTest::keyClick(combo, Qt::Key_Tab);
    QCOMPARE(texto(j, "DBcliente"), QStringLiteral("PADARIA BOM PAO LTDA"));
    QCOMPARE(texto(j, "DBcpfcnpjcliente"), QStringLiteral("12.345.678/0001-90"));
    QVERIFY(texto(j, "DBemitente").isEmpty());
    QVERIFY(texto(j, "DBcpfcnpjemitente").isEmpty());
    QVERIFY(habilitados(j, {"DBemitente", "DBcpfcnpjemitente"}, true));
    QVERIFY(habilitados(j, {"DBcliente", "DBcpfcnpjcliente"}, false));
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstRecibo::alterarReescreveADataPorExtenso() {
    Ambiente a;
    a.novoRecibo(5000);
    a.executar(QStringLiteral("UPDATE RECIBOS SET DATA = '2012-03-05', "
                              "DATARECIBO = '05 de março de 2012'"));
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTalterar");
    QCOMPARE(focado(), QStringLiteral("DBvalor"));
    // Leaving the value writes today's date in words, whatever the receipt's date...
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(texto(j, "DBdatarecibo"), DataPorExtenso(QDate::currentDate()));
    // ...and leaving the date writes the receipt's own again.
    auto *data = filho<TDBEdit>(j, "DBdata");
    data->setFocus(Qt::TabFocusReason);
    QTest::keyClick(data, Qt::Key_Tab);
    QCOMPARE(texto(j, "DBdatarecibo"), QStringLiteral("05 de março de 2012"));
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstRecibo::cancelarMostraOMenorEExcluirValeNaHora() {
    Ambiente a;
    for (qint64 v : {1000, 2000, 3000})
        a.novoRecibo(v);
    TFRrecibo j;
    QVERIFY(abrir(j));
    QCOMPARE(texto(j, "DBEdit1"), QStringLiteral("3"));

    clicar(j, "BTnovo");
    clicar(j, "BTcancelar");
    QVERIFY(navegando(j));
    QCOMPARE(texto(j, "DBEdit1"), QStringLiteral("1"));
    QCOMPARE(texto(j, "DBvalor"), QStringLiteral("10,00"));

    // No keeps the receipt; Yes deletes it for good at once.
    a.aviso.responder(false);
    clicar(j, "BTexcluir");
    QCOMPARE(texto(j, "DBEdit1"), QStringLiteral("1"));
    a.aviso.responder(true);
    clicar(j, "BTexcluir");
    QCOMPARE(a.aviso.eventos(),
             (QList<Evento>{{Evento::Pergunta, QStringLiteral("Deseja excluir o RECIBO?")},
                            {Evento::Pergunta, QStringLiteral("Deseja excluir o RECIBO?")}}));
    QVERIFY(navegando(j));
    QVERIFY(texto(j, "DBEdit1") != QStringLiteral("1"));
    QCOMPARE(a.linhasDeFora(QStringLiteral("select * from RECIBOS")).size(), size_t(2));

    clicar(j, "BTnovo");
    digitarEAvancar(QStringLiteral("40"));
    clicar(j, "BTsalvar");
    QCOMPARE(texto(j, "DBEdit1"), QStringLiteral("4"));
    const auto linhas =
        a.linhasDeFora(QStringLiteral("select ID_RECIBO from RECIBOS order by ID_RECIBO"));
    QList<int> ids;
    for (const auto &l : linhas)
        ids << l.at(0).toInt();
    QCOMPARE(ids, (QList<int>{2, 3, 4}));
}

void TstRecibo::dataDigitadaEAGravada_data() {
    QTest::addColumn<QDate>("antes");
    QTest::addColumn<bool>("tab"); // reached with Tab (the date selected), or clicked at its start
    QTest::addColumn<QString>("teclas");
    QTest::addColumn<QDate>("esperada");
    QTest::newRow("29 de fevereiro sobre hoje, Tab")
        << QDate() << true << "29022024" << QDate(2024, 2, 29);
    QTest::newRow("29 de fevereiro sobre hoje, clique")
        << QDate() << false << "29022024" << QDate(2024, 2, 29);
    QTest::newRow("31 de março sobre 15 de abril")
        << QDate(2024, 4, 15) << false << "31032024" << QDate(2024, 3, 31);
    QTest::newRow("31 de janeiro sobre fevereiro")
        << QDate(2024, 2, 10) << true << "31012024" << QDate(2024, 1, 31);
}

// The receipt's date typed digit by digit over the one shown is the date stored and written
// out, whatever month the field showed.
void TstRecibo::dataDigitadaEAGravada() {
    QFETCH(QDate, antes);
    QFETCH(bool, tab);
    QFETCH(QString, teclas);
    QFETCH(QDate, esperada);
    Ambiente a;
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    if (antes.isValid())
        a.dm->RecibosDATA->definirValor(antes);
    auto *data = filho<TDBEdit>(j, "DBdata");
    if (tab) {
        filho(j, "DBobs")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), data);
    } else {
        QTest::mouseClick(data, Qt::LeftButton, {}, QPoint(3, data->height() / 2));
    }
    QTest::keyClicks(data, teclas);
    QTest::keyClick(data, Qt::Key_Tab);
    QVERIFY2(a.aviso.eventos().isEmpty(), qPrintable(a.aviso.eventos().value(0).texto));
    QCOMPARE(a.dm->RecibosDATA->valor().toDate(), esperada);
    QCOMPARE(texto(j, "DBdatarecibo"), DataPorExtenso(esperada));
    clicar(j, "BTsalvar");
    QCOMPARE(a.consultarDeFora(QStringLiteral("select DATA from RECIBOS")).at(0).toDate(),
             esperada);
}

void TstRecibo::entradaRecusadaFicaNoCampo_data() {
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<QString>("trechoDaMensagem");
    QTest::newRow("valor com letras") << "DBvalor"
                                      << "12a"
                                      << "não é um valor válido";
    QTest::newRow("valor com milhar mal agrupado") << "DBvalor"
                                                   << "1.23,00"
                                                   << "não é um valor válido";
    QTest::newRow("valor além de NUMERIC(18,2)") << "DBvalor"
                                                 << "10000000000000000"
                                                 << "9.999.999.999.999.999,99";
    QTest::newRow("31/02/2024") << "DBdata"
                                << "31022024"
                                << "não é uma data válida";
    QTest::newRow("data sem o ano completo") << "DBdata"
                                             << "050320"
                                             << "Complete os dígitos";
}

void TstRecibo::entradaRecusadaFicaNoCampo() {
    QFETCH(QString, campo);
    QFETCH(QString, digitado);
    QFETCH(QString, trechoDaMensagem);
    Ambiente a;
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    auto *w = filho<TDBEdit>(j, qPrintable(campo));
    w->setFocus(Qt::TabFocusReason);
    w->selectAll();
    QTest::keyClick(w, Qt::Key_Delete);
    QTest::keyClick(w, Qt::Key_Home);
    QTest::keyClicks(w, digitado);
    QTest::keyClick(w, Qt::Key_Tab);

    QCOMPARE(a.aviso.eventos().size(), 1);
    QCOMPARE(a.aviso.eventos().at(0).tipo, Evento::Erro);
    QVERIFY2(a.aviso.eventos().at(0).texto.contains(trechoDaMensagem),
             qPrintable(a.aviso.eventos().at(0).texto));
    QCOMPARE(focado(), campo);
    // The leaving actions did not run.
    QVERIFY(texto(j, "DBvalorextenso").isEmpty());
    QVERIFY(texto(j, "DBdatarecibo").isEmpty());

    // Salvar refuses it too; the window stays editing and nothing is stored.
    a.aviso.limpar();
    clicar(j, "BTsalvar");
    QCOMPARE(a.aviso.eventos().size(), 1);
    QCOMPARE(a.aviso.eventos().at(0).tipo, Evento::Erro);
    QVERIFY(editando(j));
    QCOMPARE(a.dm->Recibos->estado(), Conjunto::Estado::Inserindo);
    QVERIFY(a.linhasDeFora(QStringLiteral("select * from RECIBOS")).empty());
}

void TstRecibo::valorForaDoExtensoAindaSeGrava_data() {
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<qint64>("centavos");
    QTest::newRow("um milhão") << "1.000.000" << qint64(100000000);
    QTest::newRow("negativo") << "-5" << qint64(-500);
    QTest::newRow("o maior de NUMERIC(18,2)")
        << "9.999.999.999.999.999,99" << qint64(999999999999999999);
}

void TstRecibo::valorForaDoExtensoAindaSeGrava() {
    QFETCH(QString, digitado);
    QFETCH(qint64, centavos);
    Ambiente a;
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    digitarEAvancar(digitado);
    QCOMPARE(a.aviso.eventos().size(), 1);
    QCOMPARE(a.aviso.eventos().at(0).tipo, Evento::Mensagem);
    QCOMPARE(focado(), QStringLiteral("DBreferente"));
    QVERIFY(texto(j, "DBvalorextenso").isEmpty());
    QCOMPARE(texto(j, "DBdatarecibo"), DataPorExtenso(QDate::currentDate()));
    clicar(j, "BTsalvar");
    const auto linhas = a.linhasDeFora(QStringLiteral("select VALOR from RECIBOS"));
    QCOMPARE(linhas.size(), size_t(1));
    QCOMPARE(linhas.front().at(0).value<Dinheiro>(), Dinheiro::deCentavos(centavos));
    QCOMPARE(texto(j, "DBvalor"), Dinheiro::deCentavos(centavos).formatado());
}

void TstRecibo::doValorDiretoParaSalvar_data() {
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<int>("erros");
    QTest::addColumn<int>("guardados");
    QTest::newRow("valor legível") << "1234,5" << 0 << 1;
    // Refused once, by Salvar, and the leaving actions do not run.
    QTest::newRow("valor ilegível") << "12x" << 1 << 0;
}

void TstRecibo::doValorDiretoParaSalvar() {
    QFETCH(QString, digitado);
    QFETCH(int, erros);
    QFETCH(int, guardados);
    Ambiente a;
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    QTest::keyClicks(QApplication::focusWidget(), digitado);
    clicar(j, "BTsalvar");

    int errosVistos = 0;
    for (const Evento &e : a.aviso.eventos())
        errosVistos += e.tipo == Evento::Erro;
    QCOMPARE(errosVistos, erros);
    const auto linhas = a.linhasDeFora(QStringLiteral(
        "select VALOR, VALOREXTENSO, DATARECIBO, TIPO, EMITENTE, CPFCNPJEMITENTE from RECIBOS"));
    QCOMPARE(int(linhas.size()), guardados);
    if (guardados == 0) {
        QVERIFY(texto(j, "DBvalorextenso").isEmpty());
        return;
    }
    const Fb::Linha &l = linhas.front();
    QCOMPARE(l.at(0).value<Dinheiro>(), Dinheiro::deCentavos(123450));
    QCOMPARE(l.at(1).toString(), k_extenso);
    QCOMPARE(l.at(2).toString(), DataPorExtenso(QDate::currentDate()));
    QCOMPARE(l.at(3).toString(), QStringLiteral("DEVEDOR"));
    QVERIFY(!l.at(4).isValid());
    QVERIFY(!l.at(5).isValid());
}

void TstRecibo::janelasAbertasDaqui_data() {
    QTest::addColumn<QString>("botao");
    QTest::newRow("Emitente abre o cadastro do emitente") << "SpeedButton1";
    QTest::newRow("a calculadora") << "SpeedButton2";
}

void TstRecibo::janelasAbertasDaqui() {
    QFETCH(QString, botao);
    Ambiente a;
    TFRcademitente emitente;
    TFormCalculadora calculadora;
    FRcademitente = &emitente;
    FormCalculadora = &calculadora;
    TFRrecibo j;
    QVERIFY(abrir(j));
    QWidget *esperada = botao == QLatin1String("SpeedButton1")
                            ? static_cast<QWidget *>(&emitente)
                            : static_cast<QWidget *>(&calculadora);
    QWidget *vista = nullptr;
    // Runs inside the modal loop of the window just opened.
    QTimer::singleShot(0, &j, [&] {
        vista = QApplication::activeModalWidget();
        if (vista)
            vista->close();
    });
    clicar(j, qPrintable(botao));
    FRcademitente = nullptr;
    FormCalculadora = nullptr;
    QCOMPARE(vista, esperada);
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstRecibo::sair_data() {
    QTest::addColumn<QString>("valor");
    QTest::addColumn<int>("resposta"); // -1: no question expected
    QTest::addColumn<bool>("caixaDeFechar");
    QTest::addColumn<int>("guardados");
    QTest::newRow("valor vazio fecha sem perguntar") << "" << -1 << false << 0;
    QTest::newRow("Sim grava e fecha") << "15" << 1 << false << 1;
    QTest::newRow("Não descarta e fecha") << "15" << 0 << false << 0;
    QTest::newRow("caixa de fechar não pergunta") << "15" << -1 << true << 0;
    QTest::newRow("Esc na pergunta fica editando") << "15" << 2 << false << 0;
}

void TstRecibo::sair() {
    QFETCH(QString, valor);
    QFETCH(int, resposta);
    QFETCH(bool, caixaDeFechar);
    QFETCH(int, guardados);
    Ambiente a;
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    if (!valor.isEmpty())
        digitarEAvancar(valor);
    if (resposta == 2)
        a.aviso.desistir();
    else if (resposta >= 0)
        a.aviso.responder(resposta == 1);
    if (caixaDeFechar)
        j.close();
    else
        clicar(j, "BTsair");
    if (resposta == 2) {
        // The question put away leaves the receipt being typed, and the window, as they were.
        QVERIFY(j.isVisible());
        QVERIFY(editando(j));
        QVERIFY(a.dm->Recibos->emEdicao());
        QCOMPARE(texto(j, "DBvalor"), QStringLiteral("15,00"));
        QCOMPARE(a.aviso.eventos().size(), 1);
        return;
    }
    QVERIFY(!j.isVisible());

    QList<Evento> esperado;
    if (resposta >= 0)
        esperado << Evento{Evento::Pergunta,
                           QStringLiteral("Deseja salvar os dados antes de Sair?")};
    if (resposta == 1)
        esperado << Evento{Evento::Mensagem, QStringLiteral("Recibo Gravado")};
    QCOMPARE(a.aviso.eventos(), esperado);
    QCOMPARE(int(a.linhasDeFora(QStringLiteral("select * from RECIBOS")).size()), guardados);

    // Shown again: browsing, whatever was left pending is gone.
    QVERIFY(abrir(j));
    QVERIFY(navegando(j));
    QVERIFY(!a.dm->Recibos->emEdicao());
    QCOMPARE(a.dm->Recibos->vazio(), guardados == 0);
}

void TstRecibo::cancelarNovoComAsBuscasCriadas_data() {
    QTest::addColumn<bool>("sair"); // Sair answered No instead of Cancelar
    QTest::newRow("Cancelar") << false;
    QTest::newRow("Sair, Não") << true;
}

// As the program runs, the searches exist from the start, their grids hidden over the shared
// datasets. A new receipt dropped right after a saved one leaves the stored receipts as they
// were and says nothing: no grid moving its cursor as the new row goes may post anything.
void TstRecibo::cancelarNovoComAsBuscasCriadas() {
    QFETCH(bool, sair);
    Ambiente a;
    TFRconsultarec busca;
    TFRconsultacli2 buscaCliente;
    FRconsultarec = &busca;
    FRconsultacli2 = &buscaCliente;
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    QCOMPARE(focado(), QStringLiteral("DBvalor"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("10"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    clicar(j, "BTsalvar");
    clicar(j, "BTnovo");
    QCOMPARE(focado(), QStringLiteral("DBvalor"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("20"));
    if (sair) {
        a.aviso.responder(false);
        clicar(j, "BTsair");
    } else {
        clicar(j, "BTcancelar");
    }
    FRconsultarec = nullptr;
    FRconsultacli2 = nullptr;
    for (const Evento &e : a.aviso.eventos())
        QVERIFY2(e.tipo != Evento::Erro, qPrintable(e.texto));
    QCOMPARE(a.contarDeFora(QStringLiteral("RECIBOS")), 1);
    QCOMPARE(a.dm->Recibos->linhasCarregadas(), 1);
    QVERIFY(!a.dm->Recibos->emEdicao());
    QCOMPARE(a.dm->RecibosID_RECIBO->valor().toInt(), 1);
    QCOMPARE(j.isVisible(), !sair);
}

QTEST_MAIN(TstRecibo)
#include "tst_recibo.moc"
