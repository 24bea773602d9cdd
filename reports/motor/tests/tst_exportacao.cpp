#include "ArquivoRelatorio.h"
#include "Dinheiro.h"
#include "ErroSistema.h"
#include "Exportadores.h"
#include "OrigemEmMemoria.h"
#include "Relatorio.h"
#include "RelatoriosDeTeste.h"
#include "Renderizador.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QString executar(const QString &programa, const QStringList &argumentos, const QString &casa = {}) {
    QProcess processo;
    if (!casa.isEmpty()) {
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert(QStringLiteral("HOME"), casa);
        processo.setProcessEnvironment(ambiente);
    }
    processo.start(programa, argumentos);
    if (!processo.waitForFinished(60000) || processo.exitCode() != 0)
        return QStringLiteral("<falhou: %1>")
            .arg(QString::fromUtf8(processo.readAllStandardError()));
    return QString::fromUtf8(processo.readAllStandardOutput());
}

struct Palavra {
    QString texto;
    QRectF caixa; // points
};

QList<Palavra> palavrasDoPdf(const QString &arquivo) {
    const QString html = executar(QStringLiteral("pdftotext"),
                                  {QStringLiteral("-bbox"), arquivo, QStringLiteral("-")});
    static const QRegularExpression re(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Palavra> palavras;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const double x0 = m.captured(1).toDouble(), y0 = m.captured(2).toDouble();
        const double x1 = m.captured(3).toDouble(), y1 = m.captured(4).toDouble();
        QString texto = m.captured(5);
        texto.replace(u"&amp;"_s, u"&"_s).replace(u"&lt;"_s, u"<"_s).replace(u"&gt;"_s, u">"_s);
        palavras.push_back({texto, QRectF(QPointF(x0, y0), QPointF(x1, y1))});
    }
    return palavras;
}

QList<const TextoPreparado *> textosDaPagina(const PaginaPreparada &pagina) {
    QList<const TextoPreparado *> textos;
    for (const ElementoPreparado &e : pagina.elementos)
        if (const auto *t = std::get_if<TextoPreparado>(&e))
            textos << t;
    return textos;
}

} // namespace

class TstExportacao : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void pdfTemTextoNasPosicoes();
    void pdfEmbuteFontesEComprime();
    void pdfRasterizadoConfereComRender();
    void jpegConfereComRender();
    void bmpUmArquivoPorPagina();
    void listaEmPdfComTahoma();
    void exportacaoSubstituiArquivo();
    void xlsxTemCelulasENumeros();
    void rtfAbreNoLibreOffice();
    void opcoesDeImagem_data();
    void opcoesDeImagem();
    void opcoesDoExcel_data();
    void opcoesDoExcel();
    void seisLayoutsEmCadaFormato_data();
    void seisLayoutsEmCadaFormato();
    void xlsxTiposEAlinhamentoDaPagina_data();
    void xlsxTiposEAlinhamentoDaPagina();
    void rtfDesenhaFiosEMolduras_data();
    void rtfDesenhaFiosEMolduras();
    void rtfAlinhaComoAPagina_data();
    void rtfAlinhaComoAPagina();
    void rtfCabecalhoPretoEPontilhadoNoLibreOffice();
    void xlsxImprimeComoAPagina_data();
    void xlsxImprimeComoAPagina();
    void rtfMolduraNaoCobreAVizinha_data();
    void rtfMolduraNaoCobreAVizinha();
    void pdfProtecao_data();
    void pdfProtecao();
    void pdfPreferenciasECompressao_data();
    void pdfPreferenciasECompressao();
    void arquivosSeguemAUmask_data();
    void arquivosSeguemAUmask();
    void pastaInexistente_data();
    void pastaInexistente();
    void canceladaNaoDeixaNada_data();
    void canceladaNaoDeixaNada();
    void pdfLongoComTodasAsPaginasNaOrdem();

private:
    QTemporaryDir m_dir;
    Relatorio m_recibo{QStringLiteral("recibo_1via")};
    QString m_pdf;
};

void TstExportacao::initTestCase() {
    QVERIFY(m_dir.isValid());
    preencherRecibo(m_recibo);
    m_recibo.prepararTudo();
    m_pdf = m_dir.filePath(QStringLiteral("recibo.pdf"));
    Exportadores::pdf(m_recibo.preparado(), m_pdf, ConfigExportacaoPdf{});
}

void TstExportacao::pdfTemTextoNasPosicoes() {
    const QList<Palavra> palavras = palavrasDoPdf(m_pdf);
    QVERIFY(!palavras.isEmpty());
    const double pt = 72.0 / 96.0;
    int conferidas = 0;
    qsizetype inicioBusca = 0;
    const PaginaPreparada primeira = m_recibo.preparado().paginas.first();
    for (const TextoPreparado *t : textosDaPagina(primeira)) {
        for (const LinhaDeTexto &linha : t->linhas) {
            const QStringList esperadas = linha.texto.split(u' ', Qt::SkipEmptyParts);
            // Find the line's first word near its place, then check its words in turn.
            qsizetype i = -1;
            for (qsizetype k = 0; k < palavras.size(); ++k) {
                const qsizetype j = (inicioBusca + k) % palavras.size();
                if (palavras[j].texto == esperadas.first() &&
                    qAbs(palavras[j].caixa.left() - linha.base.x() * pt) < 1.0 &&
                    palavras[j].caixa.top() <= linha.base.y() * pt &&
                    palavras[j].caixa.bottom() >= linha.base.y() * pt) {
                    i = j;
                    break;
                }
            }
            QVERIFY2(i >= 0, qPrintable(QStringLiteral(
                                            "linha \"%1\" de %2 não está no PDF no lugar esperado")
                                            .arg(linha.texto, t->nome)));
            for (qsizetype w = 0; w < esperadas.size(); ++w)
                QCOMPARE(palavras.value(i + w).texto, esperadas[w]);
            const double fim = palavras[i + esperadas.size() - 1].caixa.right();
            QVERIFY2(qAbs(fim - (linha.base.x() + linha.largura) * pt) < 1.5,
                     qPrintable(QStringLiteral("%1: termina em %2 pt, esperado %3 pt")
                                    .arg(linha.texto)
                                    .arg(fim)
                                    .arg((linha.base.x() + linha.largura) * pt)));
            inicioBusca = i + esperadas.size();
            ++conferidas;
        }
    }
    QCOMPARE(conferidas, 20); // one line each, two for the amount in words
    // The amount in words reaches the file whole, down to its last word.
    bool ultima = false;
    for (const Palavra &p : palavras)
        ultima = ultima || p.texto == u"Centavos.";
    QVERIFY2(ultima, "o fim do extenso não está no PDF");
}

void TstExportacao::pdfEmbuteFontesEComprime() {
    const QString fontes = executar(QStringLiteral("pdffonts"), {m_pdf});
    const QStringList linhas = fontes.split(u'\n', Qt::SkipEmptyParts).mid(2);
    QVERIFY2(linhas.size() >= 2, qPrintable(fontes));
    // Columns emb, sub, uni: embedded and with a Unicode map (searchable). Qt
    // embeds only the glyphs used but does not tag the subset's name, so
    // "sub" reads no; the file size below shows the subsetting.
    static const QRegularExpression embutida(
        QStringLiteral("\\s+yes\\s+(yes|no)\\s+yes\\s+\\d+\\s+\\d+\\s*$"));
    for (const QString &l : linhas)
        QVERIFY2(embutida.match(l).hasMatch(), qPrintable(l));
    QVERIFY(fontes.contains(u"LiberationSans"));

    QFile arquivo(m_pdf);
    QVERIFY(arquivo.open(QIODevice::ReadOnly));
    QVERIFY(arquivo.readAll().contains("/FlateDecode"));
    // Each Liberation Sans face is about 400 KB whole.
    QVERIFY2(arquivo.size() < 60000, qPrintable(QString::number(arquivo.size())));
    // The logo kept without loss: no picture of the file is a JPEG.
    const QString figuras = executar(QStringLiteral("pdfimages"), {QStringLiteral("-list"), m_pdf});
    QVERIFY2(figuras.count(u'\n') >= 3 && !figuras.contains(u" jpeg "), qPrintable(figuras));
    // No word of another product anywhere: the settings left empty name this program as the
    // creator and producer and the report's title as the subject; a user's own settings win.
    QVERIFY(arquivo.seek(0) && !arquivo.readAll().contains("FastReport"));
    const QString programa = Exportadores::programa();
    QCOMPARE(programa, QStringLiteral("Talvano 2.2.2"));
    const auto informacoes = [&](const QString &pdf) {
        QProcess pdfinfo;
        pdfinfo.start(QStringLiteral("pdfinfo"), {pdf});
        pdfinfo.waitForFinished(30000);
        [&] { QCOMPARE(pdfinfo.readAllStandardError(), QByteArray()); }();
        return QString::fromUtf8(pdfinfo.readAllStandardOutput());
    };
    const QString documento = informacoes(m_pdf);
    for (const QString &campo :
         {QStringLiteral("Title:\\s+Recibo\\n"), QStringLiteral("Subject:\\s+Recibo\\n"),
          QStringLiteral("Creator:\\s+Talvano 2\\.2\\.2\\n"),
          QStringLiteral("Producer:\\s+Talvano 2\\.2\\.2\\n"), QStringLiteral("Pages:\\s+1\\n")})
        QVERIFY2(documento.contains(QRegularExpression(campo)), qPrintable(documento));
    QVERIFY2(!documento.contains(QStringLiteral("Author:")), qPrintable(documento));

    ConfigExportacaoPdf proprias;
    proprias.autor = QStringLiteral("Padaria Pão Quente");
    proprias.assunto = QStringLiteral("Aluguel");
    proprias.criador = QStringLiteral("Escritório");
    const QString outro = m_dir.filePath(QStringLiteral("proprias.pdf"));
    Exportadores::pdf(m_recibo.preparado(), outro, proprias);
    const QString dele = informacoes(outro);
    for (const QString &campo :
         {QStringLiteral("Author:\\s+Padaria Pão Quente\\n"),
          QStringLiteral("Subject:\\s+Aluguel\\n"), QStringLiteral("Creator:\\s+Escritório\\n")})
        QVERIFY2(dele.contains(QRegularExpression(campo)), qPrintable(dele));
}

void TstExportacao::pdfRasterizadoConfereComRender() {
    const QString prefixo = m_dir.filePath(QStringLiteral("raster"));
    executar(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
              QStringLiteral("-singlefile"), m_pdf, prefixo});
    const QImage doPdf(prefixo + QStringLiteral(".png"));
    QCOMPARE(doPdf.size(), QSize(794, 1123));
    const QImage nosso = Renderizador::imagem(m_recibo.preparado(), 0, 96);
    QCOMPARE(nosso.size(), doPdf.size());
    const PaginaPreparada primeira = m_recibo.preparado().paginas.first();
    for (const TextoPreparado *t : textosDaPagina(primeira)) {
        for (const LinhaDeTexto &l : t->linhas) {
            const QRect faixa(qFloor(t->caixa.left()), qRound(l.base.y() - 8),
                              qCeil(t->caixa.width()), 9);
            const auto [e1, d1] = tinta(nosso, faixa);
            const auto [e2, d2] = tinta(doPdf, faixa);
            QVERIFY2(qAbs(e1 - e2) <= 2 && qAbs(d1 - d2) <= 2,
                     qPrintable(QStringLiteral("%1: tinta %2..%3 no render, %4..%5 no PDF")
                                    .arg(t->nome)
                                    .arg(e1)
                                    .arg(d1)
                                    .arg(e2)
                                    .arg(d2)));
        }
    }
}

void TstExportacao::jpegConfereComRender() {
    const QString arquivo = m_dir.filePath(QStringLiteral("recibo.jpg"));
    const QStringList gravados =
        Exportadores::jpeg(m_recibo.preparado(), arquivo, ConfigExportacaoJpeg{});
    QCOMPARE(gravados, QStringList{arquivo});
    const QImage jpeg = QImage(arquivo).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(jpeg.size(), QSize(794, 1123));
    QCOMPARE(qRound(jpeg.dotsPerMeterX() * 0.0254), 96);
    const QImage nosso = Renderizador::imagem(m_recibo.preparado(), 0, 96);
    double diferenca = 0;
    for (int y = 0; y < nosso.height(); ++y)
        for (int x = 0; x < nosso.width(); ++x)
            diferenca += qAbs(qGray(nosso.pixel(x, y)) - qGray(jpeg.pixel(x, y)));
    diferenca /= double(nosso.width()) * nosso.height();
    QVERIFY2(diferenca < 1.5, qPrintable(QString::number(diferenca)));
    // The logo lands in its box: blue at the middle of the drawn rectangle.
    const QColor logo = jpeg.pixelColor(qRound(30.24 + 102), qRound(25.46 + 51));
    QVERIFY2(logo.blue() > 150 && logo.red() < 90, qPrintable(logo.name()));
}

void TstExportacao::bmpUmArquivoPorPagina() {
    ListaDeClientes lista(140);
    QCOMPARE(lista.preparado().paginas.size(), 3);
    const QString arquivo = m_dir.filePath(QStringLiteral("lista.bmp"));
    const QStringList gravados =
        Exportadores::bmp(lista.preparado(), arquivo, ConfigExportacaoBmp{});
    QCOMPARE(gravados, (QStringList{arquivo, m_dir.filePath(QStringLiteral("lista_2.bmp")),
                                    m_dir.filePath(QStringLiteral("lista_3.bmp"))}));
    for (int i = 0; i < 3; ++i) {
        const QImage bmp = QImage(gravados[i]).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(bmp, Renderizador::imagem(lista.preparado(), i, 96));
    }
}

void TstExportacao::listaEmPdfComTahoma() {
    OrigemEmMemoria fonte({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    for (int i = 1; i <= 70; ++i)
        fonte.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                         QVariant::fromValue(Dinheiro::deCentavos(123450)), QDate(2011, 3, 5)});
    Relatorio lista(QStringLiteral("recibos_por_cliente"));
    lista.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
    lista.prepararTudo();
    const QString arquivo = m_dir.filePath(QStringLiteral("lista.pdf"));
    Exportadores::pdf(lista.preparado(), arquivo, ConfigExportacaoPdf{});
    QVERIFY(executar(QStringLiteral("pdffonts"), {arquivo})
                .contains(QRegularExpression(u"Tahoma.*yes"_s)));
    QCOMPARE(executar(QStringLiteral("pdfinfo"), {arquivo})
                 .contains(QRegularExpression(u"Pages:\\s+2\\n"_s)),
             true);
    const QString texto = executar(QStringLiteral("pdftotext"),
                                   {QStringLiteral("-layout"), arquivo, QStringLiteral("-")});
    QVERIFY(texto.contains(u"05/03/2011"));
    QVERIFY(texto.contains(u"Cliente 70"));
    QVERIFY(texto.contains(u"86.415,00")); // 70 × 1.234,50
}

void TstExportacao::exportacaoSubstituiArquivo() {
    Relatorio outro(QStringLiteral("recibo_1via"));
    preencherRecibo(outro, QStringLiteral("7,77"));
    outro.prepararTudo();
    const QString arquivo = m_dir.filePath(QStringLiteral("duas_vezes.pdf"));
    Exportadores::pdf(m_recibo.preparado(), arquivo, ConfigExportacaoPdf{});
    Exportadores::pdf(outro.preparado(), arquivo, ConfigExportacaoPdf{});
    const QString texto = executar(QStringLiteral("pdftotext"), {arquivo, QStringLiteral("-")});
    QVERIFY(texto.contains(u"7,77"));
    QVERIFY(!texto.contains(u"454.454,54"));
}

namespace {

// Three receipts whose amounts are known, for checking numbers and the total.
Relatorio *listaCurta(OrigemEmMemoria &fonte) {
    fonte = OrigemEmMemoria({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    fonte.adicionar({1, QStringLiteral("Ana & Cia <Ltda>"),
                     QVariant::fromValue(Dinheiro::deCentavos(123450)), QDate(2011, 3, 5)});
    fonte.adicionar({2, QStringLiteral("Bento"), QVariant::fromValue(Dinheiro::deCentavos(0)),
                     QDate(2011, 3, 6)});
    fonte.adicionar({3, QStringLiteral("Conceição"), QVariant::fromValue(Dinheiro::deCentavos(777)),
                     QDate(2011, 3, 7)});
    auto *lista = new Relatorio(QStringLiteral("recibos_por_periodo"));
    lista->ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
    lista->prepararTudo();
    return lista;
}

} // namespace

void TstExportacao::xlsxTemCelulasENumeros() {
    OrigemEmMemoria fonte;
    std::unique_ptr<Relatorio> lista(listaCurta(fonte));
    const QString arquivo = m_dir.filePath(QStringLiteral("lista.xlsx"));
    Exportadores::xlsx(lista->preparado(), arquivo, ConfigExportacaoExcel{});
    const QString folha =
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), arquivo, QStringLiteral("xl/worksheets/sheet1.xml")});
    const QString textos =
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), arquivo, QStringLiteral("xl/worksheets/sheet1.xml")});
    const QString estilos = executar(
        QStringLiteral("unzip"), {QStringLiteral("-p"), arquivo, QStringLiteral("xl/styles.xml")});
    QVERIFY2(folha.contains(u"<v>1234.5</v>"), qPrintable(folha.left(2000)));
    QVERIFY(folha.contains(u"<v>7.77</v>"));
    QVERIFY(folha.contains(u"<v>0</v>"));
    QVERIFY(folha.contains(u"<v>1242.27</v>")); // the total
    QVERIFY(estilos.contains(u"formatCode=\"#,##0.00\""));
    for (const char *t : {"Relatório de Emissão de Recibos por Período", "Recibo Nr.", "Valor R$",
                          "Conceição", "Ana &amp; Cia &lt;Ltda&gt;"})
        QVERIFY2(textos.contains(QString::fromUtf8(t)), t);
    QVERIFY(folha.contains(u"<v>40607</v>")); // 05/03/2011, a date
    // The title spans several columns of the grid: merged.
    QVERIFY(folha.contains(u"<mergeCell "));

    const QString recibo = m_dir.filePath(QStringLiteral("recibo.xlsx"));
    Exportadores::xlsx(m_recibo.preparado(), recibo, ConfigExportacaoExcel{});
    const QString conteudo = executar(QStringLiteral("unzip"), {QStringLiteral("-l"), recibo});
    QVERIFY2(conteudo.contains(u"xl/media/image1.png"), qPrintable(conteudo));
    const QString textosRecibo =
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), recibo, QStringLiteral("xl/worksheets/sheet1.xml")});
    QVERIFY(textosRecibo.contains(u"Maria das Graças Conceição"));
    QVERIFY(textosRecibo.contains(u"454.454,54"));
}

void TstExportacao::rtfAbreNoLibreOffice() {
    OrigemEmMemoria fonte;
    std::unique_ptr<Relatorio> lista(listaCurta(fonte));
    OrigemEmMemoria muitas({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    for (int i = 1; i <= 140; ++i)
        muitas.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                          QVariant::fromValue(Dinheiro::deCentavos(i)), QDate(2011, 3, 5)});
    Relatorio longa(QStringLiteral("recibos_por_periodo"));
    longa.ligarOrigem(QStringLiteral("ibqEvento"), &muitas);
    longa.prepararTudo();
    QCOMPARE(longa.preparado().paginas.size(), 3);
    for (const auto &[nome, relatorio] :
         {std::pair<QString, const RelatorioPreparado *>{"recibo", &m_recibo.preparado()},
          {"lista", &lista->preparado()},
          {"longa", &longa.preparado()}}) {
        const QString arquivo = m_dir.filePath(nome + QStringLiteral(".rtf"));
        Exportadores::rtf(*relatorio, arquivo, ConfigExportacaoRtf{});
        const QString saida = m_dir.filePath(QStringLiteral("lo"));
        executar(QStringLiteral("soffice"),
                 {QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                  QStringLiteral("pdf"), QStringLiteral("--outdir"), saida, arquivo},
                 m_dir.filePath(QStringLiteral("casa")));
        const QString pdf = saida + u'/' + nome + QStringLiteral(".pdf");
        QVERIFY2(QFile::exists(pdf), qPrintable(pdf));
        const QString texto = executar(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QStringList esperados;
        if (nome == u"recibo")
            esperados = {"Recebi de", "Maria das Graças Conceição", "454.454,54", "São Paulo",
                         "05 de março de 2011"};
        else if (nome == u"lista")
            esperados = {"Relatório de Emissão de Recibos por Período", "Ana & Cia <Ltda>",
                         "Conceição", "1.234,50", "1.242,27"};
        else
            esperados = {"Cliente 1\n", "Cliente 63", "Cliente 64", "Cliente 140", "98,70"};
        for (const QString &e : esperados)
            QVERIFY2(texto.contains(e), qPrintable(e + QStringLiteral(" não está em:\n") + texto));
        // A page break between pages: as many pages as prepared.
        const QString paginas = QString::number(relatorio->paginas.size());
        QVERIFY(executar(QStringLiteral("pdfinfo"), {pdf})
                    .contains(QRegularExpression(u"Pages:\\s+"_s + paginas + u"\\n"_s)));
    }
}

void TstExportacao::opcoesDeImagem_data() {
    QTest::addColumn<bool>("cortar");
    QTest::addColumn<bool>("monocromatico");
    QTest::addColumn<int>("resolucao");
    QTest::newRow("como vem") << false << false << 96;
    QTest::newRow("cortada") << true << false << 96;
    QTest::newRow("monocromática") << false << true << 96;
    QTest::newRow("150 dpi") << false << false << 150;
}

void TstExportacao::opcoesDeImagem() {
    QFETCH(bool, cortar);
    QFETCH(bool, monocromatico);
    QFETCH(int, resolucao);
    ConfigExportacaoBmp config;
    config.cortarPaginas = cortar;
    config.monocromatico = monocromatico;
    config.resolucao = resolucao;
    const QString arquivo = m_dir.filePath(QStringLiteral("opcao.bmp"));
    Exportadores::bmp(m_recibo.preparado(), arquivo, config);
    const QImage img(arquivo);
    const QSize pagina =
        Renderizador::tamanhoEmPixels(m_recibo.preparado().paginas.first(), resolucao);
    if (cortar) {
        // From the logo's corner to the end of the rules and the signer's data.
        QVERIFY(img.width() < pagina.width() && img.height() < pagina.height());
        QCOMPARE(img.width(), qRound(763.47 - 30.24) + 1);
    } else {
        QCOMPARE(img.size(), pagina);
    }
    QSet<QRgb> cores;
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3)
            cores.insert(img.pixel(x, y) & 0xffffff);
    if (monocromatico)
        QVERIFY(cores.size() <= 2);
    else
        QVERIFY(cores.size() > 2);
}

void TstExportacao::opcoesDoExcel_data() {
    QTest::addColumn<bool>("comoTexto");
    QTest::addColumn<bool>("mesclar");
    QTest::newRow("como vem") << false << true;
    QTest::newRow("células como texto") << true << true;
    QTest::newRow("sem mesclar") << false << false;
}

void TstExportacao::opcoesDoExcel() {
    QFETCH(bool, comoTexto);
    QFETCH(bool, mesclar);
    OrigemEmMemoria fonte;
    std::unique_ptr<Relatorio> lista(listaCurta(fonte));
    ConfigExportacaoExcel config;
    config.celulasComoTexto = comoTexto;
    config.mesclarCelulas = mesclar;
    const QString arquivo = m_dir.filePath(QStringLiteral("opcao.xlsx"));
    Exportadores::xlsx(lista->preparado(), arquivo, config);
    const QString folha =
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), arquivo, QStringLiteral("xl/worksheets/sheet1.xml")});
    const QString textos =
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), arquivo, QStringLiteral("xl/worksheets/sheet1.xml")});
    QCOMPARE(folha.contains(u"<v>1234.5</v>"), !comoTexto);
    QCOMPARE(textos.contains(u"1.234,50"), comoTexto);
    QCOMPARE(folha.contains(u"<mergeCell "), mesclar);
    QVERIFY(textos.contains(u"Conceição"));
}

namespace {

struct Saida {
    int codigo = -1;
    QString texto; // standard output and error together
};

Saida rodar(const QString &programa, const QStringList &argumentos) {
    QProcess processo;
    processo.setProcessChannelMode(QProcess::MergedChannels);
    processo.start(programa, argumentos);
    if (!processo.waitForFinished(60000))
        return {};
    return {processo.exitCode(), QString::fromUtf8(processo.readAll())};
}

// A report as the program fills it, with the row source it reads (kept alive with it).
struct Preparado {
    std::unique_ptr<OrigemEmMemoria> fonte;
    std::unique_ptr<Relatorio> relatorio;
    const RelatorioPreparado &paginas() const { return relatorio->preparado(); }
};

const QString nomeLongo =
    QStringLiteral("Maria das Graças Conceição de Albuquerque Cavalcanti e Silva Pereira da Costa");

// Each of the six layouts: the receipts filled as their windows fill them, the lists
// over four receipts (or none: linhas 0) or two clients.
Preparado preparar(const QString &layout, int linhas = -1) {
    Preparado p;
    p.relatorio = std::make_unique<Relatorio>(layout);
    Relatorio &r = *p.relatorio;
    if (layout == u"recibo_1via") {
        preencherRecibo(r);
    } else if (layout == u"recibo_2vias") {
        for (const char *nome : {"Valor", "Valor2"})
            SetText(FindObject(r, nome), QStringLiteral("999.999,99"));
        for (const char *nome : {"Emitente", "Emitente2"})
            SetText(FindObject(r, nome), QStringLiteral("José Antônio Ltda"));
        for (const char *nome : {"Recebi", "Recebi2"})
            SetText(FindObject(r, nome), QStringLiteral("Maria das Graças"));
    } else if (layout == u"recibo_rapido") {
        SetText(FindObject(r, "Lvalor"), QStringLiteral("999.999,99"));
        SetText(FindObject(r, "Lnome"), QStringLiteral("Maria das Graças Conceição"));
        SetText(FindObject(r, "Lreferente"), QStringLiteral("Aluguel de março"));
        SetText(FindObject(r, "Ldata"), QStringLiteral("São Paulo, 05 de março de 2011"));
    } else if (layout == u"clientes") {
        p.fonte = std::make_unique<OrigemEmMemoria>(QStringList{
            "ID_CLIENTE", "CLIENTE", "EMAIL", "EMAIL2", "TELEFONE", "TELEFONE2", "CPFCNPJ"});
        if (linhas != 0) {
            p.fonte->adicionar({1, QStringLiteral("Conceição"), QStringLiteral("c@exemplo.com.br"),
                                QString(), QStringLiteral("(11) 5555-0101"), QString(),
                                QStringLiteral("123.456.789-09")});
            p.fonte->adicionar({2, QStringLiteral("Bento"), QString(), QString(), QString(),
                                QString(), QStringLiteral("12.345.678/0001-95")});
        }
    } else {
        p.fonte =
            std::make_unique<OrigemEmMemoria>(QStringList{"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
        if (linhas != 0) {
            const QList<std::pair<QString, qint64>> recibos = {
                {QStringLiteral("Ana & Cia <Ltda>"), 123450},
                {QStringLiteral("Bento"), 0},
                {QStringLiteral("Conceição"), 777},
                {nomeLongo, 1}};
            for (int i = 0; i < recibos.size(); ++i)
                p.fonte->adicionar({101 + i, recibos[i].first,
                                    QVariant::fromValue(Dinheiro::deCentavos(recibos[i].second)),
                                    QDate(2011, 3, 5 + i)});
        }
    }
    if (p.fonte)
        r.ligarOrigem(QStringLiteral("ibqEvento"), p.fonte.get());
    r.prepararTudo();
    return p;
}

// The file converted by LibreOffice, as a word processor or a spreadsheet opens it.
QString converter(const QTemporaryDir &dir, const QString &arquivo, const QString &formato) {
    const QString saida = dir.filePath(QStringLiteral("convertidos"));
    QProcess processo;
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("casa")));
    // Figures shown the Brazilian way, as the user's spreadsheet shows them.
    ambiente.insert(QStringLiteral("LC_ALL"), QStringLiteral("pt_BR.UTF-8"));
    ambiente.insert(QStringLiteral("LANG"), QStringLiteral("pt_BR.UTF-8"));
    processo.setProcessEnvironment(ambiente);
    processo.start(QStringLiteral("soffice"),
                   {QStringLiteral("--headless"), QStringLiteral("--convert-to"), formato,
                    QStringLiteral("--outdir"), saida, arquivo});
    processo.waitForFinished(120000);
    const QString extensao = formato.section(u':', 0, 0);
    return saida + u'/' + QFileInfo(arquivo).completeBaseName() + u'.' + extensao;
}

QString textoDoPdf(const QString &pdf) {
    return executar(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

QImage paginaDoPdf(const QTemporaryDir &dir, const QString &pdf) {
    const QString prefixo = dir.filePath(QStringLiteral("pagina"));
    QFile::remove(prefixo + QStringLiteral(".png"));
    executar(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("96"),
                                          QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                          QStringLiteral("-f"), QStringLiteral("1"), pdf, prefixo});
    return QImage(prefixo + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

struct CelulaXlsx {
    QString tipo; // "n" for numbers, "inlineStr" for text
    QString formato;
    QString alinhamento;
};

// The cells of the workbook's sheet by what they hold (the number or the text).
QHash<QString, CelulaXlsx> celulasDaPlanilha(const QString &arquivo) {
    QHash<int, QString> formatos = {{0, QStringLiteral("General")},
                                    {3, QStringLiteral("#,##0")},
                                    {4, QStringLiteral("#,##0.00")}};
    QList<std::pair<int, QString>> estilos; // number format and alignment of each style
    QXmlStreamReader estilo(executar(
        QStringLiteral("unzip"), {QStringLiteral("-p"), arquivo, QStringLiteral("xl/styles.xml")}));
    bool emCelulas = false;
    while (!estilo.atEnd()) {
        estilo.readNext();
        if (estilo.isStartElement() && estilo.name() == u"numFmt")
            formatos.insert(estilo.attributes().value(QStringLiteral("numFmtId")).toInt(),
                            estilo.attributes().value(QStringLiteral("formatCode")).toString());
        else if (estilo.name() == u"cellXfs")
            emCelulas = estilo.isStartElement();
        else if (emCelulas && estilo.isStartElement() && estilo.name() == u"xf")
            estilos.push_back(
                {estilo.attributes().value(QStringLiteral("numFmtId")).toInt(), QString()});
        else if (emCelulas && estilo.isStartElement() && estilo.name() == u"alignment")
            estilos.last().second =
                estilo.attributes().value(QStringLiteral("horizontal")).toString();
    }
    QHash<QString, CelulaXlsx> celulas;
    QXmlStreamReader folha(
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), arquivo, QStringLiteral("xl/worksheets/sheet1.xml")}));
    CelulaXlsx atual;
    while (!folha.atEnd()) {
        folha.readNext();
        if (!folha.isStartElement())
            continue;
        if (folha.name() == u"c") {
            const auto &[formato, alinhamento] =
                estilos.value(folha.attributes().value(QStringLiteral("s")).toInt());
            atual = {folha.attributes().value(QStringLiteral("t")).toString(),
                     formatos.value(formato), alinhamento};
            if (atual.tipo.isEmpty())
                atual.tipo = QStringLiteral("n");
        } else if (folha.name() == u"v" || folha.name() == u"t") {
            celulas.insert(folha.readElementText(), atual);
        }
    }
    return celulas;
}

} // namespace

void TstExportacao::seisLayoutsEmCadaFormato_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("formato");
    QTest::addColumn<QStringList>("esperados");
    const QList<std::pair<const char *, QStringList>> layouts = {
        {"recibo_1via",
         {"Recebi de", "Maria das Graças Conceição", "454.454,54", "05 de março de 2011"}},
        {"recibo_2vias", {"999.999,99", "José Antônio Ltda", "Maria das Graças"}},
        {"recibo_rapido",
         {"Recibo", "R$", "999.999,99", "Maria das Graças Conceição", "05 de março de 2011"}},
        {"recibos_por_periodo",
         {"Relatório de Emissão de Recibos por Período", "Ana & Cia <Ltda>", "1.234,50", "1.242,28",
          "05/03/2011"}},
        {"recibos_por_cliente", {"Conceição", "1.234,50", "1.242,28", "06/03/2011"}},
        {"clientes", {"Relatório de Clientes Cadastrados", "Conceição", "123.456.789-09"}}};
    for (const auto &[layout, esperados] : layouts)
        for (const char *formato : {"pdf", "rtf", "xlsx"})
            QTest::addRow("%s em %s", layout, formato)
                << QString::fromLatin1(layout) << QString::fromLatin1(formato) << esperados;
}

// Every layout reaches every format whole: what the page says is what the file says,
// read back by a PDF reader, a word processor and a spreadsheet.
void TstExportacao::seisLayoutsEmCadaFormato() {
    QFETCH(QString, layout);
    QFETCH(QString, formato);
    QFETCH(QStringList, esperados);
    const Preparado p = preparar(layout);
    const QString arquivo = m_dir.filePath(layout + u'.' + formato);
    QString texto;
    if (formato == u"pdf") {
        Exportadores::pdf(p.paginas(), arquivo, ConfigExportacaoPdf{});
        texto = textoDoPdf(arquivo);
    } else if (formato == u"rtf") {
        Exportadores::rtf(p.paginas(), arquivo, ConfigExportacaoRtf{});
        const QString pdf = converter(m_dir, arquivo, QStringLiteral("pdf"));
        texto = textoDoPdf(pdf);
        // As many pages as prepared.
        QVERIFY(executar(QStringLiteral("pdfinfo"), {pdf})
                    .contains(QRegularExpression(
                        u"Pages:\\s+"_s + QString::number(p.paginas().paginas.size()) + u"\\n"_s)));
    } else {
        Exportadores::xlsx(p.paginas(), arquivo, ConfigExportacaoExcel{});
        const QString csv =
            converter(m_dir, arquivo, QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"));
        QFile f(csv);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(csv));
        texto = QString::fromUtf8(f.readAll());
    }
    texto.replace(u"\"\""_s, u"\""_s);
    for (const QString &e : esperados)
        QVERIFY2(texto.contains(e), qPrintable(e + QStringLiteral(" não está em:\n") + texto));
}

void TstExportacao::xlsxTiposEAlinhamentoDaPagina_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("linhas");
    QTest::addColumn<QString>("conteudo");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("formato");
    QTest::addColumn<QString>("alinhamento");
    const QString periodo = QStringLiteral("recibos_por_periodo");
    QTest::newRow("valor") << periodo << -1 << "1234.5"
                           << "n"
                           << "#,##0.00"
                           << "right";
    QTest::newRow("valor zero") << periodo << -1 << "0"
                                << "n"
                                << "#,##0.00"
                                << "right";
    QTest::newRow("total") << periodo << -1 << "1242.28"
                           << "n"
                           << "#,##0.00"
                           << "right";
    QTest::newRow("data") << periodo << -1 << "40607"
                          << "n"
                          << "dd/mm/yyyy"
                          << "center";
    QTest::newRow("número do recibo") << periodo << -1 << "101"
                                      << "n"
                                      << "General"
                                      << "center";
    QTest::newRow("nome longo recortado") << periodo << -1 << nomeLongo << "inlineStr"
                                          << "General"
                                          << "left";
    QTest::newRow("total de período vazio") << periodo << 0 << "0"
                                            << "n"
                                            << "#,##0.00"
                                            << "right";
    QTest::newRow("por cliente: valor") << "recibos_por_cliente" << -1 << "7.77"
                                        << "n"
                                        << "#,##0.00"
                                        << "right";
    QTest::newRow("nenhum cliente") << "clientes" << 0 << "0"
                                    << "n"
                                    << "General"
                                    << "right";
    QTest::newRow("valor do recibo, texto do programa") << "recibo_1via" << -1 << "454.454,54"
                                                        << "inlineStr"
                                                        << "General"
                                                        << "right";
}

// A cell holds what the page shows in the way it shows it: amounts and dates are
// numbers with the page's format, aligned as the layout aligns them, never judged
// from where the glyphs fall.
void TstExportacao::xlsxTiposEAlinhamentoDaPagina() {
    QFETCH(QString, layout);
    QFETCH(int, linhas);
    QFETCH(QString, conteudo);
    QFETCH(QString, tipo);
    QFETCH(QString, formato);
    QFETCH(QString, alinhamento);
    const Preparado p = preparar(layout, linhas);
    const QString arquivo = m_dir.filePath(QStringLiteral("tipos.xlsx"));
    Exportadores::xlsx(p.paginas(), arquivo, ConfigExportacaoExcel{});
    const QHash<QString, CelulaXlsx> celulas = celulasDaPlanilha(arquivo);
    QVERIFY2(celulas.contains(conteudo), qPrintable(QStringList(celulas.keys()).join(u" | ")));
    const CelulaXlsx c = celulas.value(conteudo);
    QCOMPARE(c.tipo, tipo);
    QCOMPARE(c.formato, formato);
    QCOMPARE(c.alinhamento, alinhamento);
}

void TstExportacao::rtfDesenhaFiosEMolduras_data() {
    QTest::addColumn<QString>("layout");
    QTest::newRow("recibo rápido") << "recibo_rapido";
    QTest::newRow("recibo") << "recibo_1via";
    QTest::newRow("lista com total") << "recibos_por_periodo";
}

// Rectangles, rules, lines and the sides of frames reach the word processor in their
// places: the page LibreOffice draws from the file has ink along each of them.
void TstExportacao::rtfDesenhaFiosEMolduras() {
    QFETCH(QString, layout);
    const Preparado p = preparar(layout);
    const QString arquivo = m_dir.filePath(layout + QStringLiteral("_fios.rtf"));
    Exportadores::rtf(p.paginas(), arquivo, ConfigExportacaoRtf{});
    const QImage pagina = paginaDoPdf(m_dir, converter(m_dir, arquivo, QStringLiteral("pdf")));
    QVERIFY(!pagina.isNull());
    // A short stretch across the middle of a stroke: ink within two pixels of it.
    auto temTinta = [&](QPointF a, QPointF b) {
        const QPointF meio = (a + b) / 2;
        const bool horizontal = qAbs(a.y() - b.y()) < 0.5;
        const QRect regiao = horizontal ? QRect(qRound(meio.x()) - 10, qRound(meio.y()) - 2, 21, 5)
                                        : QRect(qRound(meio.x()) - 2, qRound(meio.y()) - 10, 5, 21);
        return tinta(pagina, regiao).first >= 0;
    };
    int tracos = 0;
    const PaginaPreparada primeira = p.paginas().paginas.first();
    for (const ElementoPreparado &e : primeira.elementos) {
        QList<std::pair<QPointF, QPointF>> lados;
        QString nome;
        if (const auto *r = std::get_if<RetanguloPreparado>(&e); r && r->largura > 0) {
            const QRectF c = r->caixa;
            lados = {{c.topLeft(), c.topRight()}, {c.bottomLeft(), c.bottomRight()}};
            if (c.height() > 6)
                lados += {{c.topLeft(), c.bottomLeft()}, {c.topRight(), c.bottomRight()}};
            nome = QStringLiteral("retângulo");
        } else if (const auto *l = std::get_if<TracoPreparado>(&e)) {
            lados = {{l->inicio, l->fim}};
            nome = QStringLiteral("linha");
        } else if (const auto *t = std::get_if<TextoPreparado>(&e); t && t->moldura.topo) {
            lados = {{t->caixa.topLeft(), t->caixa.topRight()}};
            nome = t->nome;
        }
        for (const auto &[a, b] : lados) {
            QVERIFY2(temTinta(a, b), qPrintable(QStringLiteral("%1 de (%2, %3) a (%4, %5) não está "
                                                               "no documento")
                                                    .arg(nome)
                                                    .arg(a.x())
                                                    .arg(a.y())
                                                    .arg(b.x())
                                                    .arg(b.y())));
            ++tracos;
        }
    }
    QVERIFY(tracos > 0);
}

void TstExportacao::rtfAlinhaComoAPagina_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("nome");
    QTest::newRow("valor à direita") << "recibos_por_periodo"
                                     << "Memo4";
    QTest::newRow("total à direita") << "recibos_por_periodo"
                                     << "SysMemo4";
    QTest::newRow("data centralizada") << "recibos_por_periodo"
                                       << "Memo3";
    QTest::newRow("nome longo à esquerda") << "recibos_por_periodo"
                                           << "Memo17";
    QTest::newRow("valor do recibo à direita") << "recibo_2vias"
                                               << "Valor";
    QTest::newRow("assinatura centralizada") << "recibo_rapido"
                                             << "LBemitente";
    QTest::newRow("valor do recibo rápido") << "recibo_rapido"
                                            << "Lvalor";
}

// Each line of a text starts and ends in the word processor where it does on the page.
void TstExportacao::rtfAlinhaComoAPagina() {
    QFETCH(QString, layout);
    QFETCH(QString, nome);
    const Preparado p = preparar(layout);
    const QString arquivo = m_dir.filePath(layout + QStringLiteral("_alinhado.rtf"));
    Exportadores::rtf(p.paginas(), arquivo, ConfigExportacaoRtf{});
    const QList<Palavra> palavras = palavrasDoPdf(converter(m_dir, arquivo, QStringLiteral("pdf")));
    const double pt = 72.0 / 96.0;
    const TextoPreparado *texto = nullptr;
    const PaginaPreparada primeira = p.paginas().paginas.first();
    for (const TextoPreparado *t : textosDaPagina(primeira))
        if (!texto && t->nome == nome && !t->linhas.isEmpty())
            texto = t;
    QVERIFY(texto);
    const LinhaDeTexto &linha = texto->linhas.first();
    const QStringList esperadas = linha.texto.split(u' ', Qt::SkipEmptyParts);
    // The line's words in a row across its baseline.
    for (qsizetype i = 0; i + esperadas.size() <= palavras.size(); ++i) {
        if (palavras[i].caixa.top() > linha.base.y() * pt ||
            palavras[i].caixa.bottom() < linha.base.y() * pt)
            continue;
        bool todas = true;
        for (qsizetype w = 0; w < esperadas.size() && todas; ++w)
            todas = palavras[i + w].texto == esperadas[w];
        if (!todas)
            continue;
        const double inicio = palavras[i].caixa.left();
        const double fim = palavras[i + esperadas.size() - 1].caixa.right();
        // The page's measure and the word processor's differ by a little; the anchored
        // side is where they must meet.
        const double folga = 3;
        switch (texto->alinhamentoH) {
        case AlinhamentoH::Esquerda:
            QVERIFY2(qAbs(inicio - linha.base.x() * pt) < folga,
                     qPrintable(QString::number(inicio)));
            break;
        case AlinhamentoH::Direita:
            QVERIFY2(qAbs(fim - (linha.base.x() + linha.largura) * pt) < folga,
                     qPrintable(QString::number(fim)));
            break;
        case AlinhamentoH::Centro:
            QVERIFY2(qAbs((inicio + fim) / 2 - (linha.base.x() + linha.largura / 2) * pt) < folga,
                     qPrintable(QString::number((inicio + fim) / 2)));
            break;
        }
        return;
    }
    QStringList achadas;
    for (const Palavra &w : palavras)
        if (w.texto == esperadas.first())
            achadas << QStringLiteral("(%1, %2)").arg(w.caixa.left()).arg(w.caixa.bottom());
    QFAIL(qPrintable(QStringLiteral("\"%1\" não está na altura %2 pt; está em %3")
                         .arg(linha.texto)
                         .arg(linha.base.y() * pt)
                         .arg(achadas.join(u' '))));
}

// As LibreOffice draws the file: the list's column headings stand white on their black fill,
// the two-copy receipt's cut line is dotted, and every face is named with the face of the same
// metrics the program draws with, so a word processor without Tahoma keeps the lines' widths.
void TstExportacao::rtfCabecalhoPretoEPontilhadoNoLibreOffice() {
    const Preparado lista = preparar(QStringLiteral("recibos_por_periodo"));
    const QString arquivo = m_dir.filePath(QStringLiteral("cabecalho.rtf"));
    Exportadores::rtf(lista.paginas(), arquivo, ConfigExportacaoRtf{});
    QFile rtf(arquivo);
    QVERIFY(rtf.open(QIODevice::ReadOnly));
    const QByteArray fonte = rtf.readAll();
    QVERIFY2(fonte.contains("Tahoma{\\*\\falt Liberation Sans};"), fonte.left(400).constData());
    const QImage pagina = paginaDoPdf(m_dir, converter(m_dir, arquivo, QStringLiteral("pdf")));
    QVERIFY(!pagina.isNull());
    int cabecalhos = 0;
    const PaginaPreparada primeira = lista.paginas().paginas.first();
    for (const TextoPreparado *t : textosDaPagina(primeira)) {
        if (qAlpha(t->fundo) == 0 || qGray(t->fundo) > 64)
            continue;
        // Mostly black inside the box, with the white letters in it.
        const QRect caixa = t->caixa.toAlignedRect().adjusted(2, 2, -2, -2);
        int escuros = 0, claros = 0;
        for (int y = caixa.top(); y <= caixa.bottom(); ++y)
            for (int x = caixa.left(); x <= caixa.right(); ++x)
                (qGray(pagina.pixel(x, y)) < 96 ? escuros : claros)++;
        QVERIFY2(
            escuros > 2 * claros && claros > 0,
            qPrintable(
                QStringLiteral("%1: %2 escuros, %3 claros").arg(t->nome).arg(escuros).arg(claros)));
        ++cabecalhos;
    }
    QCOMPARE(cabecalhos, 4);

    const Preparado vias = preparar(QStringLiteral("recibo_2vias"));
    const QString recibo = m_dir.filePath(QStringLiteral("corte.rtf"));
    Exportadores::rtf(vias.paginas(), recibo, ConfigExportacaoRtf{});
    const QImage folha = paginaDoPdf(m_dir, converter(m_dir, recibo, QStringLiteral("pdf")));
    QVERIFY(!folha.isNull());
    const TracoPreparado *corte = nullptr;
    const PaginaPreparada daVia = vias.paginas().paginas.first();
    for (const ElementoPreparado &e : daVia.elementos)
        if (const auto *l = std::get_if<TracoPreparado>(&e);
            l && l->estilo == MolduraLayout::Pontilhado)
            corte = l;
    QVERIFY(corte);
    // Along the line, ink and gaps take turns many times.
    int trocas = 0;
    bool antes = false;
    const int y = qRound(corte->inicio.y());
    for (int x = qRound(corte->inicio.x()) + 4; x < qRound(corte->fim.x()) - 4; ++x) {
        bool tinta = false;
        for (int dy = -2; dy <= 2; ++dy)
            tinta = tinta || qGray(folha.pixel(x, y + dy)) < 160;
        trocas += tinta != antes;
        antes = tinta;
    }
    QVERIFY2(trocas > 40, qPrintable(QString::number(trocas)));
}

void TstExportacao::xlsxImprimeComoAPagina_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("orientacao");
    QTest::newRow("recibos por período, retrato") << "recibos_por_periodo"
                                                  << "portrait";
    QTest::newRow("clientes, paisagem") << "clientes"
                                        << "landscape";
}

// The sheet prints as the report does: A4 in the layout's orientation, its margins, fitted to
// the paper's width, a break after every page; a five-page list prints on five pages, read
// back from the sheet and counted in the PDF LibreOffice prints from it.
void TstExportacao::xlsxImprimeComoAPagina() {
    QFETCH(QString, layout);
    QFETCH(QString, orientacao);
    std::unique_ptr<OrigemEmMemoria> fonte;
    Relatorio relatorio(layout);
    if (layout == u"clientes") {
        fonte = std::make_unique<OrigemEmMemoria>(
            QStringList{"CLIENTE", "EMAIL", "EMAIL2", "TELEFONE", "TELEFONE2", "CPFCNPJ"});
        for (int i = 1; i <= 140; ++i)
            fonte->adicionar({QStringLiteral("Cliente %1").arg(i), QStringLiteral("c@x.com"),
                              QString(), QStringLiteral("3333-0000"), QString(),
                              QStringLiteral("123.456.789-09")});
    } else {
        fonte =
            std::make_unique<OrigemEmMemoria>(QStringList{"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
        for (int i = 1; i <= 260; ++i)
            fonte->adicionar({i, QStringLiteral("Cliente %1").arg(i),
                              QVariant::fromValue(Dinheiro::deCentavos(i)), QDate(2011, 3, 5)});
    }
    relatorio.ligarOrigem(QStringLiteral("ibqEvento"), fonte.get());
    relatorio.prepararTudo();
    const int paginas = int(relatorio.preparado().paginas.size());
    QVERIFY(paginas >= 4);
    const QString arquivo = m_dir.filePath(layout + QStringLiteral("_impressao.xlsx"));
    Exportadores::xlsx(relatorio.preparado(), arquivo, ConfigExportacaoExcel{});
    const QString folha =
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), arquivo, QStringLiteral("xl/worksheets/sheet1.xml")});
    QVERIFY2(folha.contains(QStringLiteral("paperSize=\"9\"")), qPrintable(folha.right(600)));
    QVERIFY2(folha.contains(QStringLiteral("orientation=\"%1\"").arg(orientacao)),
             qPrintable(folha.right(600)));
    QVERIFY2(folha.contains(QStringLiteral("fitToHeight=\"0\"")) &&
                 folha.contains(QStringLiteral("fitToPage=\"1\"")),
             qPrintable(folha.right(600)));
    const PaginaPreparada primeira = relatorio.preparado().paginas.first();
    QVERIFY2(folha.contains(QStringLiteral("left=\"%1\"")
                                .arg(primeira.margensMm.left() / 25.4, 0, 'g', 15)
                                .left(8)),
             qPrintable(folha.right(600)));
    QVERIFY2(folha.contains(QStringLiteral("<rowBreaks count=\"%1\"").arg(paginas - 1)),
             qPrintable(folha.right(600)));
    const QString pdf = converter(m_dir, arquivo, QStringLiteral("pdf"));
    const QString informacoes = executar(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(
        informacoes.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(paginas))),
        qPrintable(informacoes));
}

void TstExportacao::rtfMolduraNaoCobreAVizinha_data() {
    QTest::addColumn<QString>("layout");
    for (const char *layout : {"recibo_1via", "recibo_2vias", "recibo_rapido",
                               "recibos_por_periodo", "recibos_por_cliente", "clientes"})
        QTest::newRow(layout) << QString::fromLatin1(layout);
}

// A text's frame grows beside its box only into free room: a frame laid over a
// neighbouring text hides that text's first or last letters in the word processor
// ("R" for "R$", "SEFINA" for "JOSEFINA"). Frames overlap only where the page's
// texts themselves do.
void TstExportacao::rtfMolduraNaoCobreAVizinha() {
    QFETCH(QString, layout);
    const Preparado p = preparar(layout);
    const QString arquivo = m_dir.filePath(layout + QStringLiteral("_vizinhas.rtf"));
    Exportadores::rtf(p.paginas(), arquivo, ConfigExportacaoRtf{});
    QFile rtf(arquivo);
    QVERIFY(rtf.open(QIODevice::ReadOnly));
    const QString conteudo = QString::fromLatin1(rtf.readAll());
    const double twipsPorPixel = 15;
    const auto sobrepostos = [](const QList<QRectF> &caixas) {
        int pares = 0;
        for (qsizetype i = 0; i < caixas.size(); ++i)
            for (qsizetype j = i + 1; j < caixas.size(); ++j) {
                const QRectF comum = caixas[i].intersected(caixas[j]);
                pares += comum.width() > 0.1 && comum.height() > 0.1;
            }
        return pares;
    };
    // The first page's text frames, in layout pixels.
    const QString primeiraPagina = conteudo.section(QStringLiteral("\\sect\\sectd"), 0, 0);
    QList<QRectF> molduras;
    const QRegularExpression moldura(u"\\\\posx(-?\\d+)\\\\posy(-?\\d+)\\\\absw(\\d+)\\\\absh(\\d+)"
                                     u"\\\\dxfrtext0\\\\dfrmtxtx0\\\\dfrmtxty0\\\\q[lrc]\\\\li"_s);
    for (const QRegularExpressionMatch &m : moldura.globalMatch(primeiraPagina))
        molduras << QRectF(
            m.captured(1).toDouble() / twipsPorPixel, m.captured(2).toDouble() / twipsPorPixel,
            m.captured(3).toDouble() / twipsPorPixel, m.captured(4).toDouble() / twipsPorPixel);
    QList<QRectF> caixas;
    const PaginaPreparada primeira = p.paginas().paginas.first();
    for (const TextoPreparado *t : textosDaPagina(primeira))
        if (!t->linhas.isEmpty())
            caixas << t->caixa;
    QCOMPARE(molduras.size(), caixas.size());
    QVERIFY2(sobrepostos(molduras) <= sobrepostos(caixas),
             qPrintable(QStringLiteral("%1 pares de molduras sobrepostas; na página, %2")
                            .arg(sobrepostos(molduras))
                            .arg(sobrepostos(caixas))));
}

void TstExportacao::pdfProtecao_data() {
    QTest::addColumn<QString>("usuario");
    QTest::addColumn<QString>("dono");
    QTest::addColumn<bool>("imprimir");
    QTest::addColumn<bool>("modificar");
    QTest::addColumn<bool>("copiar");
    QTest::addColumn<bool>("anotar");
    QTest::newRow("sem senha, tudo permitido") << ""
                                               << "" << true << true << true << true;
    QTest::newRow("senha de quem lê") << "leitor"
                                      << "" << true << true << true << true;
    QTest::newRow("as duas senhas") << "leitor"
                                    << "dono" << true << false << true << true;
    QTest::newRow("senha do dono, sem imprimir nem copiar")
        << ""
        << "dono" << false << true << false << true;
    QTest::newRow("sem senha, sem modificar nem anotar") << ""
                                                         << "" << true << false << true << false;
    QTest::newRow("senha com acentos") << "ação"
                                       << "coração" << false << false << false << false;
}

// A password typed in the settings protects the file (AES-256), permissions withheld
// are withheld, and a file asked for without either stays open.
void TstExportacao::pdfProtecao() {
    QFETCH(QString, usuario);
    QFETCH(QString, dono);
    QFETCH(bool, imprimir);
    QFETCH(bool, modificar);
    QFETCH(bool, copiar);
    QFETCH(bool, anotar);
    ConfigExportacaoPdf config;
    config.senhaUsuario = usuario;
    config.senhaDono = dono;
    config.permitirImprimir = imprimir;
    config.permitirModificar = modificar;
    config.permitirCopiar = copiar;
    config.permitirAnotar = anotar;
    const QString arquivo = m_dir.filePath(QStringLiteral("protegido.pdf"));
    Exportadores::pdf(m_recibo.preparado(), arquivo, config);

    const Saida semSenha = rodar(QStringLiteral("pdfinfo"), {arquivo});
    QCOMPARE(semSenha.codigo == 0, usuario.isEmpty());
    if (!usuario.isEmpty()) {
        QVERIFY2(semSenha.texto.contains(u"Incorrect password"), qPrintable(semSenha.texto));
        const Saida comSenha = rodar(QStringLiteral("pdftotext"), {QStringLiteral("-upw"), usuario,
                                                                   arquivo, QStringLiteral("-")});
        QCOMPARE(comSenha.codigo, 0);
        QVERIFY2(comSenha.texto.contains(u"Recebi de"), qPrintable(comSenha.texto));
    }

    const bool protegido =
        !usuario.isEmpty() || !dono.isEmpty() || !imprimir || !modificar || !copiar || !anotar;
    const QString cifra = rodar(QStringLiteral("qpdf"), {QStringLiteral("--show-encryption"),
                                                         u"--password="_s + usuario, arquivo})
                              .texto;
    if (!protegido) {
        QVERIFY2(cifra.contains(u"File is not encrypted"), qPrintable(cifra));
        return;
    }
    QVERIFY2(cifra.contains(u"R = 6") && cifra.contains(u"file encryption method: AESv3"),
             qPrintable(cifra));
    auto permite = [&](const char *linha) {
        return cifra.contains(QString::fromLatin1(linha) + u": allowed"_s);
    };
    QCOMPARE(permite("print high resolution"), imprimir);
    QCOMPARE(permite("modify other"), modificar);
    QCOMPARE(permite("extract for any purpose"), copiar);
    QCOMPARE(permite("modify annotations"), anotar);
    // Only the owner's password lifts the permissions; without one, nobody's does.
    QVERIFY(!cifra.contains(u"Supplied password is owner password"));
    if (!dono.isEmpty())
        QVERIFY(rodar(QStringLiteral("qpdf"),
                      {QStringLiteral("--show-encryption"), u"--password="_s + dono, arquivo})
                    .texto.contains(u"Supplied password is owner password"));
}

void TstExportacao::pdfPreferenciasECompressao_data() {
    QTest::addColumn<bool>("compactado");
    QTest::addColumn<bool>("preferencias");
    QTest::newRow("como vem") << true << false;
    QTest::newRow("sem compressão, com as preferências") << false << true;
}

// The viewer preferences asked for, compression as asked, and the document written
// once: no update appended after its end.
void TstExportacao::pdfPreferenciasECompressao() {
    QFETCH(bool, compactado);
    QFETCH(bool, preferencias);
    ConfigExportacaoPdf config;
    config.compactado = compactado;
    config.ocultarBarraDeFerramentas = config.ocultarBarraDeMenus = config.ocultarInterface =
        config.ajustarJanela = config.centralizarJanela = config.escalaDeImpressao = preferencias;
    const QString arquivo = m_dir.filePath(QStringLiteral("preferencias.pdf"));
    Exportadores::pdf(m_recibo.preparado(), arquivo, config);
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes.contains("/FlateDecode"), compactado);
    QCOMPARE(bytes.count("%%EOF"), 1);
    QVERIFY(textoDoPdf(arquivo).contains(u"Recebi de"));

    const QString qdf = m_dir.filePath(QStringLiteral("preferencias.qdf"));
    QCOMPARE(
        rodar(QStringLiteral("qpdf"),
              {QStringLiteral("--qdf"), QStringLiteral("--object-streams=disable"), arquivo, qdf})
            .codigo,
        0);
    QFile q(qdf);
    QVERIFY(q.open(QIODevice::ReadOnly));
    const QByteArray documento = q.readAll();
    for (const char *chave : {"/HideToolbar true", "/HideMenubar true", "/HideWindowUI true",
                              "/FitWindow true", "/CenterWindow true"})
        QVERIFY2(documento.contains(chave) == preferencias, chave);
    QVERIFY(documento.contains(preferencias ? "/PrintScaling /AppDefault" : "/PrintScaling /None"));
}

void TstExportacao::arquivosSeguemAUmask_data() {
    QTest::addColumn<int>("mascara");
    QTest::addColumn<int>("modo");
    QTest::newRow("022") << 022 << 0644;
    QTest::newRow("027") << 027 << 0640;
    QTest::newRow("077") << 077 << 0600;
}

// Every format creates its file as any program of the user would: 0666 less the umask.
void TstExportacao::arquivosSeguemAUmask() {
    QFETCH(int, mascara);
    QFETCH(int, modo);
    const mode_t anterior = umask(mode_t(mascara));
    QTemporaryDir dir;
    QStringList arquivos;
    for (const char *nome : {"u.pdf", "u.xlsx", "u.rtf", "u.jpg", "u.bmp", "u.trp"})
        arquivos << dir.filePath(QString::fromLatin1(nome));
    try {
        Exportadores::pdf(m_recibo.preparado(), arquivos[0], ConfigExportacaoPdf{});
        Exportadores::xlsx(m_recibo.preparado(), arquivos[1], ConfigExportacaoExcel{});
        Exportadores::rtf(m_recibo.preparado(), arquivos[2], ConfigExportacaoRtf{});
        Exportadores::jpeg(m_recibo.preparado(), arquivos[3], ConfigExportacaoJpeg{});
        Exportadores::bmp(m_recibo.preparado(), arquivos[4], ConfigExportacaoBmp{});
        ArquivoRelatorio::gravar(m_recibo.preparado(), arquivos[5]);
    } catch (...) {
        umask(anterior);
        throw;
    }
    umask(anterior);
    for (const QString &arquivo : arquivos) {
        struct stat info {};
        QCOMPARE(stat(QFile::encodeName(arquivo).constData(), &info), 0);
        QVERIFY2(int(info.st_mode & 0777) == modo,
                 qPrintable(QStringLiteral("%1: %2").arg(arquivo).arg(info.st_mode & 0777, 0, 8)));
    }
}

void TstExportacao::pastaInexistente_data() {
    QTest::addColumn<QString>("formato");
    for (const char *formato : {"pdf", "xlsx", "rtf", "jpg", "bmp"})
        QTest::newRow(formato) << QString::fromLatin1(formato);
}

// A file that cannot be created is a message naming it, not a crash nor a silent success.
void TstExportacao::pastaInexistente() {
    QFETCH(QString, formato);
    const QString arquivo = m_dir.filePath(QStringLiteral("não existe/recibo.") + formato);
    try {
        if (formato == u"pdf")
            Exportadores::pdf(m_recibo.preparado(), arquivo, ConfigExportacaoPdf{});
        else if (formato == u"xlsx")
            Exportadores::xlsx(m_recibo.preparado(), arquivo, ConfigExportacaoExcel{});
        else if (formato == u"rtf")
            Exportadores::rtf(m_recibo.preparado(), arquivo, ConfigExportacaoRtf{});
        else if (formato == u"jpg")
            Exportadores::jpeg(m_recibo.preparado(), arquivo, ConfigExportacaoJpeg{});
        else
            Exportadores::bmp(m_recibo.preparado(), arquivo, ConfigExportacaoBmp{});
        QFAIL("a exportação para uma pasta que não existe foi dada como feita");
    } catch (const ErroSistema &e) {
        QVERIFY2(e.mensagem().contains(u"Não foi possível gravar") &&
                     e.mensagem().contains(u"recibo." + formato),
                 qPrintable(e.mensagem()));
    }
}

void TstExportacao::canceladaNaoDeixaNada_data() {
    QTest::addColumn<QString>("formato");
    QTest::addColumn<int>("canceladaEm");
    QTest::addColumn<bool>("haviaArquivos");
    for (const char *formato : {"pdf", "xlsx", "rtf", "jpg", "bmp", "trp"}) {
        const QString f = QString::fromLatin1(formato);
        QTest::addRow("%s, logo que começa", formato) << f << 0 << false;
        QTest::addRow("%s, na segunda página", formato) << f << 2 << false;
        QTest::addRow("%s, na última página, sobre arquivos anteriores", formato) << f << 3 << true;
        QTest::addRow("%s, na segunda página, sobre arquivos anteriores", formato)
            << f << 2 << true;
    }
}

// A cancel at any page leaves the folder as it was: no new file, the files of an
// earlier export byte for byte, no temporary file. Images write one file per page,
// so each of the three is checked.
void TstExportacao::canceladaNaoDeixaNada() {
    QFETCH(QString, formato);
    QFETCH(int, canceladaEm);
    QFETCH(bool, haviaArquivos);
    ListaDeClientes lista(140);
    QCOMPARE(lista.preparado().paginas.size(), 3);

    QTemporaryDir dir;
    const QString arquivo = dir.filePath(QStringLiteral("lista.") + formato);
    QMap<QString, QByteArray> antes;
    if (haviaArquivos) {
        for (int pagina = 0; pagina < 3; ++pagina) {
            const QString nome = Exportadores::arquivoDaPagina(arquivo, pagina);
            QFile f(nome);
            QVERIFY(f.open(QIODevice::WriteOnly));
            const QByteArray conteudo = "exportação anterior " + QByteArray::number(pagina);
            f.write(conteudo);
            antes.insert(QFileInfo(nome).fileName(), conteudo);
        }
    }
    // A temporary file already deleted but still open would keep its disk space.
    const auto abertos = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
    const uint abertosAntes = abertos();
    // The user cancels once the writer reports the page given done (0: at its first word).
    int chamadas = 0;
    const Exportadores::Progresso cancelar = [&](int feitas, int) {
        ++chamadas;
        return feitas < canceladaEm;
    };
    try {
        if (formato == u"pdf")
            Exportadores::pdf(lista.preparado(), arquivo, ConfigExportacaoPdf{}, cancelar);
        else if (formato == u"xlsx")
            Exportadores::xlsx(lista.preparado(), arquivo, ConfigExportacaoExcel{}, cancelar);
        else if (formato == u"rtf")
            Exportadores::rtf(lista.preparado(), arquivo, ConfigExportacaoRtf{}, cancelar);
        else if (formato == u"jpg")
            Exportadores::jpeg(lista.preparado(), arquivo, ConfigExportacaoJpeg{}, cancelar);
        else if (formato == u"bmp")
            Exportadores::bmp(lista.preparado(), arquivo, ConfigExportacaoBmp{}, cancelar);
        else
            ArquivoRelatorio::gravar(lista.preparado(), arquivo, cancelar);
        QFAIL("a exportação cancelada foi até o fim");
    } catch (const Exportadores::Cancelada &) {
    }
    QVERIFY(chamadas > 0);
    QCOMPARE(abertos(), abertosAntes);
    QMap<QString, QByteArray> depois;
    for (const QFileInfo &info :
         QDir(dir.path()).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile f(info.filePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        depois.insert(info.fileName(), f.readAll());
    }
    QCOMPARE(depois, antes);
}

// A long PDF is drawn in parts, side by side, and joined: every page is there, in
// its place, with its own rows; cancelled halfway, it leaves no temporary file.
void TstExportacao::pdfLongoComTodasAsPaginasNaOrdem() {
    ListaDeClientes lista(3000);
    const RelatorioPreparado &preparado = lista.preparado();
    QVERIFY(preparado.paginas.size() >= 40);

    const auto temporarios = [] {
        return QDir::temp().entryList({QStringLiteral("talvano-*")}, QDir::Files | QDir::Hidden);
    };
    const QStringList temporariosAntes = temporarios();
    const QString arquivo = m_dir.filePath(QStringLiteral("longa.pdf"));
    int ultimaAvisada = 0;
    int noFim = 0; // calls once every page is drawn: the parts being joined
    Exportadores::pdf(preparado, arquivo, ConfigExportacaoPdf{}, [&](int feitas, int total) {
        [&] {
            QVERIFY(feitas >= ultimaAvisada && feitas <= total);
            QVERIFY(feitas > ultimaAvisada || feitas == total);
            QCOMPARE(total, int(preparado.paginas.size()));
        }();
        noFim += feitas == total;
        ultimaAvisada = feitas;
        return true;
    });
    QCOMPARE(ultimaAvisada, int(preparado.paginas.size()));
    QVERIFY(noFim > 1);
    QCOMPARE(temporarios(), temporariosAntes);

    const QStringList paginasDoPdf =
        executar(QStringLiteral("pdftotext"), {arquivo, QStringLiteral("-")}).split(u'\f');
    QVERIFY(paginasDoPdf.size() >= preparado.paginas.size());
    for (qsizetype k = 0; k < preparado.paginas.size(); ++k) {
        QStringList clientes;
        const PaginaPreparada pagina = preparado.paginas[k];
        for (const TextoPreparado *t : textosDaPagina(pagina))
            for (const LinhaDeTexto &l : t->linhas)
                if (l.texto.startsWith(u"Cliente "))
                    clientes << l.texto;
        QVERIFY(!clientes.isEmpty());
        for (const QString &cliente : {clientes.first(), clientes.last()})
            QVERIFY2(
                paginasDoPdf[k].contains(QRegularExpression(
                    u"(^|\\n)"_s + QRegularExpression::escape(cliente) + u"(\\n|$)"_s)),
                qPrintable(QStringLiteral("%1 não está na página %2").arg(cliente).arg(k + 1)));
    }

    // Cancelled halfway through the pages, or once they are all drawn and the parts are
    // being joined (the progress standing at its end): no file, and the earlier one kept.
    const QString cancelada = m_dir.filePath(QStringLiteral("cancelada.pdf"));
    QVERIFY_THROWS_EXCEPTION(
        Exportadores::Cancelada,
        Exportadores::pdf(preparado, cancelada, ConfigExportacaoPdf{},
                          [&](int feitas, int total) { return feitas < total / 2; }));
    QVERIFY(!QFile::exists(cancelada));
    QFile anterior(arquivo);
    QVERIFY(anterior.open(QIODevice::ReadOnly));
    const QByteArray antes = anterior.readAll();
    anterior.close();
    for (const int chamadaNoFim : {1, 2, 3}) {
        int vistas = 0;
        QVERIFY_THROWS_EXCEPTION(Exportadores::Cancelada,
                                 Exportadores::pdf(preparado, arquivo, ConfigExportacaoPdf{},
                                                   [&](int feitas, int total) {
                                                       vistas += feitas == total;
                                                       return vistas < chamadaNoFim;
                                                   }));
        QVERIFY(anterior.open(QIODevice::ReadOnly));
        QCOMPARE(anterior.readAll(), antes);
        anterior.close();
    }
    QCOMPARE(temporarios(), temporariosAntes);
}

QTEST_MAIN(TstExportacao)
#include "tst_exportacao.moc"
