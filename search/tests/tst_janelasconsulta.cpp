#include "Aplicacao.h"
#include "AvisadorGravador.h"
#include "Consultas.h"
#include "DBGrid.h"
#include "JanelaTeste.h"
#include "UNcadcli.h"
#include "UNconsultacli.h"
#include "UNconsultacli2.h"
#include "UNconsultarec.h"
#include "UNrecibo.h"
#include "Win1252.h"

#include <QTest>
#include <QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>

using Evento = AvisadorGravador::Evento;

namespace {

// Clients with an apostrophe, punctuated tax numbers, a name stored in lower case and one
// without a name; receipts of both kinds.
struct Ambiente : AmbienteJanela {
    Ambiente() {
        novoCliente(QStringLiteral("MARIA SILVA"), QStringLiteral("123.456.789-09"));
        novoCliente(QStringLiteral("ANA SILVA"), QStringLiteral("111.222.333-44"));
        novoCliente(QStringLiteral("D'AVILA COMERCIO"), QStringLiteral("12.345.678/0001-90"));
        novoCliente(QStringLiteral("MARCOS SOUZA"), QStringLiteral("987.654.321-00"));
        novoCliente(QStringLiteral("maria minúscula"));
        executar(QStringLiteral("INSERT INTO CLIENTES (ID_CLIENTE, CPFCNPJ) VALUES "
                                "(99, '555.666.777-88')"));
        const char *const recibos[][4] = {{"1", "PADARIA", "MARIA SILVA", "DEVEDOR"},
                                          {"2", "MARIA SILVA", "PADARIA", "CREDOR"},
                                          {"3", "PADARIA", "D'AVILA COMERCIO", "DEVEDOR"},
                                          {"12", "PADARIA", "MARIA SILVA", "DEVEDOR"},
                                          {"120", "PADARIA", "ANA SILVA", "DEVEDOR"}};
        for (const auto &r : recibos)
            executar(QStringLiteral("INSERT INTO RECIBOS (ID_RECIBO, EMITENTE, CLIENTE, TIPO, "
                                    "VALOR) VALUES (%1, '%2', '%3', '%4', 10)")
                         .arg(QLatin1String(r[0]), QString(QLatin1String(r[1])).replace("'", "''"),
                              QString(QLatin1String(r[2])).replace("'", "''"),
                              QLatin1String(r[3])));
    }
    void executar(const QString &sql) {
        Fb::Comando(*dm->Tra, sql).executar();
        dm->Tra->commitRetaining();
    }
    // A column of every row the dataset selects, in its order.
    QStringList coluna(Conjunto *c, Campo *campo) const {
        c->carregarTudo();
        QStringList r;
        for (int i = 0; i < c->linhasCarregadas(); ++i)
            r << c->valor(i, campo->indice()).toString();
        return r;
    }
    QStringList clientes() const { return coluna(dm->Clientes, dm->ClientesCLIENTE); }
    QStringList recibos() const { return coluna(dm->Recibos, dm->RecibosID_RECIBO); }
    QString clienteAtual() const { return dm->ClientesCLIENTE->valor().toString(); }
};

QLineEdit *caixa(const QWidget &j, const char *nome) {
    return filho<QLineEdit>(j, nome);
}

// Waits for the rows of the text typed, as the user sees them a moment later.
void esperarBusca(const QWidget &j) {
    qobject_cast<JanelaConsulta *>(const_cast<QWidget *>(&j))->concluirBusca();
}

// Clicks into the box and types at the end of its text.
void digitarEm(const QWidget &j, const char *nome, const QString &t) {
    QLineEdit *c = caixa(j, nome);
    c->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(c, Qt::Key_End);
    QTest::keyClicks(c, t);
    esperarBusca(j);
}

// Types, then deletes as many characters from the end.
void digitarEApagar(const QWidget &j, const char *nome, const QString &t, int apagar) {
    digitarEm(j, nome, t);
    for (int i = 0; i < apagar; ++i)
        QTest::keyClick(caixa(j, nome), Qt::Key_Backspace);
    esperarBusca(j);
}

const QStringList k_comNome{QStringLiteral("ANA SILVA"), QStringLiteral("D'AVILA COMERCIO"),
                            QStringLiteral("MARCOS SOUZA"), QStringLiteral("MARIA SILVA"),
                            QStringLiteral("maria minúscula")};

} // namespace

class TstJanelasConsulta : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Aplicacao::prepararAmbiente(); }
    void cleanupTestCase() { Fb::encerrar(); }

    void janelas();
    void buscaDeClientes_data();
    void buscaDeClientes();
    void baixoVaiAGradeEEscDeixaOClienteDoCursor();
    void escolhaCaiNoLadoDoTipo_data();
    void escolhaCaiNoLadoDoTipo();
    void reabrirMostraTodosEMantemOCpfCnpj();
    void buscaDeRecibos_data();
    void buscaDeRecibos();
    void reciboFicaComABuscaEClientesVoltam();
    void textoForaDaTabelaEsvaziaAGrade_data();
    void textoForaDaTabelaEsvaziaAGrade();
    void letraSemMaiusculaNoCodigoFicaComoDigitada();
    void consultarPerguntaPelaMudancaPendente_data();
    void consultarPerguntaPelaMudancaPendente();
    void consultarDoCadastroMostraOEscolhido();
};

void TstJanelasConsulta::janelas() {
    Ambiente a;
    TFRconsultacli c1;
    TFRconsultacli2 c2;
    TFRconsultarec r;
    const struct {
        QWidget *janela;
        QString titulo;
        QStringList colunas;
        QList<int> larguras;
    } casos[] = {{&c1,
                  QStringLiteral("Consulta de Clientes"),
                  {QStringLiteral("Cliente"), QStringLiteral("Telefone"),
                   QStringLiteral("Telefone 2"), QStringLiteral("CPF/CNPJ")},
                  {257, 90, 90, 192}},
                 {&c2,
                  QStringLiteral("Consulta de Clientes"),
                  {QStringLiteral("Cliente"), QStringLiteral("CPF/CNPJ")},
                  {354, 278}},
                 {&r,
                  QStringLiteral("Consulta de Recibos"),
                  {QStringLiteral("Nr. Recibo"), QStringLiteral("Data"), QStringLiteral("Cliente"),
                   QStringLiteral("Valor")},
                  {55, 125, 352, 100}}};
    for (const auto &c : casos) {
        QVERIFY(abrir(*c.janela));
        QCOMPARE(c.janela->windowTitle(), c.titulo);
        QCOMPARE(c.janela->size(), QSize(718, 520));
        auto *grade = filho<TDBGrid>(*c.janela, "DBGrid1");
        QStringList titulos;
        QList<int> larguras;
        for (int i = 0; i < grade->model()->columnCount(); ++i) {
            titulos << grade->model()->headerData(i, Qt::Horizontal).toString();
            larguras << grade->columnWidth(i);
        }
        QCOMPARE(titulos, c.colunas);
        QCOMPARE(larguras, c.larguras);
        QCOMPARE(focado(), QStringLiteral("EDlocalizar"));
        // A search reopens the dataset: the columns keep their widths.
        digitarEm(*c.janela, "EDlocalizar", QStringLiteral("M"));
        for (int i = 0; i < c.larguras.size(); ++i)
            QCOMPARE(grade->columnWidth(i), c.larguras[i]);
        c.janela->close();
    }
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstJanelasConsulta::buscaDeClientes_data() {
    QTest::addColumn<QByteArray>("caixa");
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<int>("apagar");
    QTest::addColumn<QString>("naCaixa");
    QTest::addColumn<QStringList>("achados");
    QTest::newRow("minúsculas viram maiúsculas") << QByteArray("EDlocalizar") << "mar" << 0 << "MAR"
                                                 << QStringList{"MARCOS SOUZA", "MARIA SILVA"};
    QTest::newRow("apóstrofo") << QByteArray("EDlocalizar") << "d'a" << 0 << "D'A"
                               << QStringList{"D'AVILA COMERCIO"};
    QTest::newRow("% digitado") << QByteArray("EDlocalizar") << "%silva" << 0 << "%SILVA"
                                << QStringList{"ANA SILVA", "MARIA SILVA"};
    QTest::newRow("_ digitado") << QByteArray("EDlocalizar") << "_ar" << 0 << "_AR"
                                << QStringList{"MARCOS SOUZA", "MARIA SILVA"};
    QTest::newRow("nada começa assim")
        << QByteArray("EDlocalizar") << "z" << 0 << "Z" << QStringList{};
    QTest::newRow("caixa apagada lista quem tem nome")
        << QByteArray("EDlocalizar") << "ma" << 2 << "" << k_comNome;
    QTest::newRow("três dígitos acham o CPF")
        << QByteArray("EDlocalizar2") << "123" << 0 << "123" << QStringList{"MARIA SILVA"};
    QTest::newRow("quatro dígitos sem o ponto nada")
        << QByteArray("EDlocalizar2") << "1234" << 0 << "1234" << QStringList{};
    QTest::newRow("com o ponto") << QByteArray("EDlocalizar2") << "123.4" << 0 << "123.4"
                                 << QStringList{"MARIA SILVA"};
    QTest::newRow("CPF e CNPJ em ordem de nome") << QByteArray("EDlocalizar2") << "12" << 0 << "12"
                                                 << QStringList{"D'AVILA COMERCIO", "MARIA SILVA"};
}

// The same searches in both windows (the tax-number box is only in the second).
void TstJanelasConsulta::buscaDeClientes() {
    QFETCH(QByteArray, caixa);
    QFETCH(QString, digitado);
    QFETCH(int, apagar);
    QFETCH(QString, naCaixa);
    QFETCH(QStringList, achados);
    Ambiente a;
    TFRconsultacli c1;
    TFRconsultacli2 c2;
    for (QWidget *j : {static_cast<QWidget *>(&c1), static_cast<QWidget *>(&c2)}) {
        if (!j->findChild<QLineEdit *>(QLatin1String(caixa)))
            continue;
        QVERIFY(abrir(*j));
        digitarEApagar(*j, caixa.constData(), digitado, apagar);
        QCOMPARE(::caixa(*j, caixa.constData())->text(), naCaixa);
        QCOMPARE(a.clientes(), achados);
        // The first match is current.
        QCOMPARE(a.clienteAtual(), achados.value(0));
        j->close();
    }
    // The two boxes do not combine: the one changed last decides alone.
    QVERIFY(abrir(c2));
    digitarEm(c2, "EDlocalizar", QStringLiteral("ANA"));
    ::caixa(c2, "EDlocalizar2")->clear();
    digitarEm(c2, "EDlocalizar2", QStringLiteral("98"));
    QCOMPARE(a.clientes(), QStringList{QStringLiteral("MARCOS SOUZA")});
    digitarEm(c2, "EDlocalizar", QStringLiteral(" "));
    QCOMPARE(a.clientes(), QStringList{QStringLiteral("ANA SILVA")});
    c2.close();
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstJanelasConsulta::baixoVaiAGradeEEscDeixaOClienteDoCursor() {
    Ambiente a;
    TFRconsultacli c1;
    QVERIFY(abrir(c1));
    digitarEm(c1, "EDlocalizar", QStringLiteral("MAR"));
    QCOMPARE(a.clienteAtual(), QStringLiteral("MARCOS SOUZA"));
    QTest::keyClick(caixa(c1, "EDlocalizar"), Qt::Key_Down);
    QCOMPARE(focado(), QStringLiteral("DBGrid1"));
    QCOMPARE(a.clienteAtual(), QStringLiteral("MARCOS SOUZA"));
    QTest::keyClick(filho(c1, "DBGrid1"), Qt::Key_Down);
    QCOMPARE(a.clienteAtual(), QStringLiteral("MARIA SILVA"));
    // A character typed in the grid chooses nothing here.
    QTest::keyClick(filho(c1, "DBGrid1"), Qt::Key_A);
    QVERIFY(c1.isVisible());
    QTest::keyClick(filho(c1, "DBGrid1"), Qt::Key_Escape);
    QVERIFY(!c1.isVisible());
    QCOMPARE(a.dm->Clientes->sql(), Consultas::clientesTodos());
    QCOMPARE(a.clienteAtual(), QStringLiteral("MARIA SILVA"));
    QCOMPARE(a.clientes().size(), 6);
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstJanelasConsulta::escolhaCaiNoLadoDoTipo_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("gesto");
    QTest::addColumn<QStringList>("partes"); // EMITENTE, CPFCNPJEMITENTE, CLIENTE, CPFCNPJCLIENTE
    const QString maria = QStringLiteral("MARIA SILVA");
    const QString cpf = QStringLiteral("123.456.789-09");
    const QString padaria = QStringLiteral("PADARIA");
    QTest::newRow("DEVEDOR, Enter: quem assina") << "DEVEDOR"
                                                 << "Enter" << QStringList{padaria, "", maria, cpf};
    QTest::newRow("DEVEDOR, letra: quem assina") << "DEVEDOR"
                                                 << "letra" << QStringList{padaria, "", maria, cpf};
    QTest::newRow("CREDOR, duplo clique: quem paga")
        << "CREDOR"
        << "duplo" << QStringList{maria, cpf, "ANA SILVA", ""};
    QTest::newRow("tipo vazio: nada") << ""
                                      << "Enter" << QStringList{padaria, "", "ANA SILVA", ""};
    QTest::newRow("Esc: nada") << "DEVEDOR"
                               << "Esc" << QStringList{padaria, "", "ANA SILVA", ""};
    QTest::newRow("Sair: nada") << "CREDOR"
                                << "Sair" << QStringList{padaria, "", "ANA SILVA", ""};
}

void TstJanelasConsulta::escolhaCaiNoLadoDoTipo() {
    QFETCH(QString, tipo);
    QFETCH(QString, gesto);
    QFETCH(QStringList, partes);
    Ambiente a;
    a.dm->Recibos->substituirSql(Consultas::recibosTodos());
    QCOMPARE(a.dm->RecibosID_RECIBO->valor().toInt(), 120);
    TFRconsultacli2 c2;
    c2.tipoDoRecibo = [&] { return tipo; };
    QVERIFY(abrir(c2));
    digitarEm(c2, "EDlocalizar", QStringLiteral("MARI"));
    QTest::keyClick(caixa(c2, "EDlocalizar"), Qt::Key_Down);
    auto *grade = filho<TDBGrid>(c2, "DBGrid1");
    if (gesto == QLatin1String("Enter"))
        QTest::keyClick(grade, Qt::Key_Return);
    else if (gesto == QLatin1String("letra"))
        QTest::keyClick(grade, Qt::Key_X);
    else if (gesto == QLatin1String("Esc"))
        QTest::keyClick(grade, Qt::Key_Escape);
    else if (gesto == QLatin1String("Sair"))
        clicar(c2, "Speedbutton6");
    else
        QTest::mouseDClick(grade->viewport(), Qt::LeftButton, {},
                           grade->visualRect(grade->model()->index(0, 0)).center());
    QVERIFY(!c2.isVisible());
    const QStringList obtido{
        a.dm->RecibosEMITENTE->valor().toString(), a.dm->RecibosCPFCNPJEMITENTE->valor().toString(),
        a.dm->RecibosCLIENTE->valor().toString(), a.dm->RecibosCPFCNPJCLIENTE->valor().toString()};
    QCOMPARE(obtido, partes);
    const bool copiou = partes.contains(QStringLiteral("MARIA SILVA"));
    QCOMPARE(a.dm->Recibos->emEdicao(), copiou);
    // The client chosen stays current in the full list.
    QCOMPARE(a.dm->Clientes->sql(), Consultas::clientesTodos());
    QCOMPARE(a.clienteAtual(), QStringLiteral("MARIA SILVA"));
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstJanelasConsulta::reabrirMostraTodosEMantemOCpfCnpj() {
    Ambiente a;
    TFRconsultacli2 c2;
    QVERIFY(abrir(c2));
    digitarEm(c2, "EDlocalizar", QStringLiteral("ana"));
    digitarEm(c2, "EDlocalizar2", QStringLiteral("987"));
    QTest::keyClick(caixa(c2, "EDlocalizar2"), Qt::Key_Escape);
    QVERIFY(!c2.isVisible());
    QCOMPARE(a.clienteAtual(), QStringLiteral("MARCOS SOUZA"));
    QVERIFY(abrir(c2));
    QCOMPARE(caixa(c2, "EDlocalizar")->text(), QString());
    QCOMPARE(caixa(c2, "EDlocalizar2")->text(), QStringLiteral("987"));
    QCOMPARE(focado(), QStringLiteral("EDlocalizar"));
    QCOMPARE(a.dm->Clientes->sql(), Consultas::clientesTodos());
    QCOMPARE(a.clientes().size(), 6);
    c2.close();
}

void TstJanelasConsulta::buscaDeRecibos_data() {
    QTest::addColumn<QByteArray>("caixa");
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<QString>("naCaixa");
    QTest::addColumn<QStringList>("achados");
    QTest::newRow("nome, o mais antigo primeiro") << QByteArray("EDlocalizar") << "mar"
                                                  << "MAR" << QStringList{"1", "12"};
    QTest::newRow("CREDOR achado pelo nome do emitente") << QByteArray("EDlocalizar") << "pad"
                                                         << "PAD" << QStringList{"2"};
    QTest::newRow("apóstrofo") << QByteArray("EDlocalizar") << "d'"
                               << "D'" << QStringList{"3"};
    QTest::newRow("% digitado") << QByteArray("EDlocalizar") << "%silva"
                                << "%SILVA" << QStringList{"1", "12", "120"};
    QTest::newRow("número e os que começam por ele") << QByteArray("EDlocalizar2") << "12"
                                                     << "12" << QStringList{"12", "120"};
    QTest::newRow("um dígito") << QByteArray("EDlocalizar2") << "1"
                               << "1" << QStringList{"1", "12", "120"};
    QTest::newRow("letra no número") << QByteArray("EDlocalizar2") << "1a"
                                     << "1A" << QStringList{};
    QTest::newRow("_ no número") << QByteArray("EDlocalizar2") << "1_"
                                 << "1_" << QStringList{"12", "120"};
}

void TstJanelasConsulta::buscaDeRecibos() {
    QFETCH(QByteArray, caixa);
    QFETCH(QString, digitado);
    QFETCH(QString, naCaixa);
    QFETCH(QStringList, achados);
    Ambiente a;
    TFRconsultarec r;
    QVERIFY(abrir(r));
    digitarEm(r, caixa.constData(), digitado);
    QCOMPARE(::caixa(r, caixa.constData())->text(), naCaixa);
    QCOMPARE(a.recibos(), achados);
    r.close();
    // Opening again: every receipt, newest first, both boxes empty.
    QVERIFY(abrir(r));
    QCOMPARE(::caixa(r, "EDlocalizar")->text(), QString());
    QCOMPARE(::caixa(r, "EDlocalizar2")->text(), QString());
    QCOMPARE(focado(), QStringLiteral("EDlocalizar"));
    QCOMPARE(a.recibos(), (QStringList{"120", "12", "3", "2", "1"}));
    r.close();
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstJanelasConsulta::textoForaDaTabelaEsvaziaAGrade_data() {
    QTest::addColumn<int>("janela"); // 0 the registry's client search, 1 the receipt's, 2 receipts
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("digitado");
    QTest::addColumn<QString>("colado");
    QTest::addColumn<QString>("nomeado"); // how the message names the character; empty: none
    QTest::newRow("recibos pelo nome, fora do código") << 2 << "EDlocalizar"
                                                       << "M"
                                                       << "Ω"
                                                       << "\"Ω\" (U+03A9)";
    QTest::newRow("clientes pelo CPF/CNPJ, fora do código") << 1 << "EDlocalizar2"
                                                            << "1"
                                                            << "Ω"
                                                            << "\"Ω\" (U+03A9)";
    // Control characters are in the code page, but no stored value holds one.
    QTest::newRow("clientes pelo nome, NUL") << 0 << "EDlocalizar"
                                             << "M" << QString(QChar(0)) << "U+0000";
    QTest::newRow("clientes do recibo pelo nome, TAB") << 1 << "EDlocalizar"
                                                       << "M"
                                                       << "\t"
                                                       << "U+0009";
    QTest::newRow("clientes pelo CPF/CNPJ, ESC") << 1 << "EDlocalizar2"
                                                 << "1"
                                                 << "\x1b"
                                                 << "U+001B";
    QTest::newRow("recibos pelo nome, NUL") << 2 << "EDlocalizar"
                                            << "M" << QString(QChar(0)) << "U+0000";
    // In the number box anything but a digit or a wildcard is in no number: nothing is found,
    // and nothing is said, as for a letter.
    QTest::newRow("recibos pelo número, line feed") << 2 << "EDlocalizar2"
                                                    << "1"
                                                    << "\n"
                                                    << "";
    QTest::newRow("recibos pelo número, byte-order mark") << 2 << "EDlocalizar2"
                                                          << "1" << QString(QChar(0xFEFF)) << "";
    QTest::newRow("recibos pelo número, letra acentuada") << 2 << "EDlocalizar2"
                                                          << "1"
                                                          << "Ç€Á\u00a0"
                                                          << "";
    // Longer than the column: nothing can be found, and the engine is not asked.
    QTest::newRow("clientes pelo nome, texto longo")
        << 0 << "EDlocalizar"
        << "M" << QString(10000, QLatin1Char('A')) << "";
    QTest::newRow("clientes pelo CPF/CNPJ, texto longo")
        << 1 << "EDlocalizar2"
        << "1" << QString(10000, QLatin1Char('2')) << "";
    QTest::newRow("recibos pelo nome, texto longo")
        << 2 << "EDlocalizar"
        << "M" << QString(10000, QLatin1Char('A')) << "";
}

// A character no stored value may hold is refused in a box naming it as typed, also where the
// search first looks at the register to choose its statement; the grid stays empty until the
// next change, which lists again, in this box or in the other. What merely cannot be found
// empties the grid without a word.
void TstJanelasConsulta::textoForaDaTabelaEsvaziaAGrade() {
    QFETCH(int, janela);
    QFETCH(QString, nome);
    QFETCH(QString, digitado);
    QFETCH(QString, colado);
    QFETCH(QString, nomeado);
    Ambiente a;
    TFRconsultacli c1;
    TFRconsultacli2 c2;
    TFRconsultarec r;
    QWidget *const janelas[] = {&c1, &c2, &r};
    QWidget &j = *janelas[janela];
    const QByteArray nomeDaCaixa = nome.toLatin1();
    Conjunto *conjunto = janela == 2 ? a.dm->Recibos : a.dm->Clientes;
    QVERIFY(abrir(j));
    digitarEm(j, nomeDaCaixa.constData(), digitado);
    QVERIFY(conjunto->aberto() && !conjunto->vazio());
    // Pasted: the keyboard of the tests types only ASCII.
    caixa(j, nomeDaCaixa.constData())->insert(colado);
    esperarBusca(j);
    QCOMPARE(caixa(j, nomeDaCaixa.constData())->text(), Win1252::maiusculas(digitado + colado));
    if (nomeado.isEmpty()) {
        QVERIFY(a.aviso.eventos().isEmpty());
        QVERIFY(conjunto->aberto() && conjunto->vazio());
    } else {
        QCOMPARE(a.aviso.eventos().size(), 1);
        QCOMPARE(a.aviso.eventos().front().tipo, Evento::Erro);
        QVERIFY2(a.aviso.eventos().front().texto.contains(nomeado) &&
                     a.aviso.eventos().front().texto.startsWith(QLatin1String("A busca")),
                 qPrintable(a.aviso.eventos().front().texto));
        QVERIFY(!conjunto->aberto());
    }
    // The other box of the window, where there is one, lists at once: the engine was left in
    // a state to answer it.
    if (janela > 0) {
        const char *outra = nome == QLatin1String("EDlocalizar") ? "EDlocalizar2" : "EDlocalizar";
        // The other box is the number or the tax number when this one is the name.
        digitarEm(j, outra, nome == QLatin1String("EDlocalizar") ? "1" : "M");
        QVERIFY(conjunto->aberto() && !conjunto->vazio());
        caixa(j, outra)->clear();
    }
    caixa(j, nomeDaCaixa.constData())->setText(digitado);
    esperarBusca(j);
    QVERIFY(conjunto->aberto() && !conjunto->vazio());
    QCOMPARE(a.aviso.eventos().size(), nomeado.isEmpty() ? 0 : 1);
    j.close();
}

// Letters whose capital the register cannot hold stay as typed: "µ" is found as stored,
// never refused as a "Μ" the user did not type.
void TstJanelasConsulta::letraSemMaiusculaNoCodigoFicaComoDigitada() {
    Ambiente a;
    a.novoCliente(QStringLiteral("µSOFT ƒ LTDA"));
    TFRconsultacli c;
    QVERIFY(abrir(c));
    caixa(c, "EDlocalizar")->insert(QStringLiteral("µsoft ƒ"));
    esperarBusca(c);
    QCOMPARE(caixa(c, "EDlocalizar")->text(), QStringLiteral("µSOFT ƒ"));
    QCOMPARE(a.clientes(), QStringList{QStringLiteral("µSOFT ƒ LTDA")});
    QVERIFY(a.aviso.eventos().isEmpty());
    c.close();
}

void TstJanelasConsulta::reciboFicaComABuscaEClientesVoltam() {
    Ambiente a;
    TFRconsultarec r;
    // The clients' dataset narrowed elsewhere, on a client.
    a.dm->Clientes->substituirSql(Consultas::clientesPorNome(QStringLiteral("MARC")));
    QVERIFY(abrir(r));
    QTest::keyClick(caixa(r, "EDlocalizar"), Qt::Key_Escape);
    QVERIFY(!r.isVisible());
    QCOMPARE(a.dm->Recibos->sql(), Consultas::recibosTodos());
    QCOMPARE(a.dm->RecibosID_RECIBO->valor().toInt(), 120);
    QCOMPARE(a.dm->Clientes->sql(), Consultas::clientesTodos());
    QCOMPARE(a.clienteAtual(), QStringLiteral("MARCOS SOUZA"));

    QVERIFY(abrir(r));
    digitarEm(r, "EDlocalizar", QStringLiteral("MARIA"));
    QTest::keyClick(caixa(r, "EDlocalizar"), Qt::Key_Down);
    QTest::keyClick(filho(r, "DBGrid1"), Qt::Key_Down);
    clicar(r, "Speedbutton6");
    QVERIFY(!r.isVisible());
    QCOMPARE(a.dm->Recibos->sql(), Consultas::recibosPorNome(QStringLiteral("MARIA")));
    QCOMPARE(a.dm->RecibosID_RECIBO->valor().toInt(), 12);
    QVERIFY(a.aviso.eventos().isEmpty());
}

void TstJanelasConsulta::consultarPerguntaPelaMudancaPendente_data() {
    QTest::addColumn<QByteArray>("botao");
    QTest::addColumn<int>("resposta"); // 0 Não, 1 Sim, 2 put away (Esc, the close box)
    QTest::newRow("Consultar, Sim grava") << QByteArray("BTconsultar") << 1;
    QTest::newRow("Consultar, Não descarta") << QByteArray("BTconsultar") << 0;
    QTest::newRow("Consultar, Esc não abre nada") << QByteArray("BTconsultar") << 2;
    QTest::newRow("Sair, Sim grava") << QByteArray("BTsair") << 1;
    QTest::newRow("Sair, Não descarta") << QByteArray("BTsair") << 0;
    QTest::newRow("Sair, Esc fica") << QByteArray("BTsair") << 2;
}

// The client search fills the receipt shown while the window browses; "Consultar" and "Sair"
// then ask before they reload or leave, and the answer decides what is stored. Only "Não"
// drops the change; a question put away leaves the receipt as it was and does nothing else.
void TstJanelasConsulta::consultarPerguntaPelaMudancaPendente() {
    QFETCH(QByteArray, botao);
    QFETCH(int, resposta);
    const bool consultar = botao == "BTconsultar";
    Ambiente a;
    TFRconsultacli2 c2;
    TFRconsultarec r;
    FRconsultacli2 = &c2;
    FRconsultarec = &r;
    TFRrecibo j;
    QVERIFY(abrir(j));
    QCOMPARE(filho<QComboBox>(j, "DBtipo")->currentText(), QStringLiteral("DEVEDOR"));
    QTimer::singleShot(0, &j, [&] {
        QVERIFY(QTest::qWaitFor([&] { return QApplication::activeModalWidget() == &c2; }));
        digitarEm(c2, "EDlocalizar", QStringLiteral("MARCOS"));
        QTest::keyClick(caixa(c2, "EDlocalizar"), Qt::Key_Down);
        QTest::keyClick(filho(c2, "DBGrid1"), Qt::Key_Return);
    });
    clicar(j, "BTlocalizacao");
    QVERIFY(!c2.isVisible());
    QCOMPARE(texto(j, "DBcliente"), QStringLiteral("MARCOS SOUZA"));
    QVERIFY(a.dm->Recibos->emEdicao());
    QVERIFY(filho(j, "BTconsultar")->isEnabled());

    if (resposta == 2)
        a.aviso.desistir();
    else
        a.aviso.responder(resposta == 1);
    QWidget *aberta = nullptr;
    QTimer::singleShot(0, &j, [&] {
        aberta = QApplication::activeModalWidget();
        if (aberta)
            aberta->close();
    });
    clicar(j, botao.constData());
    FRconsultacli2 = nullptr;
    FRconsultarec = nullptr;
    QList<Evento> esperado{
        {Evento::Pergunta, consultar ? QStringLiteral("Deseja salvar os dados antes de Consultar?")
                                     : QStringLiteral("Deseja salvar os dados antes de Sair?")}};
    if (resposta == 1)
        esperado << Evento{Evento::Mensagem, QStringLiteral("Recibo Gravado")};
    QCOMPARE(a.aviso.eventos(), esperado);
    QCOMPARE(a.consultarDeFora(QStringLiteral("SELECT CLIENTE FROM RECIBOS WHERE ID_RECIBO = 120"))
                 .at(0)
                 .toString(),
             resposta == 1 ? QStringLiteral("MARCOS SOUZA") : QStringLiteral("ANA SILVA"));
    if (resposta == 2) {
        QCOMPARE(aberta, nullptr);
        QVERIFY(j.isVisible());
        QVERIFY(a.dm->Recibos->emEdicao());
        QCOMPARE(texto(j, "DBcliente"), QStringLiteral("MARCOS SOUZA"));
        return;
    }
    QCOMPARE(aberta, consultar ? static_cast<QWidget *>(&r) : nullptr);
    QCOMPARE(j.isVisible(), consultar);
    QVERIFY(!a.dm->Recibos->emEdicao());
    QCOMPARE(a.dm->RecibosID_RECIBO->valor().toInt(), 120);
}

void TstJanelasConsulta::consultarDoCadastroMostraOEscolhido() {
    Ambiente a;
    TFRconsultacli c1;
    FRconsultacli = &c1;
    TFRcadcli cad;
    QVERIFY(abrir(cad));
    QTimer::singleShot(0, &cad, [&] {
        QVERIFY(QTest::qWaitFor([&] { return QApplication::activeModalWidget() == &c1; }));
        digitarEm(c1, "EDlocalizar", QStringLiteral("D'"));
        auto *grade = filho<TDBGrid>(c1, "DBGrid1");
        QTest::mouseDClick(grade->viewport(), Qt::LeftButton, {},
                           grade->visualRect(grade->model()->index(0, 0)).center());
    });
    clicar(cad, "BTconsultar");
    FRconsultacli = nullptr;
    QVERIFY(!c1.isVisible());
    QCOMPARE(texto(cad, "DBEdit2"), QStringLiteral("D'AVILA COMERCIO"));
    QCOMPARE(a.dm->Clientes->sql(), Consultas::clientesTodos());
    QVERIFY(a.aviso.eventos().isEmpty());
}

QTEST_MAIN(TstJanelasConsulta)
#include "tst_janelasconsulta.moc"
