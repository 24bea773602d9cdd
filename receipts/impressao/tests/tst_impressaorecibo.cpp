#include "Fontes.h"
#include "ImpressaoRecibo.h"
#include "Relatorio.h"

#include <QFontMetricsF>
#include <QTest>

namespace {

// The longest amount in words, also the widest in Arial: 454.454,54.
const QString k_extensoMaisLongo = QStringLiteral(
    "Quatrocentos e Cinqüenta e Quatro Mil, e Quatrocentos e Cinqüenta e Quatro Reais, "
    "e Cinqüenta e Quatro Centavos.");
// Names take up to 50 characters; upper case, as the window writes them.
const QString k_nome50 = QStringLiteral("JOSEFINA APARECIDA DA CONCEIÇÃO DOS SANTOS MOREIRA");
const QString k_nome50Largo = QStringLiteral("WWWWWWWWW WWWWWWWWW WWWWWWWWW WWWWWWWWW WWWWWWWWWW");
// REFERENTE and OBS take up to 100.
const QString k_texto100 = QStringLiteral(
    "Aluguel do imóvel comercial da Rua Coronel Quirino, 1234, sala 56, referente ao mês de "
    "março de 2026");

TextosRecibo umReciboTipico() {
    TextosRecibo r;
    r.valor = QStringLiteral("1.234,56");
    r.recebi = QStringLiteral("MARIA DA SILVA");
    r.extenso = QStringLiteral("Um Mil, e Duzentos e Trinta e Quatro Reais, e Cinqüenta e "
                               "Seis Centavos.");
    r.referente = QStringLiteral("Aluguel de março");
    r.observacoes = QStringLiteral("Pago em dinheiro");
    r.local = QStringLiteral("CAMPINAS");
    r.data = QStringLiteral("05 de março de 2026");
    r.emitente = QStringLiteral("PADARIA BOM PAO LTDA");
    r.cpfcnpjemitente = QStringLiteral("12.345.678/0001-90");
    r.cpfcnpjcliente = QStringLiteral("123.456.789-01");
    r.logo = QImage(400, 100, QImage::Format_RGB32);
    r.logo.fill(Qt::darkBlue);
    return r;
}

TextosRecibo reciboMaisLongo() {
    TextosRecibo r = umReciboTipico();
    r.valor = QStringLiteral("454.454,54");
    r.extenso = k_extensoMaisLongo;
    r.recebi = k_nome50;
    r.emitente = k_nome50;
    r.referente = k_texto100;
    r.observacoes = k_texto100.toUpper();
    r.local = QStringLiteral("VILA BELA DA SANTÍSSIMA TRINDADE");
    r.data = QStringLiteral("30 de setembro de 2026");
    return r;
}

// Each filled object with the text it receives, by the name the layout gives it.
QList<std::pair<QString, QString>> esperados(const TextosRecibo &r, bool duasVias) {
    QList<std::pair<QString, QString>> lista = {{"Valor", r.valor},
                                                {duasVias ? "recebi" : "Recebi", r.recebi},
                                                {"Extenso", r.extenso},
                                                {"referente", r.referente},
                                                {"observacoes", r.observacoes},
                                                {"local", r.local},
                                                {"data1", r.data},
                                                {duasVias ? "Emitente" : "emitente", r.emitente},
                                                {"cpfcnpjemitente", r.cpfcnpjemitente},
                                                {"cpfcnpjcliente", r.cpfcnpjcliente}};
    if (duasVias) {
        lista += {{"Valor2", r.valor},
                  {"Recebi2", r.recebi},
                  {"Extenso2", r.extenso},
                  {"referente2", r.referente},
                  {"observacoes2", r.observacoes},
                  {"local2", r.local},
                  {"data2", r.data},
                  {"Emitente2", r.emitente},
                  {"cpfcnpjemitente2", r.cpfcnpjemitente},
                  {"cpfcnpjcliente2", r.cpfcnpjcliente}};
    }
    return lista;
}

QList<const TextoPreparado *> textos(const PaginaPreparada &pagina, const QString &nome) {
    QList<const TextoPreparado *> achados;
    for (const ElementoPreparado &e : pagina.elementos)
        if (const auto *t = std::get_if<TextoPreparado>(&e); t && t->nome == nome)
            achados << t;
    return achados;
}

QList<FiguraPreparada> figuras(const PaginaPreparada &pagina) {
    QList<FiguraPreparada> achadas;
    for (const ElementoPreparado &e : pagina.elementos)
        if (const auto *f = std::get_if<FiguraPreparada>(&e))
            achadas << *f;
    return achadas;
}

// A wrapped text read back as one line.
QString lido(const TextoPreparado &t) {
    QStringList linhas;
    for (const LinhaDeTexto &l : t.linhas)
        linhas << l.texto;
    return linhas.join(u' ');
}

const ObjetoLayout &objeto(Relatorio &relatorio, const QString &nome) {
    const ObjetoLayout *o = FindObject(relatorio, nome);
    if (!o)
        qFatal("%s is not in the layout", qPrintable(nome));
    return *o;
}

Relatorio preparado(bool duasVias, const TextosRecibo &recibo) {
    Relatorio relatorio(duasVias ? QStringLiteral("recibo_2vias") : QStringLiteral("recibo_1via"));
    if (duasVias)
        ImpressaoRecibo::preencherDuasVias(relatorio, recibo);
    else
        ImpressaoRecibo::preencherUmaVia(relatorio, recibo);
    relatorio.prepararTudo();
    return relatorio;
}

} // namespace

class TstImpressaoRecibo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reciboTipico_data();
    void reciboTipico();
    void novoPreenchimentoApagaOAnterior_data();
    void novoPreenchimentoApagaOAnterior();
    void tudoNoMaisLongoSaiInteiro_data();
    void tudoNoMaisLongoSaiInteiro();
    void textoLongoCresceOuDiminui_data();
    void textoLongoCresceOuDiminui();
    void valorNaLinhaDoCifrao_data();
    void valorNaLinhaDoCifrao();
};

void TstImpressaoRecibo::reciboTipico_data() {
    QTest::addColumn<bool>("duasVias");
    QTest::newRow("uma via") << false;
    QTest::newRow("duas vias") << true;
}

// Each text in its object at the layout's place, the logo in its box, the labels of the
// layout as they are.
void TstImpressaoRecibo::reciboTipico() {
    QFETCH(bool, duasVias);
    const TextosRecibo recibo = umReciboTipico();
    Relatorio relatorio = preparado(duasVias, recibo);
    QCOMPARE(relatorio.preparado().paginas.size(), 1);
    const PaginaPreparada &pagina = relatorio.preparado().paginas.first();

    // The second copy's objects receive the same texts as the first's.
    for (const auto &[nome, texto] : esperados(recibo, duasVias)) {
        const auto achados = textos(pagina, nome);
        QVERIFY2(achados.size() == 1, qPrintable(nome));
        const ObjetoLayout &o = objeto(relatorio, nome);
        QCOMPARE(lido(*achados.first()), texto);
        QCOMPARE(achados.first()->caixa, QRectF(o.left, o.top, o.width, o.height));
    }
    const QStringList fotos =
        duasVias ? QStringList{"Picture1", "Picture2"} : QStringList{"Picture1"};
    const QList<FiguraPreparada> achadas = figuras(pagina);
    QCOMPARE(achadas.size(), fotos.size());
    for (qsizetype i = 0; i < fotos.size(); ++i) {
        const ObjetoLayout &o = objeto(relatorio, fotos[i]);
        QCOMPARE(achadas[i].caixa, QRectF(o.left, o.top, o.width, o.height));
        QVERIFY(achadas[i].caixa.contains(achadas[i].destino));
        QCOMPARE(relatorio.preparado().imagens.at(achadas[i].imagem), recibo.logo);
    }
    QCOMPARE(lido(*textos(pagina, "Memo2").first()), QStringLiteral("Recebi de"));
    QCOMPARE(lido(*textos(pagina, "Memo9").first()), QStringLiteral("Recibo"));
}

void TstImpressaoRecibo::novoPreenchimentoApagaOAnterior_data() {
    reciboTipico_data();
}

// A receipt with empty fields and no logo printed after a full one: nothing of the first
// stays, nor the layout's own placeholder texts.
void TstImpressaoRecibo::novoPreenchimentoApagaOAnterior() {
    QFETCH(bool, duasVias);
    Relatorio relatorio(duasVias ? QStringLiteral("recibo_2vias") : QStringLiteral("recibo_1via"));
    const auto preencher = [&](const TextosRecibo &r) {
        if (duasVias)
            ImpressaoRecibo::preencherDuasVias(relatorio, r);
        else
            ImpressaoRecibo::preencherUmaVia(relatorio, r);
        relatorio.prepararTudo();
    };
    preencher(umReciboTipico());
    preencher(TextosRecibo{});
    const PaginaPreparada &pagina = relatorio.preparado().paginas.first();
    for (const auto &par : esperados(TextosRecibo{}, duasVias))
        QVERIFY2(textos(pagina, par.first).isEmpty(), qPrintable(par.first));
    QVERIFY(figuras(pagina).isEmpty());
    QCOMPARE(lido(*textos(pagina, "Memo3").first()), QStringLiteral("a quantia de"));
}

void TstImpressaoRecibo::tudoNoMaisLongoSaiInteiro_data() {
    reciboTipico_data();
}

// Every field at its longest: every word prints, every line lies whole inside its box,
// the boxes keep their place and width and grow only into the free room below them.
void TstImpressaoRecibo::tudoNoMaisLongoSaiInteiro() {
    QFETCH(bool, duasVias);
    const TextosRecibo recibo = reciboMaisLongo();
    Relatorio relatorio = preparado(duasVias, recibo);
    const RelatorioPreparado &r = relatorio.preparado();
    const PaginaPreparada &pagina = r.paginas.first();

    for (const auto &[nome, texto] : esperados(recibo, duasVias)) {
        const TextoPreparado &t = *textos(pagina, nome).first();
        const ObjetoLayout &o = objeto(relatorio, nome);
        QCOMPARE(lido(t), texto);
        QCOMPARE(t.caixa.topLeft(), QPointF(o.left, o.top));
        QCOMPARE(t.caixa.width(), o.width);
        QVERIFY(t.caixa.height() >= o.height);
        QVERIFY2(t.caixa.height() <= qMax(o.height, o.alturaMaxima), qPrintable(nome));
        const QFontMetricsF fm(Fontes::criar(r.fontes[t.fonte], 96), Fontes::dispositivoDeMedida());
        // A text of several lines keeps the descenders of each inside its box; a single line
        // sits where the layout put it.
        const double abaixo = t.linhas.size() > 1 ? fm.descent() : 0;
        for (const LinhaDeTexto &l : t.linhas) {
            QVERIFY2(l.base.y() + abaixo <= t.caixa.bottom() + 0.001, qPrintable(nome));
            QVERIFY2(l.largura <= t.caixa.width() - 4 + 0.001, qPrintable(nome));
        }
    }
    // No text reaches into another, nor over a rule.
    QList<QRectF> ocupadas;
    for (const ElementoPreparado &e : pagina.elementos) {
        if (const auto *t = std::get_if<TextoPreparado>(&e))
            ocupadas << t->caixa;
        else if (const auto *traco = std::get_if<TracoPreparado>(&e))
            ocupadas << QRectF(traco->inicio, traco->fim).normalized().adjusted(0, -0.01, 0, 0.01);
    }
    for (qsizetype i = 0; i < ocupadas.size(); ++i)
        for (qsizetype j = i + 1; j < ocupadas.size(); ++j)
            QVERIFY2(!ocupadas[i].adjusted(0.01, 0.01, -0.01, -0.01).intersects(ocupadas[j]),
                     qPrintable(QStringLiteral("%1 e %2").arg(i).arg(j)));
}

void TstImpressaoRecibo::textoLongoCresceOuDiminui_data() {
    QTest::addColumn<bool>("duasVias");
    QTest::addColumn<QString>("objeto");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("linhas");
    QTest::addColumn<int>("pontos");
    // Room for a second line below the amount in words: the font stays.
    QTest::newRow("extenso, uma via") << false << "Extenso" << k_extensoMaisLongo << 2 << 10;
    QTest::newRow("extenso, duas vias") << true << "Extenso" << k_extensoMaisLongo << 2 << 10;
    QTest::newRow("extenso, segunda via") << true << "Extenso2" << k_extensoMaisLongo << 2 << 10;
    // Under the signature line of two copies: two lines at the same size.
    QTest::newRow("assinante, duas vias") << true << "recebi" << k_nome50 << 2 << 10;
    QTest::newRow("assinante, segunda via") << true << "Recebi2" << k_nome50 << 2 << 10;
    // Letters as wide as they come: three lines would not fit, so the font steps down.
    QTest::newRow("assinante largo, duas vias") << true << "recebi" << k_nome50Largo << 2 << 8;
    // One copy keeps one line there.
    QTest::newRow("assinante, uma via") << false << "Recebi" << k_nome50 << 1 << 10;
    QTest::newRow("assinante largo, uma via") << false << "Recebi" << k_nome50Largo << 1 << 7;
    // The amounts of the receipt keep their 18 points on their one line; an amount of a
    // million or more is wider than its box there: it steps down, still on one line and
    // right-aligned, down to the largest amount the database holds.
    QTest::newRow("valor comum, uma via") << false << "Valor"
                                          << "454.454,54" << 1 << 18;
    QTest::newRow("valor comum, segunda via") << true << "Valor2"
                                              << "999.999,99" << 1 << 18;
    QTest::newRow("um milhão, uma via") << false << "Valor"
                                        << "1.000.000,00" << 1 << 17;
    QTest::newRow("um milhão, duas vias") << true << "Valor"
                                          << "1.000.000,00" << 1 << 17;
    QTest::newRow("maior valor, segunda via") << true << "Valor2"
                                              << "9.999.999.999.999.999,99" << 1 << 8;
}

void TstImpressaoRecibo::textoLongoCresceOuDiminui() {
    QFETCH(bool, duasVias);
    QFETCH(QString, objeto);
    QFETCH(QString, texto);
    QFETCH(int, linhas);
    QFETCH(int, pontos);
    TextosRecibo recibo = umReciboTipico();
    recibo.extenso = objeto.startsWith(u"Extenso") ? texto : recibo.extenso;
    recibo.recebi = objeto.startsWith(u"Recebi", Qt::CaseInsensitive) ? texto : recibo.recebi;
    recibo.valor = objeto.startsWith(u"Valor") ? texto : recibo.valor;
    Relatorio relatorio = preparado(duasVias, recibo);
    const RelatorioPreparado &r = relatorio.preparado();
    const TextoPreparado &t = *textos(r.paginas.first(), objeto).first();
    QCOMPARE(lido(t), texto);
    QCOMPARE(t.linhas.size(), linhas);
    QCOMPARE(r.fontes[t.fonte].pontos, pontos);
    for (const LinhaDeTexto &l : t.linhas) {
        QVERIFY(l.base.x() >= t.caixa.left() + 2 - 0.001);
        QVERIFY(l.base.x() + l.largura <= t.caixa.right() - 2 + 0.001);
    }
}

void TstImpressaoRecibo::valorNaLinhaDoCifrao_data() {
    QTest::addColumn<bool>("duasVias");
    QTest::addColumn<QString>("objeto");
    QTest::addColumn<QString>("cifrao");
    QTest::addColumn<QString>("valor");
    QTest::newRow("valor comum, duas vias") << true << "Valor"
                                            << "Memo10"
                                            << "454.454,54";
    QTest::newRow("um milhão, uma via") << false << "Valor"
                                        << "Memo10"
                                        << "1.000.000,00";
    QTest::newRow("maior valor, segunda via") << true << "Valor2"
                                              << "Memo23"
                                              << "9.999.999.999.999.999,99";
}

// An amount set smaller to fit its box still stands on the line of the "R$" before it.
void TstImpressaoRecibo::valorNaLinhaDoCifrao() {
    QFETCH(bool, duasVias);
    QFETCH(QString, objeto);
    QFETCH(QString, cifrao);
    QFETCH(QString, valor);
    TextosRecibo recibo = umReciboTipico();
    recibo.valor = valor;
    Relatorio relatorio = preparado(duasVias, recibo);
    const PaginaPreparada &pagina = relatorio.preparado().paginas.first();
    const TextoPreparado &t = *textos(pagina, objeto).first();
    QCOMPARE(lido(t), valor);
    QCOMPARE(t.linhas.first().base.y(), textos(pagina, cifrao).first()->linhas.first().base.y());
}

QTEST_MAIN(TstImpressaoRecibo)
#include "tst_impressaorecibo.moc"
