#include "Aplicacao.h"
#include "AvisadorGravador.h"
#include "CampoData.h"
#include "ConsultaRelatorio.h"
#include "Dinheiro.h"
#include "Esquema.h"
#include "JanelaTeste.h"
#include "OrigemConsulta.h"
#include "Renderizador.h"
#include "UNabreclientes1.h"
#include "UNabrerecibos1.h"
#include "UNabrerecibos2.h"
#include "UNpreview.h"
#include "UNrelatorios.h"

#include <QDate>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QPushButton>

#include <functional>
#include <memory>

using Evento = AvisadorGravador::Evento;

namespace {

const QDate k_dia(2024, 3, 5);

struct Ambiente : AmbienteJanela {
    // A receipt stored with its number given, as another program would write it.
    void recibo(int numero, const QString &cliente, qint64 centavos, const QDate &data) {
        Fb::Comando c(*dm->Tra, QStringLiteral("insert into RECIBOS (ID_RECIBO, CLIENTE, VALOR, "
                                               "DATA) values (:ID, :CLIENTE, :VALOR, :DATA)"));
        c.definir(QStringLiteral("ID"), numero);
        c.definir(QStringLiteral("CLIENTE"), cliente);
        c.definir(QStringLiteral("VALOR"), QVariant::fromValue(Dinheiro::deCentavos(centavos)));
        c.definir(QStringLiteral("DATA"), data);
        c.executar();
        dm->Tra->commitRetaining();
    }
    void recibos(int quantidade, const QDate &data) {
        Fb::Comando c(*dm->Tra, QStringLiteral("insert into RECIBOS (ID_RECIBO, CLIENTE, VALOR, "
                                               "DATA) values (:ID, :CLIENTE, :VALOR, :DATA)"));
        for (int i = 1; i <= quantidade; ++i) {
            c.definir(QStringLiteral("ID"), i);
            c.definir(QStringLiteral("CLIENTE"), QStringLiteral("CLIENTE %1").arg(i));
            c.definir(QStringLiteral("VALOR"), QVariant::fromValue(Dinheiro::deCentavos(i)));
            c.definir(QStringLiteral("DATA"), data);
            c.executar();
        }
        dm->Tra->commitRetaining();
    }
    void clientes(int quantidade) {
        Fb::Comando c(*dm->Tra,
                      QStringLiteral("insert into CLIENTES (ID_CLIENTE, CLIENTE, EMAIL, TELEFONE, "
                                     "CPFCNPJ) values (:ID, :CLIENTE, :EMAIL, :TEL, :DOC)"));
        for (int i = 1; i <= quantidade; ++i) {
            c.definir(QStringLiteral("ID"), i);
            c.definir(QStringLiteral("CLIENTE"),
                      QStringLiteral("CLIENTE %1").arg(i, 4, 10, QChar(u'0')));
            c.definir(QStringLiteral("EMAIL"), QStringLiteral("c%1@exemplo.com.br").arg(i));
            c.definir(QStringLiteral("TEL"),
                      QStringLiteral("(19) 3333-%1").arg(i, 4, 10, QChar(u'0')));
            c.definir(QStringLiteral("DOC"), QStringLiteral("123.456.789-09"));
            c.executar();
        }
        dm->Tra->commitRetaining();
    }
};

// What one "Visualizar" showed: the pages once all are prepared, and how far the preview
// had got when it appeared.
struct Visto {
    bool abriu = false;
    RelatorioPreparado paginas;
    bool preparandoAoAbrir = false;
    qint64 linhasLidasAoAbrir = -1;
};

Visto visualizar(DialogoRelatorio &janela, const std::function<void()> &gesto = {}) {
    Visto visto;
    QObject guarda; // no preview opened: the check dies with this call
    QTimer::singleShot(0, &guarda, [&] {
        auto *preview = qobject_cast<TFRpreview *>(QApplication::activeModalWidget());
        if (!preview)
            return;
        visto.abriu = true;
        visto.preparandoAoAbrir = preview->preparando();
        visto.linhasLidasAoAbrir = janela.consulta().lidas();
        preview->concluirPreparo();
        visto.paginas = *preview->relatorio();
        preview->close();
    });
    if (gesto)
        gesto();
    else
        clicar(janela, "Button1");
    return visto;
}

QList<const TextoPreparado *> textos(const PaginaPreparada &pagina, const QString &objeto) {
    QList<const TextoPreparado *> achados;
    for (const ElementoPreparado &e : pagina.elementos)
        if (const auto *t = std::get_if<TextoPreparado>(&e); t && t->nome == objeto)
            achados << t;
    return achados;
}

QString impresso(const TextoPreparado &t) {
    QStringList linhas;
    for (const LinhaDeTexto &l : t.linhas)
        linhas << l.texto;
    return linhas.join(u'\n');
}

// The texts one object printed, page after page.
QStringList coluna(const RelatorioPreparado &r, const QString &objeto) {
    QStringList lista;
    for (const PaginaPreparada &p : r.paginas)
        for (const TextoPreparado *t : textos(p, objeto))
            lista << impresso(*t);
    return lista;
}

void periodo(const QWidget &janela, const QDate &inicio, const QDate &fim) {
    filho<CampoData>(janela, "Medtini")->setDate(inicio);
    filho<CampoData>(janela, "Medtfim")->setDate(fim);
}

void escolherCliente(const QWidget &janela, const QString &nome) {
    auto *combo = filho<QComboBox>(janela, "DBcliente");
    combo->setCurrentIndex(combo->findText(nome, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    QCOMPARE(combo->currentText(), nome);
}

// Every name the picker offers, read as scrolling to the end of its list reads them.
QStringList oferecidos(QComboBox *combo) {
    while (combo->model()->canFetchMore({}))
        combo->model()->fetchMore({});
    QStringList nomes;
    for (int i = 0; i < combo->count(); ++i)
        nomes << combo->itemText(i);
    return nomes;
}

QStringList nomesDosClientes(TDatamodule1 &dm) {
    dm.Clientes->carregarTudo();
    QStringList nomes;
    for (int i = 0; i < dm.Clientes->linhasCarregadas(); ++i)
        nomes << dm.Clientes->valor(i, dm.ClientesCLIENTE->indice()).toString();
    return nomes;
}

// A database made with the program's own definitions, changed on the way.
struct BancoAlterado {
    QTemporaryDir pasta;
    std::unique_ptr<TDatamodule1> dm;
    AvisadorGravador aviso;

    explicit BancoAlterado(const std::function<QStringList(QStringList)> &mudar) {
        const QString caminho = pasta.filePath(QStringLiteral("DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo, mudar(Esquema::definicoes()));
        dm = std::make_unique<TDatamodule1>(caminho);
        Datamodule1 = dm.get();
        Avisador::instalar(&aviso);
    }
    ~BancoAlterado() {
        Avisador::instalar(nullptr);
        Datamodule1 = nullptr;
    }
};

// The dialogs by their number in the tables: 1 by client, 2 by date, 3 the client list.
std::unique_ptr<DialogoRelatorio> novoDialogo(int dialogo) {
    if (dialogo == 1)
        return std::make_unique<TFRabrerecibos1>();
    if (dialogo == 2)
        return std::make_unique<TFRabrerecibos2>();
    return std::make_unique<TFRabreclientes1>();
}

} // namespace

class TstListas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Aplicacao::prepararAmbiente(); }
    void cleanupTestCase() { Fb::encerrar(); }

    void origemLeAConsultaSemCopiar();
    void umDiaIncluiAsDuasPontas();
    void porClienteSoONomeExatoEmOrdemDeNumero();
    void porDataListaESomaTodosOsClientes();
    void semLinhas_data();
    void semLinhas();
    void listaDeClientesEmOrdemDeNome();
    void nomeLongoCortadoNaCelula_data();
    void nomeLongoCortadoNaCelula();
    void variasPaginas_data();
    void variasPaginas();
    void clientesEmOrdemDeNomeDepoisDoDialogo_data();
    void clientesEmOrdemDeNomeDepoisDoDialogo();
    void reexibirVoltaAHojeEGuardaOCliente();
    void seletorLeOsNomesAoRolarOuDigitar();
    void enterAvancaEPressionaVisualizar();
    void dataDigitadaEAUsada_data();
    void dataDigitadaEAUsada();
    void dataQueNaoExisteRecusada_data();
    void dataQueNaoExisteRecusada();
    void erros_data();
    void erros();
    void menuAbreCadaDialogo_data();
    void menuAbreCadaDialogo();
};

void TstListas::origemLeAConsultaSemCopiar() {
    Ambiente amb;
    amb.recibos(3, k_dia);
    auto consulta = amb.dm->novaConsultaRelatorio(
        {QStringLiteral("select ID_RECIBO, VALOR from RECIBOS where ID_RECIBO >= :primeiro"),
         QStringLiteral("order by ID_RECIBO")});
    OrigemConsulta fonte(consulta.get());
    QVERIFY(!fonte.primeira()); // closed: no rows
    consulta->definirParametro(QStringLiteral("primeiro"), 2);
    consulta->abrir();
    QVERIFY(fonte.temCampo(QStringLiteral("valor")));
    QVERIFY(!fonte.temCampo(QStringLiteral("CLIENTE")));
    QVERIFY(fonte.primeira());
    QCOMPARE(consulta->lidas(), 1); // only what was asked for is fetched
    QCOMPARE(fonte.valor(QStringLiteral("ID_RECIBO")).toInt(), 2);
    QCOMPARE(fonte.valor(QStringLiteral("Valor")).value<Dinheiro>(), Dinheiro::deCentavos(2));
    QVERIFY(fonte.proxima());
    QCOMPARE(fonte.valor(QStringLiteral("ID_RECIBO")).toInt(), 3);
    QVERIFY(!fonte.proxima());
    QVERIFY(!fonte.valor(QStringLiteral("ID_RECIBO")).isValid());
    // A second run of a layout over the same open query starts again from its first row.
    QVERIFY(fonte.primeira());
    QCOMPARE(fonte.valor(QStringLiteral("ID_RECIBO")).toInt(), 2);
}

void TstListas::umDiaIncluiAsDuasPontas() {
    Ambiente amb;
    amb.recibo(1, QStringLiteral("ANTES"), 100, k_dia.addDays(-1));
    amb.recibo(2, QStringLiteral("NO DIA"), 200, k_dia);
    amb.recibo(3, QStringLiteral("NO DIA TAMBÉM"), 300, k_dia);
    amb.recibo(4, QStringLiteral("DEPOIS"), 400, k_dia.addDays(1));
    TFRabrerecibos2 janela;
    QVERIFY(abrir(janela));
    periodo(janela, k_dia, k_dia);

    const Visto visto = visualizar(janela);
    QVERIFY(visto.abriu);
    QStringList numeros = coluna(visto.paginas, QStringLiteral("Memo8"));
    numeros.sort(); // the by-date query has no order of its own
    QCOMPARE(numeros, (QStringList{"2", "3"}));
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo3")),
             (QStringList{"05/03/2024", "05/03/2024"}));
    QCOMPARE(coluna(visto.paginas, QStringLiteral("SysMemo4")), QStringList{"5,00"});
    QVERIFY(filho<QPushButton>(janela, "Button1")->isEnabled());
}

void TstListas::porClienteSoONomeExatoEmOrdemDeNumero() {
    Ambiente amb;
    const QString ana = QStringLiteral("ANA PAULA");
    amb.novoCliente(ana);
    amb.novoCliente(QStringLiteral("ANA PAULA SOUZA"));
    // Stored out of number order, so the order printed is the query's.
    amb.recibo(30, ana, 3000, k_dia);
    amb.recibo(10, ana, 1000, k_dia.addDays(-2));
    amb.recibo(20, ana, 2000, k_dia.addDays(2));
    amb.recibo(11, QStringLiteral("ANA PAULA SOUZA"), 500, k_dia);
    amb.recibo(12, QStringLiteral("ana paula"), 500, k_dia);
    amb.recibo(13, QStringLiteral("ANA"), 500, k_dia);
    amb.recibo(14, ana, 9900, k_dia.addDays(3)); // after the period
    TFRabrerecibos1 janela;
    QVERIFY(abrir(janela));
    periodo(janela, k_dia.addDays(-2), k_dia.addDays(2));
    escolherCliente(janela, ana);

    const Visto visto = visualizar(janela);
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo8")), (QStringList{"10", "20", "30"}));
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo17")), (QStringList{ana, ana, ana}));
    QCOMPARE(coluna(visto.paginas, QStringLiteral("SysMemo4")), QStringList{"60,00"});
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo1")),
             QStringList{"Relatório de Emissão de Recibos por Cliente"});
}

void TstListas::porDataListaESomaTodosOsClientes() {
    Ambiente amb;
    amb.recibo(1, QStringLiteral("MARIA"), 123450, k_dia);
    amb.recibo(2, QStringLiteral("JOSÉ"), 50, k_dia.addDays(1));
    amb.recibo(3, QStringLiteral("ANA"), 10000, k_dia.addDays(2));
    amb.recibo(4, QStringLiteral("MARIA"), 99999999, k_dia.addDays(3)); // outside
    TFRabrerecibos2 janela;
    QVERIFY(abrir(janela));
    periodo(janela, k_dia, k_dia.addDays(2));

    const Visto visto = visualizar(janela);
    QStringList clientes = coluna(visto.paginas, QStringLiteral("Memo17"));
    clientes.sort();
    QCOMPARE(clientes, (QStringList{"ANA", "JOSÉ", "MARIA"}));
    QStringList valores = coluna(visto.paginas, QStringLiteral("Memo4"));
    valores.sort();
    QCOMPARE(valores, (QStringList{"0,50", "1.234,50", "100,00"}));
    QCOMPARE(coluna(visto.paginas, QStringLiteral("SysMemo4")), QStringList{"1.335,00"});
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo1")),
             QStringList{"Relatório de Emissão de Recibos por Período"});
}

void TstListas::semLinhas_data() {
    QTest::addColumn<int>("dialogo");
    QTest::addColumn<QStringList>("cabecalhos");
    QTest::addColumn<QString>("total");
    QTest::newRow("por data, primeiro dia depois do último")
        << 2 << QStringList{"Data", "Recibo Nr.", "Cliente", "Valor R$"} << "0,00";
    QTest::newRow("por cliente, nenhum escolhido")
        << 1 << QStringList{"Data", "Recibo Nr.", "Cliente", "Valor R$"} << "0,00";
    QTest::newRow("clientes, nenhum cadastrado")
        << 3 << QStringList{"Cliente", "email1", "email2", "Telefone1", "Telefone2", "Cpf/Cnpj"}
        << "0";
}

void TstListas::semLinhas() {
    QFETCH(int, dialogo);
    QFETCH(QStringList, cabecalhos);
    QFETCH(QString, total);
    Ambiente amb;
    if (dialogo != 3)
        amb.recibo(1, QStringLiteral("MARIA"), 100, QDate::currentDate());
    const std::unique_ptr<DialogoRelatorio> janela = novoDialogo(dialogo);
    QVERIFY(abrir(*janela));
    if (dialogo == 2)
        periodo(*janela, QDate::currentDate(), QDate::currentDate().addDays(-1));

    const Visto visto = visualizar(*janela);
    QCOMPARE(visto.paginas.paginas.size(), 1);
    const PaginaPreparada &pagina = visto.paginas.paginas.first();
    QCOMPARE(textos(pagina, QStringLiteral("Memo1")).size(), 1);
    QStringList vistos;
    for (const ElementoPreparado &e : pagina.elementos)
        if (const auto *t = std::get_if<TextoPreparado>(&e); t && cabecalhos.contains(impresso(*t)))
            vistos << impresso(*t);
    QCOMPARE(vistos, cabecalhos);
    QCOMPARE(coluna(visto.paginas, QStringLiteral("SysMemo4")), QStringList{total});
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo17")), QStringList{});
    if (dialogo == 3)
        QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo13")),
                 QStringList{"Clientes Cadastrados"});
}

void TstListas::listaDeClientesEmOrdemDeNome() {
    Ambiente amb;
    amb.novoCliente(QStringLiteral("MARIA"), QStringLiteral("123.456.789-09"));
    amb.novoCliente(QStringLiteral("ANA"));
    amb.novoCliente(QStringLiteral("JOÃO"), QStringLiteral("11.222.333/0001-81"));
    amb.novoCliente(QStringLiteral("BRUNO"));
    TFRabreclientes1 janela;
    QVERIFY(abrir(janela));

    const Visto visto = visualizar(janela);
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo17")),
             (QStringList{"ANA", "BRUNO", "JOÃO", "MARIA"}));
    // Clients without e-mail or telephone print empty cells and still count.
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo12")),
             (QStringList{"11.222.333/0001-81", "123.456.789-09"}));
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo3")), QStringList{});
    QCOMPARE(coluna(visto.paginas, QStringLiteral("SysMemo4")), QStringList{"4"});
    QVERIFY(visto.paginas.paginas.first().paisagem);

    // Another Visualizar shows the clients as they are now.
    amb.novoCliente(QStringLiteral("CARLA"));
    const Visto depois = visualizar(janela);
    QCOMPARE(coluna(depois.paginas, QStringLiteral("Memo17")),
             (QStringList{"ANA", "BRUNO", "CARLA", "JOÃO", "MARIA"}));
    QCOMPARE(coluna(depois.paginas, QStringLiteral("SysMemo4")), QStringList{"5"});
}

void TstListas::nomeLongoCortadoNaCelula_data() {
    QTest::addColumn<int>("dialogo");
    QTest::addColumn<double>("proximaColunaMm"); // where the next column's cell begins
    QTest::newRow("clientes") << 3 << 90.0;
    QTest::newRow("recibos por data") << 2 << 155.0;
}

void TstListas::nomeLongoCortadoNaCelula() {
    QFETCH(int, dialogo);
    QFETCH(double, proximaColunaMm);
    Ambiente amb;
    const QString longo = QString(50, u'W');
    if (dialogo == 3)
        amb.novoCliente(longo);
    else
        amb.recibo(1, longo, 100, QDate::currentDate());
    std::unique_ptr<DialogoRelatorio> janela;
    if (dialogo == 3)
        janela = std::make_unique<TFRabreclientes1>();
    else
        janela = std::make_unique<TFRabrerecibos2>();
    QVERIFY(abrir(*janela));

    const Visto visto = visualizar(*janela);
    const auto celulas = textos(visto.paginas.paginas.first(), QStringLiteral("Memo17"));
    QCOMPARE(celulas.size(), 1);
    const TextoPreparado &celula = *celulas.first();
    QCOMPARE(celula.linhas.size(), 1); // not wrapped
    QCOMPARE(celula.linhas.first().texto, longo);
    QVERIFY(celula.linhas.first().largura > celula.caixa.width());

    // Drawn at one pixel per layout pixel: nothing of it between the cell's right edge and
    // the next column.
    const QImage pagina = Renderizador::imagem(visto.paginas, 0, 96);
    const int deX = int(std::ceil(celula.caixa.right())) + 1;
    const int ateX = int(5 * Layout::pixelsPorMm + proximaColunaMm * Layout::pixelsPorMm) - 1;
    QVERIFY(ateX > deX);
    // The row's own pixels only: the headings' black fill ends on the row's first line.
    const int deY = int(std::ceil(celula.caixa.top())) + 1;
    const int ateY = int(celula.caixa.bottom()) - 1;
    QStringList tinta;
    for (int y = deY; y < ateY; ++y)
        for (int x = deX; x < ateX; ++x)
            if (pagina.pixel(x, y) != qRgb(255, 255, 255))
                tinta << QStringLiteral("%1,%2").arg(x).arg(y);
    QCOMPARE(tinta, QStringList{});
    // Inside the cell the name does print.
    int dentro = 0;
    for (int y = deY; y < ateY; ++y)
        for (int x = int(celula.caixa.right()) - 20; x < int(celula.caixa.right()) - 1; ++x)
            dentro += pagina.pixel(x, y) != qRgb(255, 255, 255);
    QVERIFY(dentro > 0);
}

void TstListas::variasPaginas_data() {
    QTest::addColumn<bool>("clientes");
    QTest::addColumn<QString>("cabecalho");
    QTest::addColumn<QString>("celula");
    QTest::addColumn<QString>("total");
    // 600 rows of 1 to 600 centavos: 1.803,00 in all.
    QTest::newRow("recibos por data") << false << "Memo2"
                                      << "Memo8"
                                      << "1.803,00";
    QTest::newRow("clientes") << true << "Memo7"
                              << "Memo17"
                              << "600";
}

void TstListas::variasPaginas() {
    QFETCH(bool, clientes);
    QFETCH(QString, cabecalho);
    QFETCH(QString, celula);
    QFETCH(QString, total);
    constexpr int linhas = 600;
    Ambiente amb;
    std::unique_ptr<DialogoRelatorio> janela;
    if (clientes) {
        amb.clientes(linhas);
        janela = std::make_unique<TFRabreclientes1>();
    } else {
        amb.recibos(linhas, QDate::currentDate());
        janela = std::make_unique<TFRabrerecibos2>();
    }
    QVERIFY(abrir(*janela));

    const Visto visto = visualizar(*janela);
    // The preview came up while rows were still unread: nothing was copied first.
    QVERIFY(visto.preparandoAoAbrir);
    QVERIFY(visto.linhasLidasAoAbrir > 0);
    QVERIFY(visto.linhasLidasAoAbrir < linhas);

    const QList<PaginaPreparada> &paginas = visto.paginas.paginas;
    QVERIFY(paginas.size() > 3);
    int celulas = 0;
    for (int i = 0; i < paginas.size(); ++i) {
        QCOMPARE(textos(paginas[i], cabecalho).size(), 1);
        QCOMPARE(textos(paginas[i], QStringLiteral("Memo1")).size(), i == 0 ? 1 : 0);
        const auto daPagina = textos(paginas[i], celula);
        QVERIFY(!daPagina.isEmpty());
        // The headings sit above the page's rows.
        QVERIFY(textos(paginas[i], cabecalho).first()->caixa.bottom() <=
                daPagina.first()->caixa.top() + 0.01);
        celulas += int(daPagina.size());
    }
    QCOMPARE(celulas, linhas);
    QCOMPARE(coluna(visto.paginas, QStringLiteral("SysMemo4")), QStringList{total});
    const auto totalImpresso = textos(paginas.last(), QStringLiteral("SysMemo4"));
    QCOMPARE(totalImpresso.size(), 1);
    QVERIFY(totalImpresso.first()->caixa.top() >=
            textos(paginas.last(), celula).last()->caixa.bottom());
}

void TstListas::clientesEmOrdemDeNomeDepoisDoDialogo_data() {
    QTest::addColumn<int>("dialogo");
    QTest::newRow("por cliente") << 1;
    QTest::newRow("por data") << 2;
    QTest::newRow("clientes") << 3;
}

void TstListas::clientesEmOrdemDeNomeDepoisDoDialogo() {
    QFETCH(int, dialogo);
    Ambiente amb;
    for (const char *nome : {"MARIA", "ANA", "JOÃO", "BRUNO"})
        amb.novoCliente(QString::fromUtf8(nome));
    amb.dm->Clientes->substituirSql(
        {QStringLiteral("SELECT * FROM CLIENTES"), QStringLiteral("ORDER BY ID_CLIENTE DESC")});
    QCOMPARE(nomesDosClientes(*amb.dm), (QStringList{"BRUNO", "JOÃO", "ANA", "MARIA"}));
    const std::unique_ptr<DialogoRelatorio> janela = novoDialogo(dialogo);
    QVERIFY(abrir(*janela));
    const QStringList emOrdem{"ANA", "BRUNO", "JOÃO", "MARIA"};
    if (dialogo == 1) {
        auto *combo = filho<QComboBox>(*janela, "DBcliente");
        QCOMPARE(combo->currentIndex(), -1); // empty the first time
        QCOMPARE(oferecidos(combo), emOrdem);
        QCOMPARE(combo->currentIndex(), -1);
    }
    janela->close();

    QCOMPARE(amb.dm->Clientes->sql(), DialogoRelatorio::sqlClientesPorNome());
    QCOMPARE(nomesDosClientes(*amb.dm), emOrdem);
}

void TstListas::reexibirVoltaAHojeEGuardaOCliente() {
    Ambiente amb;
    amb.novoCliente(QStringLiteral("BRUNO"));
    amb.novoCliente(QStringLiteral("ANA"));
    TFRabrerecibos1 janela;
    QVERIFY(abrir(janela));
    const QDate hoje = QDate::currentDate();
    QCOMPARE(filho<CampoData>(janela, "Medtini")->date(), hoje);
    QCOMPARE(filho<CampoData>(janela, "Medtfim")->date(), hoje);
    QCOMPARE(filho<CampoData>(janela, "Medtini")->text(),
             hoje.toString(QStringLiteral("dd/MM/yyyy")));
    periodo(janela, k_dia, k_dia);
    escolherCliente(janela, QStringLiteral("BRUNO"));
    janela.close();
    amb.novoCliente(QStringLiteral("AARON")); // comes before BRUNO in the list

    QVERIFY(abrir(janela));
    QCOMPARE(filho<CampoData>(janela, "Medtini")->date(), hoje);
    QCOMPARE(filho<CampoData>(janela, "Medtfim")->date(), hoje);
    auto *combo = filho<QComboBox>(janela, "DBcliente");
    QCOMPARE(combo->currentText(), QStringLiteral("BRUNO"));
    QCOMPARE(oferecidos(combo), (QStringList{"AARON", "ANA", "BRUNO"}));
    QCOMPARE(combo->currentText(), QStringLiteral("BRUNO"));
}

// A long register opens the dialog at once: the picker reads the names it shows, and typed
// into, reads on to the name typed.
void TstListas::seletorLeOsNomesAoRolarOuDigitar() {
    Ambiente amb;
    for (int i = 0; i < 300; ++i)
        amb.novoCliente(QStringLiteral("CLIENTE %1").arg(i, 3, 10, QLatin1Char('0')));
    amb.novoCliente(QStringLiteral("ZECA"));
    TFRabrerecibos1 janela;
    QVERIFY(abrir(janela));
    auto *combo = filho<QComboBox>(janela, "DBcliente");
    QVERIFY2(combo->count() < 100, qPrintable(QString::number(combo->count())));
    combo->setFocus();
    QTest::keyClicks(combo, QStringLiteral("ZE"));
    QCOMPARE(combo->currentText(), QStringLiteral("ZECA"));
    QCOMPARE(combo->count(), 301);
}

void TstListas::enterAvancaEPressionaVisualizar() {
    Ambiente amb;
    amb.novoCliente(QStringLiteral("ANA"));
    amb.recibo(1, QStringLiteral("ANA"), 100, QDate::currentDate());
    TFRabrerecibos1 janela;
    QVERIFY(abrir(janela));
    escolherCliente(janela, QStringLiteral("ANA"));
    auto *combo = filho<QComboBox>(janela, "DBcliente");
    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(focado(), QStringLiteral("Medtini"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(focado(), QStringLiteral("Medtfim"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(focado(), QStringLiteral("Button1"));
    QCOMPARE(combo->currentText(), QStringLiteral("ANA"));

    const Visto visto =
        visualizar(janela, [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); });
    QVERIFY(visto.abriu);
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo17")), QStringList{"ANA"});

    // Escape does not close the dialog.
    QTest::keyClick(filho<CampoData>(janela, "Medtini"), Qt::Key_Escape);
    QVERIFY(janela.isVisible());
}

namespace {

// How the user reaches a date field before typing: Tab from "Visualizar" (the whole date
// selected), a click at its start, or a click and Backspace over what stands there.
enum class Chegada { Tab, CliqueNoInicio, ApagarTudo };

void chegarAoCampo(QWidget &janela, CampoData *campo, Chegada chegada) {
    if (chegada == Chegada::Tab) {
        QWidget *antes = QApplication::focusWidget();
        QVERIFY(antes);
        // From "Visualizar", Tab goes through the fields in their order up to this one.
        for (int i = 0; i < 5 && QApplication::focusWidget() != campo; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), campo);
        return;
    }
    QTest::mouseClick(campo, Qt::LeftButton, {}, QPoint(3, campo->height() / 2));
    QCOMPARE(QApplication::focusWidget(), campo);
    if (chegada == Chegada::ApagarTudo) {
        QTest::keyClick(campo, Qt::Key_End);
        for (int i = 0; i < 10; ++i)
            QTest::keyClick(campo, Qt::Key_Backspace);
    }
    Q_UNUSED(janela);
}

} // namespace

void TstListas::dataDigitadaEAUsada_data() {
    QTest::addColumn<QDate>("antes"); // what the field shows when the user comes to it
    QTest::addColumn<int>("chegada");
    QTest::addColumn<QString>("teclas");
    QTest::addColumn<QDate>("esperada");
    const QDate fev(2024, 2, 29);
    const QDate hoje = QDate::currentDate();
    for (const auto &[nome, c] :
         {std::pair{"Tab", Chegada::Tab}, std::pair{"clique no início", Chegada::CliqueNoInicio},
          std::pair{"apagando antes", Chegada::ApagarTudo}}) {
        const auto linha = [&](const char *caso) -> QTestData & {
            return QTest::newRow(QStringLiteral("%1, %2")
                                     .arg(QString::fromUtf8(caso), QString::fromUtf8(nome))
                                     .toUtf8()
                                     .constData());
        };
        linha("29 de fevereiro a partir de hoje") << hoje << int(c) << "29022024" << fev;
        linha("31 de março sobre 15 de abril")
            << QDate(2024, 4, 15) << int(c) << "31032024" << QDate(2024, 3, 31);
        linha("31 de janeiro sobre um dia de fevereiro")
            << QDate(2024, 2, 10) << int(c) << "31012024" << QDate(2024, 1, 31);
        linha("com as barras digitadas") << hoje << int(c) << "29/02/2024" << fev;
        linha("31 de dezembro sobre fevereiro")
            << QDate(2023, 2, 28) << int(c) << "31122023" << QDate(2023, 12, 31);
    }
}

// The date typed is the date the report covers, whatever the field showed before and however
// the user came to the field: every February day of a leap year is listed, and the total is
// theirs.
void TstListas::dataDigitadaEAUsada() {
    QFETCH(QDate, antes);
    QFETCH(int, chegada);
    QFETCH(QString, teclas);
    QFETCH(QDate, esperada);
    Ambiente amb;
    amb.recibo(1, QStringLiteral("ANA"), 100, QDate(2000, 1, 1));
    amb.recibo(2, QStringLiteral("ANA"), 200, esperada);
    amb.recibo(3, QStringLiteral("ANA"), 400, esperada.addDays(1));
    amb.recibo(4, QStringLiteral("ANA"), 800, esperada.addDays(-1));
    TFRabrerecibos2 janela;
    QVERIFY(abrir(janela));
    QCOMPARE(focado(), QStringLiteral("Button1"));
    auto *inicio = filho<CampoData>(janela, "Medtini");
    auto *fim = filho<CampoData>(janela, "Medtfim");
    inicio->setDate(antes);
    fim->setDate(antes);
    chegarAoCampo(janela, inicio, Chegada(chegada));
    QTest::keyClicks(inicio, teclas);
    QTest::keyClick(inicio, Qt::Key_Tab); // to "Data Final"
    QCOMPARE(QApplication::focusWidget(), fim);
    QTest::keyClick(fim, Qt::Key_Home);
    QTest::keyClicks(fim, teclas);
    QCOMPARE(inicio->date(), esperada);
    QCOMPARE(fim->date(), esperada);
    QVERIFY2(amb.aviso.eventos().isEmpty(), qPrintable(amb.aviso.eventos().value(0).texto));

    const Visto visto = visualizar(janela);
    QVERIFY(visto.abriu);
    QCOMPARE(coluna(visto.paginas, QStringLiteral("Memo8")), QStringList{"2"});
}

void TstListas::dataQueNaoExisteRecusada_data() {
    QTest::addColumn<QString>("teclas");
    QTest::addColumn<QString>("motivo");
    QTest::newRow("31 de fevereiro") << "31022024"
                                     << "'31/02/2024' não é uma data válida: fevereiro de 2024 "
                                        "tem 29 dias.";
    QTest::newRow("29 de fevereiro fora do bissexto")
        << "29022023"
        << "'29/02/2023' não é uma data válida: fevereiro de 2023 tem 28 dias.";
    QTest::newRow("mês 13") << "01132024"
                            << "'01/13/2024' não é uma data válida: o mês vai de 01 a 12.";
    QTest::newRow("dia zero") << "00012024"
                              << "'00/01/2024' não é uma data válida: janeiro de 2024 tem 31 "
                                 "dias.";
    QTest::newRow("data pela metade") << "3101"
                                      << "'31/01/____' não é uma data válida. Digite a data "
                                         "inteira, como dd/mm/aaaa.";
}

// A date that does not exist is refused with its reason when the field is left and again by
// "Visualizar", which then runs nothing; the user stays in the field to put it right.
void TstListas::dataQueNaoExisteRecusada() {
    QFETCH(QString, teclas);
    QFETCH(QString, motivo);
    Ambiente amb;
    TFRabrerecibos1 janela;
    QVERIFY(abrir(janela));
    auto *inicio = filho<CampoData>(janela, "Medtini");
    chegarAoCampo(janela, inicio, Chegada::ApagarTudo);
    QTest::keyClicks(inicio, teclas);
    QTest::keyClick(inicio, Qt::Key_Return); // Enter moves on, as Tab
    QCOMPARE(amb.aviso.eventos(), (QList<Evento>{{Evento::Erro, motivo}}));
    QCOMPARE(QApplication::focusWidget(), inicio);
    QVERIFY(!inicio->date().isValid());

    amb.aviso.limpar();
    const Visto visto = visualizar(janela);
    QVERIFY(!visto.abriu);
    QCOMPARE(amb.aviso.eventos(), (QList<Evento>{{Evento::Erro, motivo}}));
    QCOMPARE(QApplication::focusWidget(), inicio);
    QVERIFY(filho<QPushButton>(janela, "Button1")->isEnabled());
}

void TstListas::erros_data() {
    QTest::addColumn<QString>("tira");     // what the database lacks
    QTest::addColumn<QString>("mensagem"); // part of the error told
    QTest::addColumn<bool>("habilitado");  // "Visualizar" afterwards
    // The query cannot open: the database layer's message, the button stays off.
    QTest::newRow("sem a tabela RECIBOS") << "RECIBOS"
                                          << "RECIBOS" << false;
    // The query opens but the layout's field is missing: the report service tells, the
    // button comes back.
    QTest::newRow("RECIBOS sem VALOR") << " VALOR NUMERIC(18,2),"
                                       << "\"VALOR\"" << true;
}

void TstListas::erros() {
    QFETCH(QString, tira);
    QFETCH(QString, mensagem);
    QFETCH(bool, habilitado);
    BancoAlterado banco([&](QStringList definicoes) {
        QStringList feitas;
        for (const QString &d : definicoes) {
            if (tira == QLatin1String("RECIBOS") && d.contains(tira))
                continue;
            feitas << QString(d).remove(tira);
        }
        return feitas;
    });
    TFRabrerecibos2 janela;
    QVERIFY(abrir(janela));
    auto *botao = filho<QPushButton>(janela, "Button1");

    const Visto visto = visualizar(janela);
    QVERIFY(!visto.abriu);
    QCOMPARE(banco.aviso.eventos().size(), 1);
    QCOMPARE(banco.aviso.eventos().first().tipo, Evento::Erro);
    QVERIFY2(banco.aviso.eventos().first().texto.contains(mensagem),
             qPrintable(banco.aviso.eventos().first().texto));
    QCOMPARE(botao->isEnabled(), habilitado);

    janela.close();
    QVERIFY(abrir(janela));
    QVERIFY(botao->isEnabled());
}

void TstListas::menuAbreCadaDialogo_data() {
    QTest::addColumn<QString>("botao");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("dialogo");
    QTest::newRow("por data") << "SpeedButton3"
                              << "Recibos Emitidos por Data"
                              << "TFRabrerecibos2";
    QTest::newRow("por cliente") << "SpeedButton1"
                                 << "Recibos Emitidos por Cliente"
                                 << "TFRabrerecibos1";
    QTest::newRow("cadastro") << "SpeedButton2"
                              << "Relatório de Cadastro"
                              << "TFRabreclientes1";
}

void TstListas::menuAbreCadaDialogo() {
    QFETCH(QString, botao);
    QFETCH(QString, texto);
    QFETCH(QString, dialogo);
    Ambiente amb;
    TFRrelatorios menu;
    TFRabrerecibos1 recibos1;
    TFRabrerecibos2 recibos2;
    TFRabreclientes1 clientes1;
    FRabrerecibos1 = &recibos1;
    FRabrerecibos2 = &recibos2;
    FRabreclientes1 = &clientes1;
    QVERIFY(abrir(menu));
    QCOMPARE(menu.windowTitle(), QStringLiteral("Relatórios"));
    auto *b = filho<QAbstractButton>(menu, botao.toLatin1().constData());
    QCOMPARE(b->text(), texto);

    QString aberto;
    bool botaoLigado = false;
    QObject guarda;
    QTimer::singleShot(0, &guarda, [&] {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w == &menu)
            return;
        aberto = w->metaObject()->className();
        botaoLigado = filho<QPushButton>(*w, "Button1")->isEnabled();
        w->close();
    });
    QTest::mouseClick(b, Qt::LeftButton);
    FRabrerecibos1 = nullptr;
    FRabrerecibos2 = nullptr;
    FRabreclientes1 = nullptr;
    QCOMPARE(aberto, dialogo);
    QVERIFY(botaoLigado);
    QVERIFY(menu.isVisible());
    clicar(menu, "BTsair");
    QVERIFY(!menu.isVisible());
}

QTEST_MAIN(TstListas)
#include "tst_listas.moc"
