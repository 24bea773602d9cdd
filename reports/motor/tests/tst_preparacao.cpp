#include "CarregadorLayout.h"
#include "Dinheiro.h"
#include "ErroSistema.h"
#include "Fontes.h"
#include "Formatacao.h"
#include "Marcador.h"
#include "OrigemEmMemoria.h"
#include "Preparador.h"
#include "Relatorio.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFontInfo>
#include <QTest>

namespace {

const QString extensoMaisLongo = QStringLiteral(
    "Quatrocentos e Cinqüenta e Quatro Mil, e Quatrocentos e Cinqüenta e Quatro Reais, "
    "e Cinqüenta e Quatro Centavos.");

QList<const TextoPreparado *> textos(const PaginaPreparada &pagina, const QString &nome) {
    QList<const TextoPreparado *> achados;
    for (const ElementoPreparado &e : pagina.elementos)
        if (const auto *t = std::get_if<TextoPreparado>(&e); t && t->nome == nome)
            achados << t;
    return achados;
}

QString textoUnico(const PaginaPreparada &pagina, const QString &nome) {
    const auto achados = textos(pagina, nome);
    if (achados.size() != 1)
        return QStringLiteral("<%1 vezes>").arg(achados.size());
    QStringList linhas;
    for (const LinhaDeTexto &l : achados.first()->linhas)
        linhas << l.texto;
    return linhas.join(u'\n');
}

OrigemEmMemoria recibos(int quantidade) {
    OrigemEmMemoria fonte({QStringLiteral("ID_RECIBO"), QStringLiteral("CLIENTE"),
                           QStringLiteral("VALOR"), QStringLiteral("DATA"),
                           QStringLiteral("HORA")});
    for (int i = 1; i <= quantidade; ++i)
        fonte.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                         QVariant::fromValue(Dinheiro::deCentavos(i * 100 + 50)), QDate(2011, 3, 5),
                         QTime(10, 0)});
    return fonte;
}

} // namespace

class TstPreparacao : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutsCarregam_data();
    void layoutsCarregam();
    void layoutQuebrado_data();
    void layoutQuebrado();
    void marcadores_data();
    void marcadores();
    void marcadorInvalido_data();
    void marcadorInvalido();
    void formatos_data();
    void formatos();
    void quebrasDePagina_data();
    void quebrasDePagina();
    void listaDeClientesConta_data();
    void listaDeClientesConta();
    void campoInexistenteRecusado();
    void findObjectIgnoraCaixa_data();
    void findObjectIgnoraCaixa();
    void reciboPreenchido();
    void textoQueNaoCabe_data();
    void textoQueNaoCabe();
    void figuraVaziaNaoImprime();
    void reciboRapido();
    void opcoesDaFigura_data();
    void opcoesDaFigura();
    void campoLigadoEVazioSemPagina();
    void paginaDeOuro_data();
    void paginaDeOuro();
    void fontesResolvidas_data();
    void fontesResolvidas();
};

void TstPreparacao::layoutsCarregam_data() {
    QTest::addColumn<QString>("arquivo");
    QTest::addColumn<int>("bandas");
    QTest::addColumn<int>("objetos");
    QTest::addColumn<double>("larguraBanda");
    QTest::newRow("recibo 1 via") << "recibo_1via" << 1 << 24 << 793.70;
    QTest::newRow("recibo 2 vias") << "recibo_2vias" << 1 << 45 << 793.70;
    QTest::newRow("recibos por cliente") << "recibos_por_cliente" << 4 << 11 << 755.9;
    QTest::newRow("recibos por período") << "recibos_por_periodo" << 4 << 11 << 755.9;
    QTest::newRow("clientes") << "clientes" << 4 << 16 << 1084.7;
    QTest::newRow("recibo rápido") << "recibo_rapido" << 1 << 19 << 718.1;
}

void TstPreparacao::layoutsCarregam() {
    QFETCH(QString, arquivo);
    QFETCH(int, bandas);
    QFETCH(int, objetos);
    QFETCH(double, larguraBanda);
    const Layout layout = CarregadorLayout::carregar(arquivo);
    QCOMPARE(layout.bandas.size(), bandas);
    int total = 0;
    for (const BandaLayout &b : layout.bandas)
        total += int(b.objetos.size());
    QCOMPARE(total, objetos);
    QVERIFY2(qAbs(layout.larguraImprimivel() - larguraBanda) < 0.1,
             qPrintable(QString::number(layout.larguraImprimivel())));
}

void TstPreparacao::layoutQuebrado_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("não é JSON") << QByteArray("{ \"bandas\": [");
    QTest::newRow("sem bandas") << QByteArray(R"({"nome":"x","bandas":[]})");
    QTest::newRow("objeto sem posição") << QByteArray(
        R"({"bandas":[{"tipo":"titulo","altura":10,"objetos":[{"nome":"a","tipo":"texto"}]}]})");
    QTest::newRow("tipo desconhecido") << QByteArray(
        R"({"bandas":[{"tipo":"titulo","altura":10,"objetos":[{"nome":"a","tipo":"bolha","pos":[0,0,1,1]}]}]})");
    QTest::newRow("rótulo num relatório") << QByteArray(
        R"({"bandas":[{"tipo":"titulo","altura":10,"objetos":[{"nome":"a","tipo":"rotulo","pos":[0,0,1,1]}]}]})");
    QTest::newRow("banda de dados sem conjunto")
        << QByteArray(R"({"bandas":[{"tipo":"dados","nome":"M","alias":"q","altura":10}]})");
    QTest::newRow("expressão inválida") << QByteArray(
        R"({"bandas":[{"tipo":"titulo","altura":10,"objetos":[{"nome":"a","tipo":"texto","pos":[0,0,1,1],"texto":"[1+]"}]}]})");
    QTest::newRow("altura máxima negativa") << QByteArray(
        R"({"bandas":[{"tipo":"titulo","altura":10,"objetos":[{"nome":"a","tipo":"texto","pos":[0,0,1,1],"alturaMaxima":-5}]}]})");
}

void TstPreparacao::layoutQuebrado() {
    QFETCH(QByteArray, json);
    try {
        CarregadorLayout::carregarBytes(json, QStringLiteral("teste.json"));
        QFAIL("o layout quebrado foi aceito");
    } catch (const ErroSistema &e) {
        QVERIFY(e.mensagem().contains(u"teste.json") || e.mensagem().contains(u"Expressão"));
    }
}

void TstPreparacao::marcadores_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QList<Trecho>>("esperado");
    QTest::newRow("só texto") << "Valor R$"
                              << QList<Trecho>{{Trecho::Literal, "Valor R$", {}, {}, {}}};
    QTest::newRow("campo") << R"([ibqEvento."VALOR"])"
                           << QList<Trecho>{{Trecho::Campo, {}, "ibqEvento", "VALOR", {}}};
    QTest::newRow("soma") << R"([SUM(<ibqEvento."VALOR">,MasterData1)])"
                          << QList<Trecho>{{Trecho::Soma, {}, "ibqEvento", "VALOR", "MasterData1"}};
    QTest::newRow("contagem") << "[COUNT(MasterData1)]"
                              << QList<Trecho>{{Trecho::Contagem, {}, {}, {}, "MasterData1"}};
    QTest::newRow("texto em volta") << R"(Total: [ibqEvento."VALOR"] reais)"
                                    << QList<Trecho>{{Trecho::Literal, "Total: ", {}, {}, {}},
                                                     {Trecho::Campo, {}, "ibqEvento", "VALOR", {}},
                                                     {Trecho::Literal, " reais", {}, {}, {}}};
}

void TstPreparacao::marcadores() {
    QFETCH(QString, texto);
    QFETCH(QList<Trecho>, esperado);
    QCOMPARE(analisarMarcadores(texto), esperado);
}

void TstPreparacao::marcadorInvalido_data() {
    QTest::addColumn<QString>("texto");
    QTest::newRow("colchete sem fim") << R"(Total [ibqEvento."VALOR")";
    QTest::newRow("expressão desconhecida") << "[AVG(MasterData1)]";
    QTest::newRow("vazio") << "[]";
}

void TstPreparacao::marcadorInvalido() {
    QFETCH(QString, texto);
    QVERIFY_THROWS_EXCEPTION(ErroSistema, analisarMarcadores(texto));
}

void TstPreparacao::formatos_data() {
    QTest::addColumn<QVariant>("valor");
    QTest::addColumn<bool>("numerico");
    QTest::addColumn<QString>("esperado");
    auto reais = [](qint64 c) { return QVariant::fromValue(Dinheiro::deCentavos(c)); };
    QTest::newRow("1234,5 numérico") << reais(123450) << true << "1.234,50";
    QTest::newRow("zero numérico") << reais(0) << true << "0,00";
    QTest::newRow("negativo numérico") << reais(-123456) << true << "-1.234,56";
    QTest::newRow("milhões numérico") << reais(99999999999) << true << "999.999.999,99";
    QTest::newRow("inteiro numérico") << QVariant(7) << true << "7,00";
    QTest::newRow("nulo numérico") << QVariant() << true << "";
    QTest::newRow("data") << QVariant(QDate(2011, 3, 5)) << false << "05/03/2011";
    QTest::newRow("data no fim do ano") << QVariant(QDate(1999, 12, 31)) << false << "31/12/1999";
    QTest::newRow("data com hora") << QVariant(QDateTime(QDate(2011, 3, 5), QTime(14, 7, 9)))
                                   << false << "05/03/2011 14:07:09";
    QTest::newRow("data inválida") << QVariant(QDate()) << false << "";
    QTest::newRow("inteiro") << QVariant(1042) << false << "1042";
    QTest::newRow("texto") << QVariant(QStringLiteral("João")) << false << "João";
    QTest::newRow("nulo") << QVariant() << false << "";
}

void TstPreparacao::formatos() {
    QFETCH(QVariant, valor);
    QFETCH(bool, numerico);
    QFETCH(QString, esperado);
    FormatoExibicao formato;
    if (numerico) {
        formato.tipo = FormatoExibicao::Numerico;
        formato.padrao = QStringLiteral("%2.2n");
    }
    QCOMPARE(Formatacao::texto(valor, formato), esperado);
}

void TstPreparacao::quebrasDePagina_data() {
    // First page: 10 mm margin, 11 mm title, 6 mm headings, then rows of 4 mm
    // down to 282 mm: 63 rows. Later pages: 66 rows. The 6 mm summary needs room too.
    QTest::addColumn<int>("linhas");
    QTest::addColumn<QList<int>>("linhasPorPagina");
    QTest::newRow("sem linhas") << 0 << QList<int>{0};
    QTest::newRow("uma linha") << 1 << QList<int>{1};
    QTest::newRow("sumário ainda cabe") << 62 << QList<int>{62};
    QTest::newRow("sumário vai para nova página") << 63 << QList<int>{63, 0};
    QTest::newRow("uma linha a mais") << 64 << QList<int>{63, 1};
    QTest::newRow("três páginas") << 63 + 66 + 5 << QList<int>{63, 66, 5};
}

void TstPreparacao::quebrasDePagina() {
    QFETCH(int, linhas);
    QFETCH(QList<int>, linhasPorPagina);
    OrigemEmMemoria fonte = recibos(linhas);
    Relatorio relatorio(QStringLiteral("recibos_por_periodo"));
    relatorio.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
    relatorio.prepararTudo();
    const RelatorioPreparado &r = relatorio.preparado();

    QCOMPARE(r.paginas.size(), linhasPorPagina.size());
    const double limite = (297 - 15) * Layout::pixelsPorMm;
    int numero = 1;
    for (qsizetype p = 0; p < r.paginas.size(); ++p) {
        const PaginaPreparada &pagina = r.paginas[p];
        QCOMPARE(textos(pagina, QStringLiteral("Memo8")).size(), linhasPorPagina[p]);
        // The title only on the first page, above the headings found on every page.
        QCOMPARE(textos(pagina, QStringLiteral("Memo1")).size(), p == 0 ? 1 : 0);
        QCOMPARE(textoUnico(pagina, QStringLiteral("Memo2")), QStringLiteral("Data"));
        const double topoCabecalho = textos(pagina, QStringLiteral("Memo2")).first()->caixa.top();
        QCOMPARE(topoCabecalho, (p == 0 ? 22.0 : 11.0) * Layout::pixelsPorMm);
        for (const ElementoPreparado &e : pagina.elementos)
            if (const auto *t = std::get_if<TextoPreparado>(&e))
                QVERIFY(t->caixa.bottom() <= limite + 0.01);
        for (const TextoPreparado *t : textos(pagina, QStringLiteral("Memo8")))
            QCOMPARE(t->linhas.first().texto, QString::number(numero++));
        QCOMPARE(textos(pagina, QStringLiteral("SysMemo4")).size(),
                 p == r.paginas.size() - 1 ? 1 : 0);
    }
    // The total of every row: sum of i reais and 50 centavos.
    const qint64 centavos = qint64(linhas) * (linhas + 1) / 2 * 100 + qint64(linhas) * 50;
    QCOMPARE(textoUnico(r.paginas.last(), QStringLiteral("SysMemo4")),
             Formatacao::numero(centavos, 2, 2));
    if (linhas > 0) {
        QCOMPARE(textoUnico(r.paginas.first(), QStringLiteral("Memo1")),
                 QStringLiteral("Relatório de Emissão de Recibos por Período"));
        const TextoPreparado *valor = textos(r.paginas.first(), QStringLiteral("Memo4")).first();
        QCOMPARE(valor->linhas.first().texto, QStringLiteral("1,50"));
        QCOMPARE(valor->tipo, TextoPreparado::Tipo::Numero);
        QCOMPARE(valor->valor, 150);
        QCOMPARE(textos(r.paginas.first(), QStringLiteral("Memo3")).first()->linhas.first().texto,
                 QStringLiteral("05/03/2011"));
    }
}

void TstPreparacao::listaDeClientesConta_data() {
    QTest::addColumn<int>("clientes");
    QTest::newRow("nenhum cliente") << 0;
    QTest::newRow("três clientes") << 3;
    QTest::newRow("várias páginas") << 150;
}

void TstPreparacao::listaDeClientesConta() {
    QFETCH(int, clientes);
    OrigemEmMemoria fonte(
        {"ID_CLIENTE", "CLIENTE", "EMAIL", "EMAIL2", "TELEFONE", "TELEFONE2", "CPFCNPJ"});
    for (int i = 0; i < clientes; ++i)
        fonte.adicionar({i + 1,
                         QStringLiteral("Cliente com um nome muito mais comprido do que cabe na "
                                        "coluna de oitenta e sete milímetros, número %1")
                             .arg(i),
                         QVariant(), QStringLiteral("b@c.br"), QVariant(), "(11) 5555-0000",
                         "123.456.789-09"});
    Relatorio relatorio(QStringLiteral("clientes"));
    relatorio.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
    relatorio.prepararTudo();
    const RelatorioPreparado &r = relatorio.preparado();
    QCOMPARE(textoUnico(r.paginas.last(), QStringLiteral("SysMemo4")), QString::number(clientes));
    QCOMPARE(textoUnico(r.paginas.last(), QStringLiteral("Memo13")),
             QStringLiteral("Clientes Cadastrados"));
    QVERIFY(r.paginas.first().paisagem);
    if (clientes > 0) {
        // A long name stays on one line, cut at the cell edge by the renderer.
        const TextoPreparado *nome = textos(r.paginas.first(), QStringLiteral("Memo17")).first();
        QCOMPARE(nome->linhas.size(), 1);
        QVERIFY(nome->recortar);
        QVERIFY(nome->linhas.first().largura > nome->caixa.width());
        QVERIFY(textos(r.paginas.first(), QStringLiteral("Memo3"))
                    .isEmpty()); // empty e-mail prints nothing
    }
}

void TstPreparacao::campoInexistenteRecusado() {
    OrigemEmMemoria fonte({"ID_RECIBO", "CLIENTE"});
    Relatorio relatorio(QStringLiteral("recibos_por_cliente"));
    relatorio.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
    QVERIFY_THROWS_EXCEPTION(ErroSistema, relatorio.prepararTudo());
    Relatorio semFonte(QStringLiteral("recibos_por_cliente"));
    QVERIFY_THROWS_EXCEPTION(ErroSistema, semFonte.prepararTudo());
}

void TstPreparacao::findObjectIgnoraCaixa_data() {
    QTest::addColumn<QString>("arquivo");
    QTest::addColumn<QString>("procurado");
    QTest::addColumn<QString>("achado");
    QTest::newRow("maiúsculas") << "recibo_1via"
                                << "VALOR"
                                << "Valor";
    QTest::newRow("minúsculas") << "recibo_1via"
                                << "recebi"
                                << "Recebi";
    QTest::newRow("figura") << "recibo_1via"
                            << "picture1"
                            << "Picture1";
    QTest::newRow("segunda via") << "recibo_2vias"
                                 << "recebi2"
                                 << "Recebi2";
    QTest::newRow("emitente com E maiúsculo") << "recibo_2vias"
                                              << "emitente"
                                              << "Emitente";
    QTest::newRow("desconhecido") << "recibo_1via"
                                  << "emitente2"
                                  << "";
    QTest::newRow("rótulo rápido") << "recibo_rapido"
                                   << "LVALOR"
                                   << "Lvalor";
}

void TstPreparacao::findObjectIgnoraCaixa() {
    QFETCH(QString, arquivo);
    QFETCH(QString, procurado);
    QFETCH(QString, achado);
    Relatorio relatorio(arquivo);
    ObjetoLayout *obj = FindObject(relatorio, procurado);
    QCOMPARE(obj ? obj->nome : QString(), achado);
}

void TstPreparacao::reciboPreenchido() {
    Relatorio relatorio(QStringLiteral("recibo_1via"));
    const QList<std::pair<QString, QString>> campos = {{"Valor", "1.234,56"},
                                                       {"recebi", "Maria [da] Silva"},
                                                       {"extenso", "Um Real."},
                                                       {"referente", "Aluguel"},
                                                       {"observacoes", ""},
                                                       {"local", "Campinas"},
                                                       {"data1", "05 de março de 2011"},
                                                       {"emitente", "José"},
                                                       {"cpfcnpjemitente", "123.456.789-09"},
                                                       {"cpfcnpjcliente", "12.345.678/0001-95"},
                                                       {"naoexiste", "x"}};
    for (const auto &[nome, texto] : campos)
        if (ObjetoLayout *obj = FindObject(relatorio, nome))
            SetText(obj, texto);
    relatorio.prepararTudo();
    const RelatorioPreparado &r = relatorio.preparado();
    QCOMPARE(r.paginas.size(), 1);
    const PaginaPreparada &p = r.paginas.first();
    QCOMPARE(textoUnico(p, "Valor"), QStringLiteral("1.234,56"));
    QCOMPARE(textoUnico(p, "Recebi"), QStringLiteral("Maria [da] Silva"));
    QCOMPARE(textoUnico(p, "Memo9"), QStringLiteral("Recibo"));
    QVERIFY(textos(p, "observacoes").isEmpty());
    // Right alignment: the amount ends at the box's inner right edge.
    const TextoPreparado *valor = textos(p, "Valor").first();
    QCOMPARE(valor->linhas.first().base.x() + valor->linhas.first().largura, 617.95 + 143.62 - 2);
    // Centred text: the same room left and right.
    const TextoPreparado *recebi = textos(p, "Recebi").first();
    const LinhaDeTexto &l = recebi->linhas.first();
    QVERIFY(qAbs((l.base.x() - recebi->caixa.left()) -
                 (recebi->caixa.right() - l.base.x() - l.largura)) < 0.01);
}

void TstPreparacao::textoQueNaoCabe_data() {
    // A 13 px (10 pt) text object 200 × 18.90 px: room for one line.
    QTest::addColumn<double>("alturaMaxima");
    QTest::addColumn<double>("fonteMinima");
    QTest::addColumn<bool>("quebraLinha");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("linhasImpressas");
    QTest::addColumn<int>("pontos");
    QTest::addColumn<int>("linhasNaCaixa"); // lines the box grew to hold; 0: it kept its height
    const QString curto = QStringLiteral("Um Real.");
    const QString duasLinhas = QStringLiteral("Cento e Vinte e Três Mil, e Quatrocentos Reais.");
    QTest::newRow("cabe: nada muda") << 60.0 << 8.0 << true << curto << 1 << 10 << 0;
    QTest::newRow("cresce só o que as linhas pedem")
        << 60.0 << 8.0 << true << duasLinhas << 2 << 10 << 2;
    QTest::newRow("sem espaço para crescer, diminui")
        << 0.0 << 8.0 << true << duasLinhas << 1 << 7 << 0;
    QTest::newRow("cresce até o limite e então diminui")
        << 34.0 << 8.0 << true << extensoMaisLongo << 3 << 6 << 3;
    QTest::newRow("nem cresce nem diminui: a segunda linha é cortada")
        << 0.0 << 0.0 << true << duasLinhas << 1 << 10 << 0;
    QTest::newRow("no menor tamanho ainda corta")
        << 0.0 << 12.0 << true << extensoMaisLongo << 1 << 9 << 0;
    QTest::newRow("sem quebra de linha, diminui até caber na largura")
        << 0.0 << 8.0 << false << duasLinhas << 1 << 7 << 0;
}

// Growing and stepping down print the whole text; with neither, the lines below the box
// are cut off whole.
void TstPreparacao::textoQueNaoCabe() {
    QFETCH(double, alturaMaxima);
    QFETCH(double, fonteMinima);
    QFETCH(bool, quebraLinha);
    QFETCH(QString, texto);
    QFETCH(int, linhasImpressas);
    QFETCH(int, pontos);
    QFETCH(int, linhasNaCaixa);
    const QByteArray json = QStringLiteral(R"({"bandas":[{"tipo":"titulo","altura":200,"objetos":[
            {"nome":"t","tipo":"texto","pos":[10,20,200,18.90],"fonte":{"altura":13},
             "alturaMaxima":%1,"fonteMinima":%2,"quebraLinha":%3}]}]})")
                                .arg(alturaMaxima)
                                .arg(fonteMinima)
                                .arg(quebraLinha ? u"true" : u"false")
                                .toUtf8();
    Relatorio relatorio(CarregadorLayout::carregarBytes(json, QStringLiteral("teste.json")));
    SetText(FindObject(relatorio, "t"), texto);
    relatorio.prepararTudo();
    const RelatorioPreparado &r = relatorio.preparado();
    const TextoPreparado *t = textos(r.paginas.first(), "t").first();
    QCOMPARE(t->linhas.size(), linhasImpressas);
    QCOMPARE(r.fontes[t->fonte].pontos, pontos);
    QCOMPARE(r.fontes.size(), 1); // sizes tried on the way are not kept

    QStringList lidas;
    for (const LinhaDeTexto &l : t->linhas)
        lidas << l.texto;
    const QStringList todas = Preparador::quebrarLinhas(texto, r.fontes[t->fonte], 196);
    const bool inteiro = lidas.join(u' ') == texto;
    // Whole when it fits; otherwise the first lines only, whole words.
    QCOMPARE(inteiro, quebraLinha ? todas.size() == linhasImpressas : true);
    if (!inteiro)
        QCOMPARE(lidas, todas.first(linhasImpressas));

    const QFontMetricsF fm(Fontes::criar(r.fontes[t->fonte], 96), Fontes::dispositivoDeMedida());
    const double esperada = linhasNaCaixa == 0 ? 18.90 : 2 + linhasNaCaixa * (fm.height() + 2) - 2;
    QCOMPARE(t->caixa, QRectF(10, 20, 200, esperada));
    for (const LinhaDeTexto &l : t->linhas)
        QVERIFY(l.largura <= 196 + 0.001 || (!inteiro && quebraLinha));
}

void TstPreparacao::figuraVaziaNaoImprime() {
    Relatorio relatorio(QStringLiteral("recibo_2vias"));
    relatorio.prepararTudo();
    const PaginaPreparada semLogo = relatorio.preparado().paginas.first();

    QImage logo(400, 100, QImage::Format_RGB32);
    logo.fill(Qt::red);
    SetPicture(FindObject(relatorio, "picture1"), logo);
    SetPicture(FindObject(relatorio, "picture2"), logo);
    relatorio.prepararTudo();
    const PaginaPreparada comLogo = relatorio.preparado().paginas.first();
    QList<FiguraPreparada> figuras;
    for (const ElementoPreparado &e : comLogo.elementos)
        if (const auto *f = std::get_if<FiguraPreparada>(&e))
            figuras << *f;
    QCOMPARE(figuras.size(), 2);
    QCOMPARE(relatorio.preparado().imagens.size(), 1); // both copies share the one picture
    // 185.20 × 71.81 box, 4:1 picture: the width fills, the height follows, top-left.
    QCOMPARE(figuras[0].destino.topLeft(), figuras[0].caixa.topLeft());
    QCOMPARE(figuras[0].destino.width(), 185.20);
    QVERIFY(qAbs(figuras[0].destino.height() - 185.20 / 4) < 0.01);

    SetPicture(FindObject(relatorio, "picture1"), QImage());
    SetPicture(FindObject(relatorio, "picture2"), QImage());
    relatorio.prepararTudo();
    QCOMPARE(relatorio.preparado().paginas.first(), semLogo);
}

void TstPreparacao::reciboRapido() {
    Relatorio relatorio(QStringLiteral("recibo_rapido"));
    SetText(FindObject(relatorio, "Lvalor"), QStringLiteral("1.234,50"));
    SetText(FindObject(relatorio, "Lnome"), QStringLiteral("Maria"));
    SetText(FindObject(relatorio, "LBemitente"), QStringLiteral("Assinatura"));
    relatorio.prepararTudo();
    const PaginaPreparada &p = relatorio.preparado().paginas.first();
    const double margem = 10 * Layout::pixelsPorMm;
    const TextoPreparado *valor = textos(p, "Lvalor").first();
    // An automatic label grows from its Left to hold the caption.
    QCOMPARE(valor->caixa.left(), margem + 536);
    QCOMPARE(valor->caixa.width(), valor->linhas.first().largura);
    QCOMPARE(valor->fundo, QColor(Qt::white).rgba());
    const TextoPreparado *emitente = textos(p, "LBemitente").first();
    QCOMPARE(emitente->caixa.width(), 368.0);
    const LinhaDeTexto &l = emitente->linhas.first();
    QVERIFY(qAbs((l.base.x() - emitente->caixa.left()) -
                 (emitente->caixa.right() - l.base.x() - l.largura)) < 0.01);
    int retangulos = 0;
    for (const ElementoPreparado &e : p.elementos)
        retangulos += std::holds_alternative<RetanguloPreparado>(e);
    QCOMPARE(retangulos, 4);
    QVERIFY(textos(p, "LBdadosemitente").isEmpty());
}

void TstPreparacao::opcoesDaFigura_data() {
    // A 400 × 100 picture in the 185.20 × 71.81 box of the two-copy receipt's logo.
    QTest::addColumn<bool>("esticada");
    QTest::addColumn<bool>("proporcao");
    QTest::addColumn<bool>("centralizada");
    QTest::addColumn<QRectF>("destino"); // relative to the box
    QTest::newRow("como nos layouts") << true << true << false << QRectF(0, 0, 185.20, 46.30);
    QTest::newRow("sem manter a proporção")
        << true << false << false << QRectF(0, 0, 185.20, 71.81);
    QTest::newRow("centralizada") << true << true << true
                                  << QRectF(0, (71.81 - 46.30) / 2, 185.20, 46.30);
    QTest::newRow("sem esticar") << false << true << false << QRectF(0, 0, 400, 100);
}

void TstPreparacao::opcoesDaFigura() {
    QFETCH(bool, esticada);
    QFETCH(bool, proporcao);
    QFETCH(bool, centralizada);
    QFETCH(QRectF, destino);
    Relatorio relatorio(QStringLiteral("recibo_2vias"));
    ObjetoLayout *figura = FindObject(relatorio, "picture1");
    figura->esticada = esticada;
    figura->manterProporcao = proporcao;
    figura->centralizada = centralizada;
    QImage logo(400, 100, QImage::Format_RGB32);
    logo.fill(Qt::green);
    SetPicture(figura, logo);
    relatorio.prepararTudo();
    const PaginaPreparada primeira = relatorio.preparado().paginas.first();
    for (const ElementoPreparado &e : primeira.elementos) {
        if (const auto *f = std::get_if<FiguraPreparada>(&e)) {
            const QRectF relativo = f->destino.translated(-f->caixa.topLeft());
            QVERIFY2(qAbs(relativo.left() - destino.left()) < 0.01 &&
                         qAbs(relativo.top() - destino.top()) < 0.01 &&
                         qAbs(relativo.width() - destino.width()) < 0.01 &&
                         qAbs(relativo.height() - destino.height()) < 0.01,
                     qPrintable(QStringLiteral("%1,%2 %3x%4")
                                    .arg(relativo.left())
                                    .arg(relativo.top())
                                    .arg(relativo.width())
                                    .arg(relativo.height())));
            return;
        }
    }
    QFAIL("a figura não foi impressa");
}

void TstPreparacao::campoLigadoEVazioSemPagina() {
    const QByteArray json = R"({"aliases":["q"],"pagina":{"imprimirSeVazio":false},"bandas":[
        {"tipo":"dados","nome":"M","alias":"q","altura":20,"objetos":[
          {"nome":"a","tipo":"texto","pos":[0,0,100,20],"campo":{"alias":"q","nome":"NOME"}}]}]})";
    Relatorio relatorio(CarregadorLayout::carregarBytes(json, QStringLiteral("teste.json")));
    OrigemEmMemoria fonte({"NOME"});
    relatorio.ligarOrigem(QStringLiteral("q"), &fonte);
    relatorio.prepararTudo();
    QVERIFY(relatorio.preparado().paginas.isEmpty());
    fonte.adicionar({QStringLiteral("Zé")});
    relatorio.prepararTudo();
    QCOMPARE(relatorio.preparado().paginas.size(), 1);
    QCOMPARE(textoUnico(relatorio.preparado().paginas.first(), "a"), QStringLiteral("Zé"));
}

namespace {

// A prepared page as text, one line of text per row: object, baseline x and y,
// width, the line. Rounded to hundredths of a layout pixel.
QStringList descrever(const PaginaPreparada &pagina) {
    QStringList linhas;
    for (const ElementoPreparado &e : pagina.elementos) {
        if (const auto *t = std::get_if<TextoPreparado>(&e)) {
            for (const LinhaDeTexto &l : t->linhas)
                linhas << QStringLiteral("%1|%2|%3|%4|%5")
                              .arg(t->nome)
                              .arg(l.base.x(), 0, 'f', 2)
                              .arg(l.base.y(), 0, 'f', 2)
                              .arg(l.largura, 0, 'f', 2)
                              .arg(l.texto);
        } else if (const auto *r = std::get_if<TracoPreparado>(&e)) {
            linhas << QStringLiteral("traço|%1|%2|%3|%4")
                          .arg(r->inicio.x(), 0, 'f', 2)
                          .arg(r->inicio.y(), 0, 'f', 2)
                          .arg(r->fim.x() - r->inicio.x(), 0, 'f', 2)
                          .arg(int(r->estilo));
        }
    }
    return linhas;
}

} // namespace

void TstPreparacao::paginaDeOuro_data() {
    QTest::addColumn<QString>("caso");
    QTest::newRow("recibo de uma via") << "recibo_1via";
    QTest::newRow("lista de recibos") << "recibos_por_periodo";
}

// The first prepared page compared with the one kept in tests/ouro/: line
// breaks and positions must not drift. TALVANO_GRAVAR_OURO=1 writes the files anew.
void TstPreparacao::paginaDeOuro() {
    QFETCH(QString, caso);
    Relatorio relatorio(caso);
    OrigemEmMemoria fonte = recibos(70);
    if (caso == u"recibo_1via") {
        const QList<std::pair<QString, QString>> campos = {
            {"Valor", "454.454,54"},
            {"recebi", "Maria das Graças Conceição"},
            {"extenso", extensoMaisLongo},
            {"referente", "Aluguel de março"},
            {"local", "São Paulo"},
            {"data1", "05 de março de 2011"},
            {"observacoes", "Pago em espécie"},
            {"emitente", "José Antônio Ltda"},
            {"cpfcnpjemitente", "12.345.678/0001-95"},
            {"cpfcnpjcliente", "123.456.789-09"}};
        for (const auto &[nome, texto] : campos)
            SetText(FindObject(relatorio, nome), texto);
    } else {
        relatorio.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
    }
    relatorio.prepararTudo();
    const QStringList atual = descrever(relatorio.preparado().paginas.first());

    const QString arquivo = QStringLiteral(TALVANO_OURO "/%1.txt").arg(caso);
    if (qEnvironmentVariableIsSet("TALVANO_GRAVAR_OURO")) {
        QFile f(arquivo);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Text));
        f.write(atual.join(u'\n').toUtf8() + '\n');
        QSKIP("página de ouro gravada");
    }
    QFile f(arquivo);
    QVERIFY2(f.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(arquivo));
    const QStringList esperado = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(atual.size(), esperado.size());
    for (qsizetype i = 0; i < atual.size(); ++i)
        QCOMPARE(atual[i], esperado[i]);
}

void TstPreparacao::fontesResolvidas_data() {
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("familia");
    QTest::newRow("Arial") << "Arial"
                           << "Liberation Sans";
    QTest::newRow("Tahoma") << "Tahoma"
                            << "Tahoma";
}

void TstPreparacao::fontesResolvidas() {
    QFETCH(QString, nome);
    QFETCH(QString, familia);
    const QFont fonte = Fontes::criar(FontePreparada{nome, 8});
    QCOMPARE(QFontInfo(fonte).family(), familia);
}

QTEST_MAIN(TstPreparacao)
#include "tst_preparacao.moc"
