#include "UNconfigexportacao.h"

#include "Exportadores.h"
#include "ui_UNconfigexportacao.h"

#include "ConfigExportacao.h"
#include "Janela.h"

TFRconfigexportacao::TFRconfigexportacao(FormatoExportacao formato,
                                         ExportacoesRelatorio &configuracoes, QWidget *pai)
    : QDialog(pai), m_ui(std::make_unique<Ui::TFRconfigexportacao>()), m_formato(formato),
      m_config(configuracoes) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    static const char *titulos[] = {"Exportar para PDF", "Exportar para o Excel",
                                    "Exportar para RTF", "Exportar para JPEG", "Exportar para BMP"};
    setWindowTitle(QString::fromUtf8(titulos[int(formato)]));
    m_ui->paginas->setCurrentIndex(int(formato));
    connect(m_ui->btOk, &QPushButton::clicked, this, &TFRconfigexportacao::BTokClick);
    connect(m_ui->btCancelar, &QPushButton::clicked, this, &QDialog::reject);
    carregar();
}

TFRconfigexportacao::~TFRconfigexportacao() = default;

void TFRconfigexportacao::carregar() {
    const ConfigExportacaoPdf &p = m_config.pdf;
    m_ui->cbPdfCompactado->setChecked(p.compactado);
    m_ui->cbPdfFontesEmbutidas->setChecked(p.fontesEmbutidas);
    m_ui->cbPdfOtimizado->setChecked(p.otimizadoParaImpressao);
    m_ui->cbPdfSumario->setChecked(p.sumario);
    m_ui->cbPdfFundo->setChecked(p.fundo);
    m_ui->cbPdfTagsHtml->setChecked(p.tagsHtml);
    m_ui->edPdfAutor->setText(p.autor);
    m_ui->edPdfAssunto->setText(p.assunto);
    m_ui->edPdfCriador->setText(p.criador);
    // Left empty, the document says who made it on its own.
    m_ui->edPdfAutor->setPlaceholderText(QStringLiteral("(o emitente)"));
    m_ui->edPdfAssunto->setPlaceholderText(QStringLiteral("(o título do relatório)"));
    m_ui->edPdfCriador->setPlaceholderText(Exportadores::programa());
    m_ui->edPdfSenhaDono->setText(p.senhaDono);
    m_ui->edPdfSenhaUsuario->setText(p.senhaUsuario);
    m_ui->cbPdfImprimir->setChecked(p.permitirImprimir);
    m_ui->cbPdfModificar->setChecked(p.permitirModificar);
    m_ui->cbPdfCopiar->setChecked(p.permitirCopiar);
    m_ui->cbPdfAnotar->setChecked(p.permitirAnotar);
    m_ui->cbPdfOcultarBarraFerramentas->setChecked(p.ocultarBarraDeFerramentas);
    m_ui->cbPdfOcultarBarraMenus->setChecked(p.ocultarBarraDeMenus);
    m_ui->cbPdfOcultarInterface->setChecked(p.ocultarInterface);
    m_ui->cbPdfAjustarJanela->setChecked(p.ajustarJanela);
    m_ui->cbPdfCentralizarJanela->setChecked(p.centralizarJanela);
    m_ui->cbPdfEscalaImpressao->setChecked(p.escalaDeImpressao);

    const ConfigExportacaoExcel &x = m_config.excel;
    m_ui->cbExcelFigurasMetarquivo->setChecked(x.figurasComoMetarquivo);
    m_ui->cbExcelCelulasTexto->setChecked(x.celulasComoTexto);
    m_ui->cbExcelFundo->setChecked(x.fundo);
    m_ui->cbExcelRapida->setChecked(x.exportacaoRapida);
    m_ui->cbExcelQuebrasPagina->setChecked(x.quebrasDePagina);
    m_ui->cbExcelLinhasVazias->setChecked(x.linhasVazias);
    m_ui->cbExcelSuprimirCabecalhos->setChecked(x.suprimirCabecalhosERodapes);
    m_ui->cbExcelMesclarCelulas->setChecked(x.mesclarCelulas);
    m_ui->cbExcelEstilos->setChecked(x.estilos);
    m_ui->cbExcelFiguras->setChecked(x.figuras);
    m_ui->cbExcelWysiwyg->setChecked(x.wysiwyg);

    const ConfigExportacaoRtf &r = m_config.rtf;
    m_ui->cbRtfFigurasMetarquivo->setChecked(r.figurasComoMetarquivo);
    m_ui->cbRtfWysiwyg->setChecked(r.wysiwyg);
    m_ui->edRtfCriador->setText(r.criador);
    m_ui->edRtfCriador->setPlaceholderText(Exportadores::programa());
    m_ui->cbRtfSuprimirCabecalhos->setChecked(r.suprimirCabecalhosERodapes);
    m_ui->cbxRtfModo->setCurrentIndex(int(r.modoCabecalho));
    m_ui->cbRtfTamanhoAutomatico->setChecked(r.tamanhoAutomatico);
    m_ui->cbRtfQuebrasPagina->setChecked(r.quebrasDePagina);
    m_ui->cbRtfFiguras->setChecked(r.figuras);

    m_ui->spJpegQualidade->setValue(m_config.jpeg.qualidade);
    m_ui->spJpegResolucao->setValue(m_config.jpeg.resolucao);
    m_ui->cbJpegArquivoPorPagina->setChecked(m_config.jpeg.arquivoPorPagina);
    m_ui->cbJpegCortar->setChecked(m_config.jpeg.cortarPaginas);
    m_ui->cbJpegMonocromatico->setChecked(m_config.jpeg.monocromatico);

    m_ui->spBmpResolucao->setValue(m_config.bmp.resolucao);
    m_ui->cbBmpArquivoPorPagina->setChecked(m_config.bmp.arquivoPorPagina);
    m_ui->cbBmpCortar->setChecked(m_config.bmp.cortarPaginas);
    m_ui->cbBmpMonocromatico->setChecked(m_config.bmp.monocromatico);
}

void TFRconfigexportacao::gravar() {
    ConfigExportacaoPdf &p = m_config.pdf;
    p.compactado = m_ui->cbPdfCompactado->isChecked();
    p.fontesEmbutidas = m_ui->cbPdfFontesEmbutidas->isChecked();
    p.otimizadoParaImpressao = m_ui->cbPdfOtimizado->isChecked();
    p.sumario = m_ui->cbPdfSumario->isChecked();
    p.fundo = m_ui->cbPdfFundo->isChecked();
    p.tagsHtml = m_ui->cbPdfTagsHtml->isChecked();
    p.autor = m_ui->edPdfAutor->text();
    p.assunto = m_ui->edPdfAssunto->text();
    p.criador = m_ui->edPdfCriador->text();
    p.senhaDono = m_ui->edPdfSenhaDono->text();
    p.senhaUsuario = m_ui->edPdfSenhaUsuario->text();
    p.permitirImprimir = m_ui->cbPdfImprimir->isChecked();
    p.permitirModificar = m_ui->cbPdfModificar->isChecked();
    p.permitirCopiar = m_ui->cbPdfCopiar->isChecked();
    p.permitirAnotar = m_ui->cbPdfAnotar->isChecked();
    p.ocultarBarraDeFerramentas = m_ui->cbPdfOcultarBarraFerramentas->isChecked();
    p.ocultarBarraDeMenus = m_ui->cbPdfOcultarBarraMenus->isChecked();
    p.ocultarInterface = m_ui->cbPdfOcultarInterface->isChecked();
    p.ajustarJanela = m_ui->cbPdfAjustarJanela->isChecked();
    p.centralizarJanela = m_ui->cbPdfCentralizarJanela->isChecked();
    p.escalaDeImpressao = m_ui->cbPdfEscalaImpressao->isChecked();

    ConfigExportacaoExcel &x = m_config.excel;
    x.figurasComoMetarquivo = m_ui->cbExcelFigurasMetarquivo->isChecked();
    x.celulasComoTexto = m_ui->cbExcelCelulasTexto->isChecked();
    x.fundo = m_ui->cbExcelFundo->isChecked();
    x.exportacaoRapida = m_ui->cbExcelRapida->isChecked();
    x.quebrasDePagina = m_ui->cbExcelQuebrasPagina->isChecked();
    x.linhasVazias = m_ui->cbExcelLinhasVazias->isChecked();
    x.suprimirCabecalhosERodapes = m_ui->cbExcelSuprimirCabecalhos->isChecked();
    x.mesclarCelulas = m_ui->cbExcelMesclarCelulas->isChecked();
    x.estilos = m_ui->cbExcelEstilos->isChecked();
    x.figuras = m_ui->cbExcelFiguras->isChecked();
    x.wysiwyg = m_ui->cbExcelWysiwyg->isChecked();

    ConfigExportacaoRtf &r = m_config.rtf;
    r.figurasComoMetarquivo = m_ui->cbRtfFigurasMetarquivo->isChecked();
    r.wysiwyg = m_ui->cbRtfWysiwyg->isChecked();
    r.criador = m_ui->edRtfCriador->text();
    r.suprimirCabecalhosERodapes = m_ui->cbRtfSuprimirCabecalhos->isChecked();
    r.modoCabecalho = ConfigExportacaoRtf::ModoCabecalho(m_ui->cbxRtfModo->currentIndex());
    r.tamanhoAutomatico = m_ui->cbRtfTamanhoAutomatico->isChecked();
    r.quebrasDePagina = m_ui->cbRtfQuebrasPagina->isChecked();
    r.figuras = m_ui->cbRtfFiguras->isChecked();

    m_config.jpeg.qualidade = m_ui->spJpegQualidade->value();
    m_config.jpeg.resolucao = m_ui->spJpegResolucao->value();
    m_config.jpeg.arquivoPorPagina = m_ui->cbJpegArquivoPorPagina->isChecked();
    m_config.jpeg.cortarPaginas = m_ui->cbJpegCortar->isChecked();
    m_config.jpeg.monocromatico = m_ui->cbJpegMonocromatico->isChecked();

    m_config.bmp.resolucao = m_ui->spBmpResolucao->value();
    m_config.bmp.arquivoPorPagina = m_ui->cbBmpArquivoPorPagina->isChecked();
    m_config.bmp.cortarPaginas = m_ui->cbBmpCortar->isChecked();
    m_config.bmp.monocromatico = m_ui->cbBmpMonocromatico->isChecked();
}

void TFRconfigexportacao::BTokClick() {
    gravar();
    accept();
}
