#include "UNconfigexportacao.h"

#include "Exportadores.h"
#include "ui_UNconfigexportacao.h"

#include "ConfigExportacao.h"
#include "Janela.h"
#include "UNpreview.h"

TFRconfigexportacao::TFRconfigexportacao(FormatoExportacao formato,
                                         ExportacoesRelatorio &configuracoes, QWidget *pai)
    : QDialog(pai), ui(std::make_unique<Ui::TFRconfigexportacao>()), m_formato(formato),
      m_config(configuracoes) {
    ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    static const char *titulos[] = {"Exportar para PDF", "Exportar para o Excel",
                                    "Exportar para RTF", "Exportar para JPEG", "Exportar para BMP"};
    setWindowTitle(QString::fromUtf8(titulos[int(formato)]));
    ui->paginas->setCurrentIndex(int(formato));
    connect(ui->btOk, &QPushButton::clicked, this, &TFRconfigexportacao::BTokClick);
    connect(ui->btCancelar, &QPushButton::clicked, this, &QDialog::reject);
    carregar();
}

TFRconfigexportacao::~TFRconfigexportacao() = default;

void TFRconfigexportacao::carregar() {
    const ConfigExportacaoPdf &p = m_config.pdf;
    ui->cbPdfCompactado->setChecked(p.compactado);
    ui->cbPdfFontesEmbutidas->setChecked(p.fontesEmbutidas);
    ui->cbPdfOtimizado->setChecked(p.otimizadoParaImpressao);
    ui->cbPdfSumario->setChecked(p.sumario);
    ui->cbPdfFundo->setChecked(p.fundo);
    ui->cbPdfTagsHtml->setChecked(p.tagsHtml);
    ui->edPdfAutor->setText(p.autor);
    ui->edPdfAssunto->setText(p.assunto);
    ui->edPdfCriador->setText(p.criador);
    // Left empty, the document says who made it on its own.
    ui->edPdfAutor->setPlaceholderText(QStringLiteral("(o emitente)"));
    ui->edPdfAssunto->setPlaceholderText(QStringLiteral("(o título do relatório)"));
    ui->edPdfCriador->setPlaceholderText(Exportadores::programa());
    ui->edPdfSenhaDono->setText(p.senhaDono);
    ui->edPdfSenhaUsuario->setText(p.senhaUsuario);
    ui->cbPdfImprimir->setChecked(p.permitirImprimir);
    ui->cbPdfModificar->setChecked(p.permitirModificar);
    ui->cbPdfCopiar->setChecked(p.permitirCopiar);
    ui->cbPdfAnotar->setChecked(p.permitirAnotar);
    ui->cbPdfOcultarBarraFerramentas->setChecked(p.ocultarBarraDeFerramentas);
    ui->cbPdfOcultarBarraMenus->setChecked(p.ocultarBarraDeMenus);
    ui->cbPdfOcultarInterface->setChecked(p.ocultarInterface);
    ui->cbPdfAjustarJanela->setChecked(p.ajustarJanela);
    ui->cbPdfCentralizarJanela->setChecked(p.centralizarJanela);
    ui->cbPdfEscalaImpressao->setChecked(p.escalaDeImpressao);

    const ConfigExportacaoExcel &x = m_config.excel;
    ui->cbExcelFigurasMetarquivo->setChecked(x.figurasComoMetarquivo);
    ui->cbExcelCelulasTexto->setChecked(x.celulasComoTexto);
    ui->cbExcelFundo->setChecked(x.fundo);
    ui->cbExcelRapida->setChecked(x.exportacaoRapida);
    ui->cbExcelQuebrasPagina->setChecked(x.quebrasDePagina);
    ui->cbExcelLinhasVazias->setChecked(x.linhasVazias);
    ui->cbExcelSuprimirCabecalhos->setChecked(x.suprimirCabecalhosERodapes);
    ui->cbExcelMesclarCelulas->setChecked(x.mesclarCelulas);
    ui->cbExcelEstilos->setChecked(x.estilos);
    ui->cbExcelFiguras->setChecked(x.figuras);
    ui->cbExcelWysiwyg->setChecked(x.wysiwyg);

    const ConfigExportacaoRtf &r = m_config.rtf;
    ui->cbRtfFigurasMetarquivo->setChecked(r.figurasComoMetarquivo);
    ui->cbRtfWysiwyg->setChecked(r.wysiwyg);
    ui->edRtfCriador->setText(r.criador);
    ui->edRtfCriador->setPlaceholderText(Exportadores::programa());
    ui->cbRtfSuprimirCabecalhos->setChecked(r.suprimirCabecalhosERodapes);
    ui->cbxRtfModo->setCurrentIndex(int(r.modoCabecalho));
    ui->cbRtfTamanhoAutomatico->setChecked(r.tamanhoAutomatico);
    ui->cbRtfQuebrasPagina->setChecked(r.quebrasDePagina);
    ui->cbRtfFiguras->setChecked(r.figuras);

    ui->spJpegQualidade->setValue(m_config.jpeg.qualidade);
    ui->spJpegResolucao->setValue(m_config.jpeg.resolucao);
    ui->cbJpegArquivoPorPagina->setChecked(m_config.jpeg.arquivoPorPagina);
    ui->cbJpegCortar->setChecked(m_config.jpeg.cortarPaginas);
    ui->cbJpegMonocromatico->setChecked(m_config.jpeg.monocromatico);

    ui->spBmpResolucao->setValue(m_config.bmp.resolucao);
    ui->cbBmpArquivoPorPagina->setChecked(m_config.bmp.arquivoPorPagina);
    ui->cbBmpCortar->setChecked(m_config.bmp.cortarPaginas);
    ui->cbBmpMonocromatico->setChecked(m_config.bmp.monocromatico);
}

void TFRconfigexportacao::gravar() {
    ConfigExportacaoPdf &p = m_config.pdf;
    p.compactado = ui->cbPdfCompactado->isChecked();
    p.fontesEmbutidas = ui->cbPdfFontesEmbutidas->isChecked();
    p.otimizadoParaImpressao = ui->cbPdfOtimizado->isChecked();
    p.sumario = ui->cbPdfSumario->isChecked();
    p.fundo = ui->cbPdfFundo->isChecked();
    p.tagsHtml = ui->cbPdfTagsHtml->isChecked();
    p.autor = ui->edPdfAutor->text();
    p.assunto = ui->edPdfAssunto->text();
    p.criador = ui->edPdfCriador->text();
    p.senhaDono = ui->edPdfSenhaDono->text();
    p.senhaUsuario = ui->edPdfSenhaUsuario->text();
    p.permitirImprimir = ui->cbPdfImprimir->isChecked();
    p.permitirModificar = ui->cbPdfModificar->isChecked();
    p.permitirCopiar = ui->cbPdfCopiar->isChecked();
    p.permitirAnotar = ui->cbPdfAnotar->isChecked();
    p.ocultarBarraDeFerramentas = ui->cbPdfOcultarBarraFerramentas->isChecked();
    p.ocultarBarraDeMenus = ui->cbPdfOcultarBarraMenus->isChecked();
    p.ocultarInterface = ui->cbPdfOcultarInterface->isChecked();
    p.ajustarJanela = ui->cbPdfAjustarJanela->isChecked();
    p.centralizarJanela = ui->cbPdfCentralizarJanela->isChecked();
    p.escalaDeImpressao = ui->cbPdfEscalaImpressao->isChecked();

    ConfigExportacaoExcel &x = m_config.excel;
    x.figurasComoMetarquivo = ui->cbExcelFigurasMetarquivo->isChecked();
    x.celulasComoTexto = ui->cbExcelCelulasTexto->isChecked();
    x.fundo = ui->cbExcelFundo->isChecked();
    x.exportacaoRapida = ui->cbExcelRapida->isChecked();
    x.quebrasDePagina = ui->cbExcelQuebrasPagina->isChecked();
    x.linhasVazias = ui->cbExcelLinhasVazias->isChecked();
    x.suprimirCabecalhosERodapes = ui->cbExcelSuprimirCabecalhos->isChecked();
    x.mesclarCelulas = ui->cbExcelMesclarCelulas->isChecked();
    x.estilos = ui->cbExcelEstilos->isChecked();
    x.figuras = ui->cbExcelFiguras->isChecked();
    x.wysiwyg = ui->cbExcelWysiwyg->isChecked();

    ConfigExportacaoRtf &r = m_config.rtf;
    r.figurasComoMetarquivo = ui->cbRtfFigurasMetarquivo->isChecked();
    r.wysiwyg = ui->cbRtfWysiwyg->isChecked();
    r.criador = ui->edRtfCriador->text();
    r.suprimirCabecalhosERodapes = ui->cbRtfSuprimirCabecalhos->isChecked();
    r.modoCabecalho = ConfigExportacaoRtf::ModoCabecalho(ui->cbxRtfModo->currentIndex());
    r.tamanhoAutomatico = ui->cbRtfTamanhoAutomatico->isChecked();
    r.quebrasDePagina = ui->cbRtfQuebrasPagina->isChecked();
    r.figuras = ui->cbRtfFiguras->isChecked();

    m_config.jpeg.qualidade = ui->spJpegQualidade->value();
    m_config.jpeg.resolucao = ui->spJpegResolucao->value();
    m_config.jpeg.arquivoPorPagina = ui->cbJpegArquivoPorPagina->isChecked();
    m_config.jpeg.cortarPaginas = ui->cbJpegCortar->isChecked();
    m_config.jpeg.monocromatico = ui->cbJpegMonocromatico->isChecked();

    m_config.bmp.resolucao = ui->spBmpResolucao->value();
    m_config.bmp.arquivoPorPagina = ui->cbBmpArquivoPorPagina->isChecked();
    m_config.bmp.cortarPaginas = ui->cbBmpCortar->isChecked();
    m_config.bmp.monocromatico = ui->cbBmpMonocromatico->isChecked();
}

void TFRconfigexportacao::BTokClick() {
    gravar();
    accept();
}
