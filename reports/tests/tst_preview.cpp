#include "ArquivoRelatorio.h"
#include "Avisador.h"
#include "AvisadorGravador.h"
#include "Dinheiro.h"
#include "ErroSistema.h"
#include "Impressao.h"
#include "OrigemEmMemoria.h"
#include "Preparador.h"
#include "Renderizador.h"
#include "ServicoRelatorio.h"
#include "UNconfigexportacao.h"
#include "UNpreview.h"
#include "VisaoPaginas.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {

std::unique_ptr<OrigemEmMemoria> recibos(int quantidade) {
    auto fonte =
        std::make_unique<OrigemEmMemoria>(QStringList{"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    for (int i = 1; i <= quantidade; ++i)
        fonte->adicionar({i, QStringLiteral("Cliente %1").arg(i),
                          QVariant::fromValue(Dinheiro::deCentavos(i)), QDate(2011, 3, 5)});
    return fonte;
}

// A list report of many rows shown in a preview, as ShowReport does it.
struct Cena {
    std::unique_ptr<OrigemEmMemoria> fonte;
    Relatorio relatorio{QStringLiteral("recibos_por_periodo")};
    ExportacoesRelatorio exportacoes;
    TFRpreview preview;

    explicit Cena(int linhas) : fonte(recibos(linhas)) {
        relatorio.ligarOrigem(QStringLiteral("ibqEvento"), fonte.get());
        auto preparador = std::make_unique<Preparador>(relatorio.layout(), relatorio.origens(),
                                                       relatorio.preparado());
        preparador->continuar(1);
        preview.resize(1000, 800);
        preview.mostrar(&relatorio.preparado(), std::move(preparador), &exportacoes);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
    }
};

int paginaDaLinha(int linha) {
    // 63 rows on the first page, 66 on each later one.
    return linha <= 63 ? 0 : 1 + (linha - 64) / 66;
}

// A receipt's page 30,000 times: long enough to write that a progress window shows
// (it waits a moment).
RelatorioPreparado reciboRepetido() {
    Relatorio recibo(QStringLiteral("recibo_1via"));
    recibo.prepararTudo();
    RelatorioPreparado muitas = recibo.preparado();
    const PaginaPreparada pagina = muitas.paginas.first();
    for (int i = 1; i < 30000; ++i)
        muitas.paginas.push_back(pagina);
    return muitas;
}

// The program's temporary files in the system's folder.
QStringList temporariosDoPrograma() {
    return QDir::temp().entryList({QStringLiteral("talvano-*")}, QDir::Files | QDir::Hidden);
}

// The user waits for a progress window over the preview, reads it and clicks its
// "Cancelar": the preview goes on answering meanwhile, or the timer would never fire.
class UsuarioCancela {
public:
    explicit UsuarioCancela(QWidget &janela) {
        QObject::connect(&m_relogio, &QTimer::timeout, &janela, [this, &janela] {
            auto *progresso = janela.findChild<QProgressDialog *>();
            if (!progresso || !progresso->isVisible())
                return;
            m_lido = progresso->labelText();
            auto *botao = progresso->findChild<QPushButton *>();
            m_botao = botao ? botao->text() : QString();
            if (botao)
                botao->click();
        });
        m_relogio.start(20);
    }
    void parar() { m_relogio.stop(); }
    const QString &lido() const { return m_lido; }
    const QString &botao() const { return m_botao; }

private:
    QTimer m_relogio;
    QString m_lido;
    QString m_botao;
};

} // namespace

class TstPreview : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void barraEmPortugues();
    void listaDeExportacaoNaOrdem();
    void paginasChegamEnquantoAJanelaEstaAberta();
    void navegacao();
    void localizarDestacaOTexto();
    void textoAusente();
    void dezMilPaginas();
    void salvarEAbrir();
    void arquivoRuimNaoMudaNada();
    void exportacoes_data();
    void exportacoes();
    void imprimirSemImpressora();
    void showReportModalMaximizado();
    void configuracoesIniciais_data();
    void configuracoesIniciais();
    void configuracoesGravadas();
    void configurarPaginaMoveOConteudo();
    void erroAntesDaJanelaLancado();
    void exportarPelasJanelas();
    void paineisTelaCheiaEEditar();
    void exportacaoRapidaEmPdf();
    void erroNoMeioDaPreparacao_data();
    void erroNoMeioDaPreparacao();
    void comandoQueEsperaAsPaginasPodeSerCancelado_data();
    void comandoQueEsperaAsPaginasPodeSerCancelado();
    void gravacaoCanceladaNaJanelaDeProgresso_data();
    void gravacaoCanceladaNaJanelaDeProgresso();
    void aberturaCanceladaMantemORelatorio();

private:
    AvisadorGravador m_avisos;
    QTemporaryDir m_dir;
};

void TstPreview::init() {
    m_avisos.limpar();
    Avisador::instalar(&m_avisos);
}

void TstPreview::cleanup() {
    Avisador::instalar(nullptr);
}

void TstPreview::barraEmPortugues() {
    Cena c(10);
    const QStringList esperadas = {
        "acImprimir",         "acAbrir",         "acSalvar",    "acPdfRapido", "acLocalizar",
        "acAmpliar",          "acPaginaInteira", "acTelaCheia", "acSumario",   "acMiniaturas",
        "acConfigurarPagina", "acEditar",        "acPrimeira",  "acAnterior",  "acProxima",
        "acUltima",           "acFechar"};
    for (const QString &nome : esperadas) {
        QAction *a = c.preview.acao(nome);
        QVERIFY2(a, qPrintable(nome));
        QVERIFY2(!a->icon().isNull() && !a->icon().pixmap(24).isNull(), qPrintable(nome));
        QVERIFY(!a->toolTip().isEmpty());
        QVERIFY2(c.preview.barra()->actions().contains(a), qPrintable(nome));
    }
    QCOMPARE(c.preview.acao("acImprimir")->toolTip(), QStringLiteral("Imprimir"));
    QCOMPARE(c.preview.acao("acUltima")->toolTip(), QStringLiteral("Última página"));
    QCOMPARE(c.preview.barra()->toolButtonStyle(), Qt::ToolButtonIconOnly);
    QCOMPARE(c.preview.listaZoom()->currentText(), QStringLiteral("100%"));
}

void TstPreview::listaDeExportacaoNaOrdem() {
    Cena c(10);
    QStringList textos;
    for (QAction *a : c.preview.botaoExportar()->menu()->actions())
        textos << a->text();
    QCOMPARE(textos, (QStringList{"Documento PDF...", "Pasta de trabalho do Excel...",
                                  "Documento RTF (texto formatado)...", "Imagem JPEG...",
                                  "Imagem BMP..."}));
}

void TstPreview::paginasChegamEnquantoAJanelaEstaAberta() {
    Cena c(2000 * 66);
    QVERIFY(c.preview.preparando());
    QVERIFY(c.preview.paginasProntas() >= 1);
    QVERIFY(c.preview.visao()->quantidade() < 2000);
    // The user pages on while the rest is prepared.
    QTRY_VERIFY_WITH_TIMEOUT(c.preview.paginasProntas() >= 3, 60000);
    QVERIFY(c.preview.preparando());
    c.preview.proximaPagina();
    c.preview.proximaPagina();
    QCOMPARE(c.preview.visao()->paginaAtual(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!c.preview.preparando(), 600000);
    QCOMPARE(c.preview.paginasProntas(), 2001);
    QCOMPARE(c.preview.visao()->quantidade(), 2001);
    QVERIFY(c.preview.findChild<QLabel *>("lbStatus")->text().startsWith(u"Página 3 de 2001"));
}

void TstPreview::navegacao() {
    Cena c(63 + 66 * 4 + 10);
    c.preview.concluirPreparo();
    QCOMPARE(c.preview.paginasProntas(), 6);
    c.preview.ultimaPagina();
    QCOMPARE(c.preview.visao()->paginaAtual(), 5);
    QCOMPARE(c.preview.numeroPagina()->text(), QStringLiteral("6"));
    c.preview.paginaAnterior();
    QCOMPARE(c.preview.visao()->paginaAtual(), 4);
    c.preview.primeiraPagina();
    QCOMPARE(c.preview.visao()->paginaAtual(), 0);
    c.preview.numeroPagina()->setText(QStringLiteral("4"));
    QTest::keyClick(c.preview.numeroPagina(), Qt::Key_Return);
    QCOMPARE(c.preview.visao()->paginaAtual(), 3);
    c.preview.paginaInteira();
    QVERIFY(c.preview.visao()->zoom() < 1.0);
    QCOMPARE(c.preview.visao()->paginaAtual(), 3);
    c.preview.visao()->setFocus();
    QTest::keyClick(c.preview.visao(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(c.preview.visao()->paginaAtual(), 5);
    QTest::keyClick(c.preview.visao(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(c.preview.visao()->paginaAtual(), 4);
    c.preview.ampliar();
    QVERIFY(c.preview.listaZoom()->currentText().endsWith(u'%'));
}

void TstPreview::localizarDestacaOTexto() {
    Cena c(1000);
    QVERIFY(c.preview.localizarTexto(QStringLiteral("cliente 500")));
    QCOMPARE(c.preview.ultimoAchado()->pagina, paginaDaLinha(500));
    QCOMPARE(c.preview.visao()->paginaAtual(), paginaDaLinha(500));
    // Found again further on: "Cliente 500" is only once, so the search goes round to it.
    QVERIFY(c.preview.localizarTexto(QStringLiteral("cliente 99")));
    const int primeira = c.preview.ultimoAchado()->pagina;
    QVERIFY(c.preview.localizarTexto(QStringLiteral("cliente 99")));
    QVERIFY(c.preview.ultimoAchado()->pagina > primeira); // Cliente 99, then Cliente 990...
    QVERIFY(c.preview.ultimoAchado()->area.width() > 10);
    c.preview.visao()->viewport()->repaint();
    QVERIFY(c.preview.visao()->ultimasPintadas().contains(c.preview.ultimoAchado()->pagina));
}

void TstPreview::textoAusente() {
    Cena c(200);
    QVERIFY(!c.preview.localizarTexto(QStringLiteral("Fulano")));
    QCOMPARE(m_avisos.eventos().size(), 1);
    QCOMPARE(m_avisos.eventos().first().texto,
             QStringLiteral("O texto \"Fulano\" não foi encontrado."));
}

void TstPreview::dezMilPaginas() {
    Relatorio recibo(QStringLiteral("recibo_1via"));
    recibo.prepararTudo();
    RelatorioPreparado muitas = recibo.preparado();
    const PaginaPreparada pagina = muitas.paginas.first();
    muitas.paginas.reserve(10000);
    for (int i = 1; i < 10000; ++i)
        muitas.paginas.push_back(pagina);
    TFRpreview preview;
    preview.resize(1000, 800);
    preview.mostrar(&muitas, nullptr, nullptr);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    preview.ultimaPagina();
    preview.visao()->viewport()->repaint();
    QCOMPARE(preview.visao()->paginaAtual(), 9999);
    const QList<int> pintadas = preview.visao()->ultimasPintadas();
    QVERIFY(!pintadas.isEmpty() && pintadas.size() <= 3);
    QVERIFY(pintadas.contains(9999));
}

void TstPreview::salvarEAbrir() {
    Cena c(150);
    const QString arquivo = m_dir.filePath(QStringLiteral("lista.trp"));
    QVERIFY(c.preview.salvarEm(arquivo));
    const RelatorioPreparado original = c.relatorio.preparado();
    Cena outra(5);
    QVERIFY(outra.preview.abrirArquivo(arquivo));
    QCOMPARE(outra.preview.relatorio()->paginas, original.paginas);
    QCOMPARE(outra.preview.visao()->quantidade(), 3);
    QVERIFY(m_avisos.eventos().isEmpty());
}

void TstPreview::arquivoRuimNaoMudaNada() {
    Cena c(150);
    c.preview.concluirPreparo();
    const QString arquivo = m_dir.filePath(QStringLiteral("ruim.trp"));
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("isto não é um relatório");
    f.close();
    const RelatorioPreparado *antes = c.preview.relatorio();
    QVERIFY(!c.preview.abrirArquivo(arquivo));
    QCOMPARE(c.preview.relatorio(), antes);
    QCOMPARE(c.preview.visao()->quantidade(), 3);
    QCOMPARE(m_avisos.eventos().size(), 1);
    QCOMPARE(m_avisos.eventos().first().tipo, AvisadorGravador::Evento::Erro);
    QVERIFY(m_avisos.eventos().first().texto.contains(u"não é um relatório salvo"));
}

void TstPreview::exportacoes_data() {
    QTest::addColumn<FormatoExportacao>("formato");
    QTest::addColumn<QString>("arquivo");
    QTest::addColumn<QStringList>("esperados");
    QTest::newRow("PDF") << FormatoExportacao::Pdf << "l.pdf" << QStringList{"l.pdf"};
    QTest::newRow("Excel") << FormatoExportacao::Excel << "l.xlsx" << QStringList{"l.xlsx"};
    QTest::newRow("RTF") << FormatoExportacao::Rtf << "l.rtf" << QStringList{"l.rtf"};
    QTest::newRow("JPEG") << FormatoExportacao::Jpeg << "l.jpg"
                          << QStringList{"l.jpg", "l_2.jpg", "l_3.jpg"};
    QTest::newRow("BMP") << FormatoExportacao::Bmp << "l.bmp"
                         << QStringList{"l.bmp", "l_2.bmp", "l_3.bmp"};
}

void TstPreview::exportacoes() {
    QFETCH(FormatoExportacao, formato);
    QFETCH(QString, arquivo);
    QFETCH(QStringList, esperados);
    Cena c(150);
    QTemporaryDir dir;
    QVERIFY(c.preview.exportarPara(formato, dir.filePath(arquivo)));
    QVERIFY(!c.preview.preparando());
    for (const QString &e : esperados)
        QVERIFY2(QFile::exists(dir.filePath(e)), qPrintable(e));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("l_4") + arquivo.mid(1))));
    QVERIFY(m_avisos.eventos().isEmpty());
}

void TstPreview::imprimirSemImpressora() {
    if (Impressao::haImpressora())
        QSKIP("há impressoras instaladas nesta máquina");
    Cena c(10);
    c.preview.imprimir();
    // The quick layout's direct print says the same instead of writing a file somewhere.
    Relatorio rapido(QStringLiteral("recibo_rapido"));
    Print(rapido);
    QCOMPARE(m_avisos.eventos().size(), 2);
    for (const AvisadorGravador::Evento &e : m_avisos.eventos()) {
        QCOMPARE(e.tipo, AvisadorGravador::Evento::Mensagem);
        QCOMPARE(e.texto, Impressao::semImpressora);
    }
}

void TstPreview::showReportModalMaximizado() {
    auto fonte = recibos(5000);
    Relatorio relatorio(QStringLiteral("recibos_por_periodo"));
    relatorio.ligarOrigem(QStringLiteral("ibqEvento"), fonte.get());
    ExportacoesRelatorio exportacoes;
    bool vista = false;
    QTimer::singleShot(0, [&] {
        auto *preview = qobject_cast<TFRpreview *>(QApplication::activeModalWidget());
        QVERIFY(preview);
        vista = preview->isModal() && (preview->windowState() & Qt::WindowMaximized) &&
                qFuzzyCompare(preview->visao()->zoom(), 1.0) && preview->paginasProntas() >= 1;
        preview->close();
    });
    ShowReport(relatorio, exportacoes);
    QVERIFY(vista);
    // The standard windows it opens (files, printing) speak Portuguese.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
    QCOMPARE(QCoreApplication::translate("QPrintDialog", "Print"), QStringLiteral("Imprimir"));
    // Closed before the end: the pages made so far stay with the layout.
    QVERIFY(!relatorio.preparado().paginas.isEmpty());
}

void TstPreview::configuracoesIniciais_data() {
    QTest::addColumn<FormatoExportacao>("formato");
    QTest::addColumn<QString>("controle");
    QTest::addColumn<QVariant>("valor");
    using F = FormatoExportacao;
    QTest::newRow("PDF compactado") << F::Pdf << "cbPdfCompactado" << QVariant(true);
    QTest::newRow("PDF fontes embutidas") << F::Pdf << "cbPdfFontesEmbutidas" << QVariant(false);
    QTest::newRow("PDF tags HTML") << F::Pdf << "cbPdfTagsHtml" << QVariant(true);
    // Empty: the document names the issuer, the report's title and this program itself.
    QTest::newRow("PDF autor") << F::Pdf << "edPdfAutor" << QVariant(QString());
    QTest::newRow("PDF assunto") << F::Pdf << "edPdfAssunto" << QVariant(QString());
    QTest::newRow("PDF anotar") << F::Pdf << "cbPdfAnotar" << QVariant(true);
    QTest::newRow("PDF centralizar") << F::Pdf << "cbPdfCentralizarJanela" << QVariant(false);
    QTest::newRow("Excel células como texto")
        << F::Excel << "cbExcelCelulasTexto" << QVariant(false);
    QTest::newRow("Excel mesclar") << F::Excel << "cbExcelMesclarCelulas" << QVariant(true);
    QTest::newRow("Excel suprimir") << F::Excel << "cbExcelSuprimirCabecalhos" << QVariant(false);
    QTest::newRow("RTF criador") << F::Rtf << "edRtfCriador" << QVariant(QString());
    QTest::newRow("RTF tamanho automático")
        << F::Rtf << "cbRtfTamanhoAutomatico" << QVariant(false);
    QTest::newRow("RTF modo") << F::Rtf << "cbxRtfModo" << QVariant(0);
    QTest::newRow("JPEG qualidade") << F::Jpeg << "spJpegQualidade" << QVariant(90);
    QTest::newRow("JPEG resolução") << F::Jpeg << "spJpegResolucao" << QVariant(96);
    QTest::newRow("JPEG um por página") << F::Jpeg << "cbJpegArquivoPorPagina" << QVariant(true);
    QTest::newRow("JPEG monocromático") << F::Jpeg << "cbJpegMonocromatico" << QVariant(false);
    QTest::newRow("BMP resolução") << F::Bmp << "spBmpResolucao" << QVariant(96);
    QTest::newRow("BMP cortar") << F::Bmp << "cbBmpCortar" << QVariant(false);
}

void TstPreview::configuracoesIniciais() {
    QFETCH(FormatoExportacao, formato);
    QFETCH(QString, controle);
    QFETCH(QVariant, valor);
    ExportacoesRelatorio config;
    TFRconfigexportacao janela(formato, config);
    QWidget *w = janela.findChild<QWidget *>(controle);
    QVERIFY(w);
    QVERIFY(w->isVisibleTo(&janela));
    if (auto *cb = qobject_cast<QCheckBox *>(w))
        QCOMPARE(cb->isChecked(), valor.toBool());
    else if (auto *ed = qobject_cast<QLineEdit *>(w))
        QCOMPARE(ed->text(), valor.toString());
    else if (auto *sp = qobject_cast<QSpinBox *>(w))
        QCOMPARE(sp->value(), valor.toInt());
    else if (auto *cbx = qobject_cast<QComboBox *>(w))
        QCOMPARE(cbx->currentIndex(), valor.toInt());
    else
        QFAIL("controle de tipo inesperado");
}

void TstPreview::configuracoesGravadas() {
    ExportacoesRelatorio config;
    TFRconfigexportacao janela(FormatoExportacao::Jpeg, config);
    janela.findChild<QSpinBox *>("spJpegQualidade")->setValue(70);
    janela.findChild<QCheckBox *>("cbJpegMonocromatico")->setChecked(true);
    QCOMPARE(config.jpeg.qualidade, 90); // nothing changes until OK
    janela.gravar();
    QCOMPARE(config.jpeg.qualidade, 70);
    QVERIFY(config.jpeg.monocromatico);
    QCOMPARE(config.pdf.autor, QString());
}

namespace {

// The first column and the first row with ink.
QPoint cantoDaTinta(const QImage &img) {
    int x0 = img.width(), y0 = img.height();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                x0 = qMin(x0, x);
                y0 = qMin(y0, y);
            }
    return {x0, y0};
}

} // namespace

void TstPreview::configurarPaginaMoveOConteudo() {
    Relatorio recibo(QStringLiteral("recibo_1via"));
    recibo.prepararTudo();
    TFRpreview preview;
    preview.mostrar(&recibo.preparado(), nullptr, nullptr);
    const QPoint antes = cantoDaTinta(Renderizador::imagem(recibo.preparado(), 0, 96));
    // The receipt has no margins: 20 mm left and 10 mm top move everything by that much.
    preview.aplicarPagina(QSizeF(210, 297), false, QMarginsF(20, 10, 0, 0));
    const QPoint depois = cantoDaTinta(Renderizador::imagem(recibo.preparado(), 0, 96));
    QVERIFY2(qAbs(depois.x() - antes.x() - 76) <= 1 && qAbs(depois.y() - antes.y() - 38) <= 1,
             qPrintable(QStringLiteral("%1,%2 -> %3,%4")
                            .arg(antes.x())
                            .arg(antes.y())
                            .arg(depois.x())
                            .arg(depois.y())));
    // Landscape with the same margins: new paper, content where it was.
    preview.aplicarPagina(QSizeF(210, 297), true, QMarginsF(20, 10, 0, 0));
    const PaginaPreparada &p = recibo.preparado().paginas.first();
    QVERIFY(p.paisagem);
    QCOMPARE(p.larguraMm, 297.0);
    QCOMPARE(p.deslocamentoMm, QPointF(20, 10));
    QCOMPARE(Renderizador::imagem(recibo.preparado(), 0, 96).size(), QSize(1123, 794));
}

void TstPreview::erroAntesDaJanelaLancado() {
    // A list report whose dataset was not linked: the error reaches the caller.
    Relatorio relatorio(QStringLiteral("clientes"));
    ExportacoesRelatorio exportacoes;
    QVERIFY_THROWS_EXCEPTION(ErroSistema, ShowReport(relatorio, exportacoes));
    QVERIFY(!QApplication::activeModalWidget());
}

void TstPreview::exportarPelasJanelas() {
    Cena c(10);
    QTemporaryDir dir;
    const QString arquivo = dir.filePath(QStringLiteral("pelas_janelas"));
    bool viuConfiguracao = false, viuArquivo = false;
    QTimer::singleShot(0, [&] {
        auto *config = qobject_cast<TFRconfigexportacao *>(QApplication::activeModalWidget());
        if (!config)
            return;
        viuConfiguracao = config->windowTitle() == u"Exportar para JPEG";
        config->findChild<QSpinBox *>("spJpegQualidade")->setValue(50);
        QTimer::singleShot(0, [&] {
            auto *dlg = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            viuArquivo = dlg->selectedFiles().value(0).endsWith(u"relatorio.jpg");
            dlg->selectFile(arquivo);
            static_cast<QDialog *>(dlg)->accept();
        });
        config->findChild<QPushButton *>("btOk")->click();
    });
    c.preview.exportar(FormatoExportacao::Jpeg);
    QVERIFY(viuConfiguracao);
    QVERIFY(viuArquivo); // the save window proposes the format's extension
    QVERIFY(QFile::exists(arquivo + QStringLiteral(".jpg")));
    // What the settings window changed held for this export only.
    QCOMPARE(c.exportacoes.jpeg.qualidade, 90);
    QVERIFY(m_avisos.eventos().isEmpty());
}

void TstPreview::paineisTelaCheiaEEditar() {
    Cena c(63 + 66 + 10);
    c.preview.concluirPreparo();
    auto *painel = c.preview.findChild<QStackedWidget *>("painelLateral");
    auto *miniaturas = c.preview.findChild<QListView *>("listaMiniaturas");
    auto *sumario = c.preview.findChild<QTreeWidget *>("arvoreSumario");
    QVERIFY(!painel->isVisible());
    c.preview.alternarMiniaturas();
    QVERIFY(painel->isVisible());
    QCOMPARE(painel->currentWidget(), miniaturas);
    QCOMPARE(miniaturas->model()->rowCount(), 3);
    QVERIFY(
        !miniaturas->model()->data(miniaturas->model()->index(2, 0), Qt::DecorationRole).isNull());
    c.preview.alternarSumario();
    QCOMPARE(painel->currentWidget(), sumario);
    QCOMPARE(sumario->topLevelItemCount(), 0); // these layouts have no outline
    c.preview.alternarSumario();
    QVERIFY(!painel->isVisible());

    c.preview.telaCheia();
    QVERIFY(c.preview.windowState() & Qt::WindowFullScreen);
    c.preview.telaCheia();
    QVERIFY(!(c.preview.windowState() & Qt::WindowFullScreen));

    const QList<PaginaPreparada> antes = c.relatorio.preparado().paginas;
    c.preview.editar();
    QCOMPARE(c.relatorio.preparado().paginas, antes);
}

void TstPreview::exportacaoRapidaEmPdf() {
    Cena c(100);
    QTemporaryDir dir;
    const QString arquivo = dir.filePath(QStringLiteral("rapida"));
    bool semConfiguracao = false;
    QTimer::singleShot(0, [&] {
        // Straight to the file window: no settings window comes first.
        auto *dlg = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        semConfiguracao = true;
        dlg->selectFile(arquivo);
        static_cast<QDialog *>(dlg)->accept();
    });
    c.preview.exportarPdfRapido();
    QVERIFY(semConfiguracao);
    QVERIFY(QFile::exists(arquivo + QStringLiteral(".pdf")));
}

namespace {

// A query whose reading fails after some rows, as a lost database connection would.
class OrigemQueFalha : public OrigemEmMemoria {
public:
    using OrigemEmMemoria::OrigemEmMemoria;
    bool proxima() override {
        if (++m_lidas == 3000)
            throw ErroSistema(QStringLiteral("conexão perdida"));
        return OrigemEmMemoria::proxima();
    }

private:
    int m_lidas = 0;
};

} // namespace

void TstPreview::erroNoMeioDaPreparacao_data() {
    QTest::addColumn<bool>("salvarLogo");
    QTest::newRow("enquanto a janela prepara") << false;
    // Saving asks for the remaining pages at once: the save stops, the pages stay.
    QTest::newRow("ao salvar") << true;
}

void TstPreview::erroNoMeioDaPreparacao() {
    QFETCH(bool, salvarLogo);
    OrigemQueFalha fonte({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    for (int i = 1; i <= 10000; ++i)
        fonte.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                         QVariant::fromValue(Dinheiro::deCentavos(i)), QDate(2011, 3, 5)});
    Relatorio relatorio(QStringLiteral("recibos_por_periodo"));
    relatorio.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
    auto preparador = std::make_unique<Preparador>(relatorio.layout(), relatorio.origens(),
                                                   relatorio.preparado());
    preparador->continuar(1);
    TFRpreview preview;
    preview.mostrar(&relatorio.preparado(), std::move(preparador), nullptr);
    const QString salvo = m_dir.filePath(QStringLiteral("parcial.trp"));
    if (salvarLogo)
        QVERIFY(!preview.salvarEm(salvo));
    QTRY_VERIFY_WITH_TIMEOUT(!preview.preparando(), 60000);
    QVERIFY(!QFile::exists(salvo));
    // Told once, in the report service's own box; the pages made so far stay.
    QCOMPARE(m_avisos.eventos().size(), 1);
    QCOMPARE(m_avisos.eventos().first().tipo, AvisadorGravador::Evento::Erro);
    QCOMPARE(m_avisos.eventos().first().texto, QStringLiteral("conexão perdida"));
    QVERIFY(preview.paginasProntas() >= 40);
    QCOMPARE(preview.visao()->quantidade(), preview.paginasProntas());
    preview.ultimaPagina();
    // The pages made so far never pass for the whole report: the status line says it is
    // incomplete, and it is neither written nor printed.
    QVERIFY(preview.incompleto());
    const QString status = preview.findChild<QLabel *>(QStringLiteral("lbStatus"))->text();
    QVERIFY2(status.contains(u"INCOMPLETO"), qPrintable(status));
    m_avisos.limpar();
    QTemporaryDir dir;
    QVERIFY(
        !preview.exportarPara(FormatoExportacao::Pdf, dir.filePath(QStringLiteral("parcial.pdf"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("parcial.pdf"))));
    QCOMPARE(m_avisos.eventos().size(), 1);
    QVERIFY2(m_avisos.eventos().first().texto.startsWith(u"Este relatório está incompleto"),
             qPrintable(m_avisos.eventos().first().texto));
}

enum class Comando { Salvar, Exportar, Localizar, ConfigurarPagina };
Q_DECLARE_METATYPE(Comando)

void TstPreview::comandoQueEsperaAsPaginasPodeSerCancelado_data() {
    QTest::addColumn<Comando>("comando");
    QTest::newRow("salvar") << Comando::Salvar;
    QTest::newRow("exportar") << Comando::Exportar;
    QTest::newRow("localizar um texto que falta") << Comando::Localizar;
    QTest::newRow("configurar a página") << Comando::ConfigurarPagina;
}

void TstPreview::comandoQueEsperaAsPaginasPodeSerCancelado() {
    QFETCH(Comando, comando);
    Cena c(2000 * 66);
    const QString arquivo = m_dir.filePath(QStringLiteral("cancelado"));
    UsuarioCancela usuario(c.preview);
    bool feito = true;
    switch (comando) {
    case Comando::Salvar:
        feito = c.preview.salvarEm(arquivo);
        break;
    case Comando::Exportar:
        feito = c.preview.exportarPara(FormatoExportacao::Pdf, arquivo);
        break;
    case Comando::Localizar:
        feito = c.preview.localizarTexto(QStringLiteral("Fulano"));
        break;
    case Comando::ConfigurarPagina:
        c.preview.aplicarPagina(QSizeF(210, 297), true, QMarginsF(10, 10, 10, 10));
        feito = c.preview.relatorio()->paginas.cabecalho(0).paisagem;
        break;
    }
    usuario.parar();
    QVERIFY(!feito);
    QVERIFY2(usuario.lido().startsWith(u"Preparando as páginas: "), qPrintable(usuario.lido()));
    QVERIFY(!QFile::exists(arquivo));
    QVERIFY(m_avisos.eventos().isEmpty());
    // Cancelling gives up the command, not the report: the pages keep coming.
    QVERIFY(c.preview.preparando());
    const int prontas = c.preview.paginasProntas();
    QVERIFY(prontas > 1);
    QCOMPARE(c.preview.visao()->quantidade(), prontas);
    QTRY_VERIFY_WITH_TIMEOUT(c.preview.paginasProntas() > prontas, 60000);
}

void TstPreview::gravacaoCanceladaNaJanelaDeProgresso_data() {
    QTest::addColumn<int>("formato"); // -1: Salvar
    QTest::addColumn<QString>("arquivo");
    QTest::addColumn<QString>("texto");
    QTest::newRow("salvar") << -1 << "r.trp"
                            << "Salvando...";
    QTest::newRow("PDF") << int(FormatoExportacao::Pdf) << "r.pdf"
                         << "Exportando...";
    QTest::newRow("Excel") << int(FormatoExportacao::Excel) << "r.xlsx"
                           << "Exportando...";
    QTest::newRow("RTF") << int(FormatoExportacao::Rtf) << "r.rtf"
                         << "Exportando...";
    QTest::newRow("JPEG") << int(FormatoExportacao::Jpeg) << "r.jpg"
                          << "Exportando...";
    QTest::newRow("BMP") << int(FormatoExportacao::Bmp) << "r.bmp"
                         << "Exportando...";
}

// A long export or save shows its progress with a "Cancelar" that stops it: the
// file of the same name stays as it was, nothing else lands in the folder, and
// no message: the user asked for it.
void TstPreview::gravacaoCanceladaNaJanelaDeProgresso() {
    QFETCH(int, formato);
    QFETCH(QString, arquivo);
    QFETCH(QString, texto);
    RelatorioPreparado muitas = reciboRepetido();
    TFRpreview preview;
    preview.resize(1000, 800);
    preview.mostrar(&muitas, nullptr, nullptr);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));

    QTemporaryDir dir;
    const QString caminho = dir.filePath(arquivo);
    QFile anterior(caminho);
    QVERIFY(anterior.open(QIODevice::WriteOnly));
    anterior.write("arquivo anterior");
    anterior.close();

    const QStringList temporariosAntes = temporariosDoPrograma();
    UsuarioCancela usuario(preview);
    const bool feito = formato < 0 ? preview.salvarEm(caminho)
                                   : preview.exportarPara(FormatoExportacao(formato), caminho);
    usuario.parar();
    QVERIFY(!feito);
    QCOMPARE(usuario.lido(), texto);
    QCOMPARE(usuario.botao(), QStringLiteral("Cancelar"));
    QVERIFY(m_avisos.eventos().isEmpty());
    QVERIFY(preview.findChild<QLabel *>(QStringLiteral("lbStatus"))->text().contains(u"cancelada"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{arquivo});
    QCOMPARE(temporariosDoPrograma(), temporariosAntes);
    QVERIFY(anterior.open(QIODevice::ReadOnly));
    QCOMPARE(anterior.readAll(), QByteArray("arquivo anterior"));
    anterior.close();

    // Once a later save is done whole, the status line no longer speaks of the cancel.
    QVERIFY(preview.salvarEm(dir.filePath(QStringLiteral("depois.trp"))));
    QVERIFY(
        !preview.findChild<QLabel *>(QStringLiteral("lbStatus"))->text().contains(u"cancelada"));
}

// Opening a long saved report can be given up too: the report shown stays.
void TstPreview::aberturaCanceladaMantemORelatorio() {
    RelatorioPreparado muitas = reciboRepetido();
    const QString arquivo = m_dir.filePath(QStringLiteral("longo.trp"));
    ArquivoRelatorio::gravar(muitas, arquivo);

    Cena c(150);
    c.preview.concluirPreparo();
    const RelatorioPreparado *antes = c.preview.relatorio();
    UsuarioCancela usuario(c.preview);
    const bool aberto = c.preview.abrirArquivo(arquivo);
    usuario.parar();
    QVERIFY(!aberto);
    QCOMPARE(usuario.lido(), QStringLiteral("Abrindo..."));
    QCOMPARE(c.preview.relatorio(), antes);
    QCOMPARE(c.preview.visao()->quantidade(), 3);
    QVERIFY(m_avisos.eventos().isEmpty());
    QVERIFY(
        c.preview.findChild<QLabel *>(QStringLiteral("lbStatus"))->text().contains(u"cancelada"));
}

QTEST_MAIN(TstPreview)
#include "tst_preview.moc"
