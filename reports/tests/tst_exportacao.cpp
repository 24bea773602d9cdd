#include "Dinheiro.h"
#include "Exportadores.h"
#include "FonteEmMemoria.h"
#include "Relatorio.h"
#include "Renderizador.h"

#include <QDate>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString extensoMaisLongo = QStringLiteral(
    "Quatrocentos e Cinqüenta e Quatro Mil, e Quatrocentos e Cinqüenta e Quatro Reais, "
    "e Cinqüenta e Quatro Centavos.");

// The receipt as the receipt window fills it, logo included.
void preencherRecibo(Relatorio &relatorio, const QString &valor = QStringLiteral("454.454,54")) {
    const QList<std::pair<QString, QString>> campos = {{"Valor", valor},
                                                       {"recebi", "Maria das Graças Conceição"},
                                                       {"extenso", extensoMaisLongo},
                                                       {"referente", "Aluguel de março"},
                                                       {"observacoes", "Pago em espécie"},
                                                       {"local", "São Paulo"},
                                                       {"data1", "05 de março de 2011"},
                                                       {"emitente", "José Antônio Ltda"},
                                                       {"cpfcnpjemitente", "12.345.678/0001-95"},
                                                       {"cpfcnpjcliente", "123.456.789-09"}};
    for (const auto &[nome, texto] : campos)
        SetText(FindObject(relatorio, nome), texto);
    QImage logo(200, 100, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter p(&logo);
    p.fillRect(QRect(10, 10, 180, 80), QColor(30, 60, 200));
    p.end();
    SetPicture(FindObject(relatorio, "picture1"), logo);
}

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

// Columns of ink in a band of rows: the left and right ends, or -1.
std::pair<int, int> tinta(const QImage &img, const QRect &regiao) {
    int esquerda = -1, direita = -1;
    const QRect r = regiao.intersected(img.rect());
    for (int x = r.left(); x <= r.right(); ++x) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            if (qGray(img.pixel(x, y)) < 128) {
                if (esquerda < 0)
                    esquerda = x;
                direita = x;
                break;
            }
        }
    }
    return {esquerda, direita};
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
    for (const TextoPreparado *t : textosDaPagina(m_recibo.preparado().paginas.first())) {
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
    const QString info = executar(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), m_pdf});
    QVERIFY2(info.contains(u"FastReport PDF export"), qPrintable(info));
    // The document information as the export settings give it, read back without complaint.
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {m_pdf});
    QVERIFY(pdfinfo.waitForFinished(30000));
    QCOMPARE(pdfinfo.readAllStandardError(), QByteArray());
    const QString documento = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    for (const char *campo :
         {"Title:\\s+frxReport\\n", "Author:\\s+FastReport\\n",
          "Subject:\\s+FastReport PDF export\\n", "Creator:\\s+FastReport\\n", "Pages:\\s+1\\n"})
        QVERIFY2(documento.contains(QRegularExpression(QString::fromLatin1(campo))), campo);
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
    for (const TextoPreparado *t : textosDaPagina(m_recibo.preparado().paginas.first())) {
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
    FonteEmMemoria fonte({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    for (int i = 1; i <= 140; ++i)
        fonte.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                         QVariant::fromValue(Dinheiro::deCentavos(i)), QDate(2011, 3, 5)});
    Relatorio lista(QStringLiteral("recibos_por_periodo"));
    lista.ligarFonte(QStringLiteral("ibqEvento"), &fonte);
    lista.prepararTudo();
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
    FonteEmMemoria fonte({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    for (int i = 1; i <= 70; ++i)
        fonte.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                         QVariant::fromValue(Dinheiro::deCentavos(123450)), QDate(2011, 3, 5)});
    Relatorio lista(QStringLiteral("recibos_por_cliente"));
    lista.ligarFonte(QStringLiteral("ibqEvento"), &fonte);
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
Relatorio *listaCurta(FonteEmMemoria &fonte) {
    fonte = FonteEmMemoria({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    fonte.adicionar({1, QStringLiteral("Ana & Cia <Ltda>"),
                     QVariant::fromValue(Dinheiro::deCentavos(123450)), QDate(2011, 3, 5)});
    fonte.adicionar({2, QStringLiteral("Bento"), QVariant::fromValue(Dinheiro::deCentavos(0)),
                     QDate(2011, 3, 6)});
    fonte.adicionar({3, QStringLiteral("Conceição"), QVariant::fromValue(Dinheiro::deCentavos(777)),
                     QDate(2011, 3, 7)});
    auto *lista = new Relatorio(QStringLiteral("recibos_por_periodo"));
    lista->ligarFonte(QStringLiteral("ibqEvento"), &fonte);
    lista->prepararTudo();
    return lista;
}

} // namespace

void TstExportacao::xlsxTemCelulasENumeros() {
    FonteEmMemoria fonte;
    std::unique_ptr<Relatorio> lista(listaCurta(fonte));
    const QString arquivo = m_dir.filePath(QStringLiteral("lista.xlsx"));
    Exportadores::xlsx(lista->preparado(), arquivo, ConfigExportacaoExcel{});
    const QString folha =
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), arquivo, QStringLiteral("xl/worksheets/sheet1.xml")});
    const QString textos =
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), arquivo, QStringLiteral("xl/sharedStrings.xml")});
    const QString estilos = executar(
        QStringLiteral("unzip"), {QStringLiteral("-p"), arquivo, QStringLiteral("xl/styles.xml")});
    QVERIFY2(folha.contains(u"<v>1234.5</v>"), qPrintable(folha.left(2000)));
    QVERIFY(folha.contains(u"<v>7.77</v>"));
    QVERIFY(folha.contains(u"<v>0</v>"));
    QVERIFY(folha.contains(u"<v>1242.27</v>")); // the total
    QVERIFY(estilos.contains(u"formatCode=\"#,##0.00\""));
    for (const char *t : {"Relatório de Emissão de Recibos por Período", "Recibo Nr.", "Valor R$",
                          "Conceição", "Ana &amp; Cia &lt;Ltda&gt;", "05/03/2011"})
        QVERIFY2(textos.contains(QString::fromUtf8(t)), t);
    // The title spans several columns of the grid: merged.
    QVERIFY(folha.contains(u"<mergeCell "));

    const QString recibo = m_dir.filePath(QStringLiteral("recibo.xlsx"));
    Exportadores::xlsx(m_recibo.preparado(), recibo, ConfigExportacaoExcel{});
    const QString conteudo = executar(QStringLiteral("unzip"), {QStringLiteral("-l"), recibo});
    QVERIFY2(conteudo.contains(u"xl/media/image1.png"), qPrintable(conteudo));
    const QString textosRecibo =
        executar(QStringLiteral("unzip"),
                 {QStringLiteral("-p"), recibo, QStringLiteral("xl/sharedStrings.xml")});
    QVERIFY(textosRecibo.contains(u"Maria das Graças Conceição"));
    QVERIFY(textosRecibo.contains(u"454.454,54"));
}

void TstExportacao::rtfAbreNoLibreOffice() {
    FonteEmMemoria fonte;
    std::unique_ptr<Relatorio> lista(listaCurta(fonte));
    FonteEmMemoria muitas({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    for (int i = 1; i <= 140; ++i)
        muitas.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                          QVariant::fromValue(Dinheiro::deCentavos(i)), QDate(2011, 3, 5)});
    Relatorio longa(QStringLiteral("recibos_por_periodo"));
    longa.ligarFonte(QStringLiteral("ibqEvento"), &muitas);
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
    FonteEmMemoria fonte;
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
                 {QStringLiteral("-p"), arquivo, QStringLiteral("xl/sharedStrings.xml")});
    QCOMPARE(folha.contains(u"<v>1234.5</v>"), !comoTexto);
    QCOMPARE(textos.contains(u"1.234,50"), comoTexto);
    QCOMPARE(folha.contains(u"<mergeCell "), mesclar);
    QVERIFY(textos.contains(u"Conceição"));
}

QTEST_MAIN(TstExportacao)
#include "tst_exportacao.moc"
