#include "UNpreview.h"
#include "ui_UNpreview.h"

#include <tuple>

#include "ArquivoRelatorio.h"
#include "Avisador.h"
#include "ConfigExportacao.h"
#include "Exportadores.h"
#include "Figuras.h"
#include "GeometriaPagina.h"
#include "Impressao.h"
#include "ModeloMiniaturas.h"
#include "Preparador.h"
#include "Protegido.h"
#include "UNconfigexportacao.h"
#include "VisaoPaginas.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QIntValidator>
#include <QLineEdit>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

struct Formato {
    FormatoExportacao formato;
    const char *nome;
    const char *extensao;
    const char *filtro;
};

const Formato formatos[] = {
    {FormatoExportacao::Pdf, "Documento PDF", ".pdf", "Documento PDF (*.pdf)"},
    {FormatoExportacao::Excel, "Pasta de trabalho do Excel", ".xlsx",
     "Pasta de trabalho do Excel (*.xlsx)"},
    {FormatoExportacao::Rtf, "Documento RTF (texto formatado)", ".rtf", "Documento RTF (*.rtf)"},
    {FormatoExportacao::Jpeg, "Imagem JPEG", ".jpg", "Imagem JPEG (*.jpg)"},
    {FormatoExportacao::Bmp, "Imagem BMP", ".bmp", "Imagem BMP (*.bmp)"},
};

const Formato &dadosDo(FormatoExportacao f) {
    for (const Formato &d : formatos)
        if (d.formato == f)
            return d;
    return formatos[0];
}

const QList<int> zooms = {25, 50, 75, 100, 150, 200, 400};
constexpr int itemLargura = 7;
constexpr int itemPaginaInteira = 8;

// How long one step of the preparation may hold the window before it paints again.
constexpr int msPorEtapa = 25;
// How long a command may wait for the pages before a progress window shows.
constexpr int msAteOProgresso = 300;

// The progress window of a command that writes or reads files, page after page:
// it shows once the work takes a moment, the window paints and answers meanwhile,
// and its "Cancelar" makes the work stop at the next page.
class ProgressoDeArquivo {
public:
    ProgressoDeArquivo(QWidget *pai, const QString &titulo, const QString &texto)
        : m_janela(texto, QStringLiteral("Cancelar"), 0, 1, pai) {
        m_janela.setWindowTitle(titulo);
        m_janela.setWindowModality(Qt::WindowModal);
        m_janela.setAutoReset(false);
        m_janela.setAutoClose(false);
        m_janela.hide();
        m_relogio.start();
    }

    bool operator()(int feitas, int total) {
        if (!m_janela.isVisible()) {
            if (m_relogio.elapsed() < msAteOProgresso)
                return true;
            m_janela.show();
        }
        m_janela.setMaximum(qMax(total, 1));
        m_janela.setValue(feitas);
        QCoreApplication::processEvents();
        return !m_janela.wasCanceled();
    }

private:
    QProgressDialog m_janela;
    QElapsedTimer m_relogio;
};

void exportarCom(const RelatorioPreparado &relatorio, FormatoExportacao formato,
                 const QString &arquivo, const ExportacoesRelatorio &dadas,
                 const Exportadores::Progresso &avancar) {
    // A document left without an author names the issuer, whose receipts these are.
    ExportacoesRelatorio c = dadas;
    const QString autor = c.autorPadrao ? c.autorPadrao() : QString();
    for (QString *campo : {&c.pdf.autor, &c.rtf.autor, &c.excel.autor})
        if (campo->isEmpty())
            *campo = autor;
    switch (formato) {
    case FormatoExportacao::Pdf:
        Exportadores::pdf(relatorio, arquivo, c.pdf, avancar);
        break;
    case FormatoExportacao::Excel:
        Exportadores::xlsx(relatorio, arquivo, c.excel, avancar);
        break;
    case FormatoExportacao::Rtf:
        Exportadores::rtf(relatorio, arquivo, c.rtf, avancar);
        break;
    case FormatoExportacao::Jpeg:
        Exportadores::jpeg(relatorio, arquivo, c.jpeg, avancar);
        break;
    case FormatoExportacao::Bmp:
        Exportadores::bmp(relatorio, arquivo, c.bmp, avancar);
        break;
    }
}

} // namespace

TFRpreview::TFRpreview(QWidget *pai) : QDialog(pai), m_ui(std::make_unique<Ui::TFRpreview>()) {
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    m_miniaturas = new ModeloMiniaturas(this);
    m_ui->listaMiniaturas->setModel(m_miniaturas);
    m_ui->listaMiniaturas->setWrapping(false);
    m_ui->painelLateral->hide();
    m_timerPreparo = new QTimer(this);
    m_timerPreparo->setSingleShot(true);
    m_timerPreparo->setInterval(0);
    connect(m_timerPreparo, &QTimer::timeout, this, &TFRpreview::prepararMais);
    connect(m_ui->visao, &VisaoPaginas::paginaAtualMudou, this, [this] { atualizarStatus(); });
    connect(m_ui->visao, &VisaoPaginas::zoomMudou, this, &TFRpreview::mostrarZoom);
    connect(m_ui->listaMiniaturas, &QListView::clicked, this,
            [this](const QModelIndex &i) { irParaPagina(i.row()); });
    criarBarra();
    posicionar();
}

TFRpreview::~TFRpreview() = default;

QAction *TFRpreview::novaAcao(const QString &nome, const QString &icone, const QString &dica,
                              void (TFRpreview::*slot)()) {
    QAction *a = new QAction(figura(icone), dica, this);
    a->setObjectName(nome);
    a->setToolTip(dica);
    ligar(a, &QAction::triggered, this, slot);
    return a;
}

void TFRpreview::criarBarra() {
    QToolBar *b = m_ui->barra;
    QAction *imprimir = novaAcao(QStringLiteral("acImprimir"), QStringLiteral("imprimir"),
                                 QStringLiteral("Imprimir"), &TFRpreview::imprimir);
    imprimir->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
    b->addAction(imprimir);
    b->addAction(novaAcao(QStringLiteral("acAbrir"), QStringLiteral("abrir"),
                          QStringLiteral("Abrir relatório salvo"), &TFRpreview::abrir));
    b->addAction(novaAcao(QStringLiteral("acSalvar"), QStringLiteral("salvar"),
                          QStringLiteral("Salvar relatório"), &TFRpreview::salvar));

    m_exportar = new QToolButton(this);
    m_exportar->setObjectName(QStringLiteral("btExportar"));
    m_exportar->setIcon(figura(QStringLiteral("exportar")));
    m_exportar->setToolTip(QStringLiteral("Exportar"));
    m_exportar->setPopupMode(QToolButton::InstantPopup);
    QMenu *menu = new QMenu(m_exportar);
    for (const Formato &f : formatos) {
        QAction *a = menu->addAction(QString::fromUtf8(f.nome) + QStringLiteral("..."));
        const FormatoExportacao formato = f.formato;
        ligar(a, &QAction::triggered, this, [this, formato] { exportar(formato); });
    }
    m_exportar->setMenu(menu);
    b->addWidget(m_exportar);
    b->addAction(novaAcao(QStringLiteral("acPdfRapido"), QStringLiteral("pdf"),
                          QStringLiteral("Exportar para PDF"), &TFRpreview::exportarPdfRapido));
    b->addSeparator();

    QAction *localizar = novaAcao(QStringLiteral("acLocalizar"), QStringLiteral("localizar"),
                                  QStringLiteral("Localizar texto"), &TFRpreview::localizar);
    localizar->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    b->addAction(localizar);
    b->addAction(novaAcao(QStringLiteral("acAmpliar"), QStringLiteral("ampliar"),
                          QStringLiteral("Ampliar"), &TFRpreview::ampliar));
    b->addAction(novaAcao(QStringLiteral("acPaginaInteira"), QStringLiteral("paginaInteira"),
                          QStringLiteral("Página inteira"), &TFRpreview::paginaInteira));
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("cbZoom"));
    m_zoom->setToolTip(QStringLiteral("Zoom"));
    for (int z : zooms)
        m_zoom->addItem(QStringLiteral("%1%").arg(z));
    m_zoom->addItem(QStringLiteral("Largura da página"));
    m_zoom->addItem(QStringLiteral("Página inteira"));
    m_zoom->setCurrentIndex(3);
    connect(m_zoom, &QComboBox::activated, this, &TFRpreview::zoomEscolhido);
    b->addWidget(m_zoom);
    b->addAction(novaAcao(QStringLiteral("acTelaCheia"), QStringLiteral("telaCheia"),
                          QStringLiteral("Tela cheia"), &TFRpreview::telaCheia));
    b->addSeparator();

    QAction *sumario = novaAcao(QStringLiteral("acSumario"), QStringLiteral("sumario"),
                                QStringLiteral("Sumário"), &TFRpreview::alternarSumario);
    QAction *miniaturas =
        novaAcao(QStringLiteral("acMiniaturas"), QStringLiteral("miniaturas"),
                 QStringLiteral("Miniaturas das páginas"), &TFRpreview::alternarMiniaturas);
    sumario->setCheckable(true);
    miniaturas->setCheckable(true);
    b->addAction(sumario);
    b->addAction(miniaturas);
    b->addAction(novaAcao(QStringLiteral("acConfigurarPagina"), QStringLiteral("configurarPagina"),
                          QStringLiteral("Configurar página"), &TFRpreview::configurarPagina));
    b->addAction(novaAcao(QStringLiteral("acEditar"), QStringLiteral("editar"),
                          QStringLiteral("Editar"), &TFRpreview::editar));
    b->addSeparator();

    b->addAction(novaAcao(QStringLiteral("acPrimeira"), QStringLiteral("primeira"),
                          QStringLiteral("Primeira página"), &TFRpreview::primeiraPagina));
    b->addAction(novaAcao(QStringLiteral("acAnterior"), QStringLiteral("anterior"),
                          QStringLiteral("Página anterior"), &TFRpreview::paginaAnterior));
    m_numeroPagina = new QLineEdit(this);
    m_numeroPagina->setObjectName(QStringLiteral("edPagina"));
    m_numeroPagina->setToolTip(QStringLiteral("Número da página"));
    m_numeroPagina->setFixedWidth(56);
    m_numeroPagina->setAlignment(Qt::AlignCenter);
    m_numeroPagina->setValidator(new QIntValidator(1, 9999999, m_numeroPagina));
    connect(m_numeroPagina, &QLineEdit::returnPressed, this, &TFRpreview::numeroDigitado);
    b->addWidget(m_numeroPagina);
    b->addAction(novaAcao(QStringLiteral("acProxima"), QStringLiteral("proxima"),
                          QStringLiteral("Próxima página"), &TFRpreview::proximaPagina));
    b->addAction(novaAcao(QStringLiteral("acUltima"), QStringLiteral("ultima"),
                          QStringLiteral("Última página"), &TFRpreview::ultimaPagina));
    b->addSeparator();
    QAction *fechar = new QAction(figura(QStringLiteral("fechar")), QStringLiteral("Fechar"), this);
    fechar->setObjectName(QStringLiteral("acFechar"));
    fechar->setToolTip(QStringLiteral("Fechar"));
    connect(fechar, &QAction::triggered, this, &QDialog::close);
    b->addAction(fechar);

    // Moving between pages from the keyboard; the scroll bars keep PgUp and PgDn.
    const std::pair<const char *, const char *> atalhos[] = {{"acPrimeira", "Ctrl+Home"},
                                                             {"acAnterior", "Ctrl+PgUp"},
                                                             {"acProxima", "Ctrl+PgDown"},
                                                             {"acUltima", "Ctrl+End"},
                                                             {"acAmpliar", "Ctrl++"}};
    for (const auto &[nome, tecla] : atalhos)
        acao(QLatin1String(nome))->setShortcut(QKeySequence(QLatin1String(tecla)));
}

QAction *TFRpreview::acao(const QString &nome) const {
    return findChild<QAction *>(nome);
}

VisaoPaginas *TFRpreview::visao() const {
    return m_ui->visao;
}

QToolBar *TFRpreview::barra() const {
    return m_ui->barra;
}

void TFRpreview::mostrar(RelatorioPreparado *relatorio, std::unique_ptr<Preparador> preparador,
                         ExportacoesRelatorio *exportacoes) {
    m_relatorio = relatorio;
    m_preparador = std::move(preparador);
    m_exportacoes = exportacoes;
    m_incompleto = false;
    if (!m_exportacoes) {
        m_exportacoesProprias = std::make_unique<ExportacoesRelatorio>();
        m_exportacoes = m_exportacoesProprias.get();
    }
    m_achado.reset();
    m_ui->visao->definirRelatorio(m_relatorio, paginasProntas());
    m_miniaturas->definir(m_relatorio, paginasProntas());
    if (m_preparador && !m_preparador->terminado())
        m_timerPreparo->start();
    atualizarStatus();
}

bool TFRpreview::preparando() const {
    return m_preparador && !m_preparador->terminado();
}

int TFRpreview::paginasProntas() const {
    if (!m_relatorio)
        return 0;
    return preparando() ? m_preparador->paginasProntas() : int(m_relatorio->paginas.size());
}

void TFRpreview::prepararMais() {
    if (!preparando())
        return;
    protegido(
        [&] {
            QElapsedTimer relogio;
            relogio.start();
            while (!m_preparador->terminado() && relogio.elapsed() < msPorEtapa)
                m_preparador->continuar(1);
        },
        [&] { pararPreparo(); }); // the pages made so far stay in view
    paginasNovas();
    if (preparando())
        m_timerPreparo->start();
}

void TFRpreview::pararPreparo() {
    m_preparador.reset();
    m_incompleto = true;
}

bool TFRpreview::concluirPreparo() {
    // What could not be prepared whole is shown as it is, never printed or written as if it
    // were the report.
    if (m_incompleto) {
        Avisador::atual().erro(
            QStringLiteral("Este relatório está incompleto: a preparação parou na página %1, e as "
                           "páginas seguintes e os totais não estão nele. Ele não será impresso "
                           "nem gravado assim. Feche a visualização, resolva o que parou a "
                           "preparação e abra o relatório de novo.")
                .arg(paginasProntas()));
        return false;
    }
    if (!preparando())
        return true;
    m_timerPreparo->stop();
    // The pages still missing are made in short steps between which the window
    // paints and answers; past a moment a progress window says how far it got
    // and lets the user give up the command, the preparation going on as before.
    QProgressDialog progresso(this);
    progresso.setWindowTitle(QStringLiteral("Preparando"));
    progresso.setCancelButtonText(QStringLiteral("Cancelar"));
    progresso.setRange(0, 0);
    progresso.setWindowModality(Qt::WindowModal);
    progresso.setAutoReset(false);
    progresso.setAutoClose(false);
    progresso.hide();
    QElapsedTimer desdeOInicio;
    desdeOInicio.start();
    bool cancelado = false;
    const bool pronto = protegido(
        [&] {
            while (!m_preparador->terminado()) {
                QElapsedTimer relogio;
                relogio.start();
                while (!m_preparador->terminado() && relogio.elapsed() < msPorEtapa)
                    m_preparador->continuar(1);
                paginasNovas();
                progresso.setLabelText(
                    QStringLiteral("Preparando as páginas: %1 prontas...").arg(paginasProntas()));
                if (!progresso.isVisible() && desdeOInicio.elapsed() >= msAteOProgresso)
                    progresso.show();
                QCoreApplication::processEvents();
                if (progresso.wasCanceled()) {
                    cancelado = true;
                    return;
                }
            }
        },
        [&] {
            // The pages made so far stay in view.
            pararPreparo();
            paginasNovas();
        });
    if (cancelado) {
        m_timerPreparo->start();
        return false;
    }
    if (pronto)
        paginasNovas();
    return pronto;
}

void TFRpreview::paginasNovas() {
    m_ui->visao->definirQuantidade(paginasProntas());
    m_miniaturas->definirQuantidade(paginasProntas());
    atualizarStatus();
}

void TFRpreview::atualizarStatus() {
    const int atual = m_ui->visao->paginaAtual() + 1;
    if (atual > 0 && m_ui->painelLateral->isVisible())
        m_ui->listaMiniaturas->setCurrentIndex(m_miniaturas->index(atual - 1));
    QString texto = QStringLiteral("Página %1 de %2").arg(atual).arg(paginasProntas());
    if (preparando())
        texto += QStringLiteral(" (preparando...)");
    else if (m_incompleto)
        texto += QStringLiteral(" — relatório INCOMPLETO: a preparação parou, e as páginas "
                                "seguintes e os totais faltam");
    m_ui->lbStatus->setText(texto);
    if (!m_numeroPagina->hasFocus())
        m_numeroPagina->setText(QString::number(atual));
}

void TFRpreview::irParaPagina(int pagina) {
    m_ui->visao->irParaPagina(pagina);
    atualizarStatus();
}

void TFRpreview::primeiraPagina() {
    irParaPagina(0);
}

void TFRpreview::paginaAnterior() {
    irParaPagina(m_ui->visao->paginaAtual() - 1);
}

void TFRpreview::proximaPagina() {
    irParaPagina(m_ui->visao->paginaAtual() + 1);
}

void TFRpreview::ultimaPagina() {
    irParaPagina(paginasProntas() - 1);
}

void TFRpreview::numeroDigitado() {
    irParaPagina(m_numeroPagina->text().toInt() - 1);
    m_ui->visao->setFocus();
}

void TFRpreview::zoomEscolhido(int indice) {
    if (indice == itemLargura)
        m_ui->visao->definirZoom(m_ui->visao->zoomLarguraPagina());
    else if (indice == itemPaginaInteira)
        m_ui->visao->definirZoom(m_ui->visao->zoomPaginaInteira());
    else if (indice >= 0 && indice < zooms.size())
        m_ui->visao->definirZoom(zooms[indice] / 100.0);
}

void TFRpreview::mostrarZoom(double zoom) {
    const int porcento = qRound(zoom * 100);
    const int indice = int(zooms.indexOf(porcento));
    if (indice >= 0)
        m_zoom->setCurrentIndex(indice);
    else
        m_zoom->setCurrentText(QStringLiteral("%1%").arg(porcento));
    m_zoom->setToolTip(QStringLiteral("Zoom: %1%").arg(porcento));
}

void TFRpreview::ampliar() {
    m_ui->visao->definirZoom(m_ui->visao->zoom() * 1.25);
}

void TFRpreview::paginaInteira() {
    m_ui->visao->definirZoom(m_ui->visao->zoomPaginaInteira());
}

void TFRpreview::telaCheia() {
    m_telaCheia = !m_telaCheia;
    if (m_telaCheia)
        showFullScreen();
    else
        showMaximized();
}

void TFRpreview::alternarSumario() {
    alternarPainel(m_ui->arvoreSumario, QStringLiteral("acSumario"),
                   QStringLiteral("acMiniaturas"));
}

void TFRpreview::alternarMiniaturas() {
    alternarPainel(m_ui->listaMiniaturas, QStringLiteral("acMiniaturas"),
                   QStringLiteral("acSumario"));
}

// The outline and the thumbnails share the side panel: showing one hides the other.
void TFRpreview::alternarPainel(QWidget *painel, const QString &acaoDele,
                                const QString &acaoOutro) {
    const bool mostrar =
        !(m_ui->painelLateral->isVisible() && m_ui->painelLateral->currentWidget() == painel);
    m_ui->painelLateral->setCurrentWidget(painel);
    m_ui->painelLateral->setVisible(mostrar);
    acao(acaoDele)->setChecked(mostrar);
    acao(acaoOutro)->setChecked(false);
    posicionar();
}

void TFRpreview::editar() {
    // There is no layout editor: the command is offered and changes nothing.
}

bool TFRpreview::localizarTexto(const QString &texto) {
    if (!m_relatorio)
        return false;
    if (texto != m_textoProcurado)
        m_achado.reset();
    m_textoProcurado = texto;
    std::optional<Busca::Achado> achado = Busca::localizar(*m_relatorio, texto, m_achado);
    // While pages are still coming (only complete pages are searched), a miss or a
    // search that went round may hide a match further on: finish first.
    const auto ordem = [](const Busca::Achado &a) {
        return std::tuple(a.pagina, a.elemento, a.linha, a.posicao);
    };
    const bool deuVolta = achado && m_achado && ordem(*achado) <= ordem(*m_achado);
    if (preparando() && (!achado || deuVolta)) {
        if (!concluirPreparo())
            return false;
        achado = Busca::localizar(*m_relatorio, texto, m_achado);
    }
    if (!achado) {
        Avisador::atual().mensagem(QStringLiteral("O texto \"%1\" não foi encontrado.").arg(texto));
        return false;
    }
    m_achado = achado;
    m_ui->visao->destacar(achado->pagina, achado->area);
    atualizarStatus();
    return true;
}

void TFRpreview::localizar() {
    QInputDialog dlg(this);
    dlg.setWindowTitle(QStringLiteral("Localizar"));
    dlg.setLabelText(QStringLiteral("Texto a localizar:"));
    dlg.setTextValue(m_textoProcurado);
    dlg.setOkButtonText(QStringLiteral("Localizar"));
    dlg.setCancelButtonText(QStringLiteral("Cancelar"));
    if (dlg.exec() != QDialog::Accepted || dlg.textValue().isEmpty())
        return;
    localizarTexto(dlg.textValue());
}

void TFRpreview::imprimir() {
    protegido([&] {
        if (!Impressao::conferirImpressora() || !concluirPreparo())
            return;
        QPrinter impressora(QPrinter::HighResolution);
        Impressao::usarImpressoraPadrao(impressora);
        QPrintDialog dlg(&impressora, this);
        dlg.setWindowTitle(QStringLiteral("Imprimir"));
        dlg.setMinMax(1, paginasProntas());
        dlg.setFromTo(1, paginasProntas());
        if (dlg.exec() != QDialog::Accepted)
            return;
        int de = 1, ate = paginasProntas();
        if (impressora.printRange() == QPrinter::PageRange) {
            de = impressora.fromPage();
            ate = impressora.toPage();
        } else if (impressora.printRange() == QPrinter::CurrentPage) {
            de = ate = m_ui->visao->paginaAtual() + 1;
        }
        Impressao::imprimirComProgresso(*m_relatorio, impressora, de, ate, this);
    });
}

bool TFRpreview::abrirArquivo(const QString &arquivo) {
    bool cancelada = false;
    const bool feito = protegido([&] {
        RelatorioPreparado lido;
        {
            ProgressoDeArquivo progresso(this, QStringLiteral("Abrir relatório salvo"),
                                         QStringLiteral("Abrindo..."));
            try {
                lido = ArquivoRelatorio::ler(
                    arquivo, [&](int feitas, int total) { return progresso(feitas, total); });
            } catch (const Exportadores::Cancelada &) {
                cancelada = true;
                return;
            }
        }
        m_timerPreparo->stop();
        m_preparador.reset();
        m_aberto = std::move(lido);
        mostrar(&m_aberto, nullptr, m_exportacoes);
    });
    if (cancelada)
        m_ui->lbStatus->setText(
            QStringLiteral("Abertura cancelada: o relatório mostrado continua o mesmo."));
    return feito && !cancelada;
}

void TFRpreview::abrir() {
    const QString arquivo = QFileDialog::getOpenFileName(
        this, QStringLiteral("Abrir relatório salvo"), QString(),
        QStringLiteral("Relatório salvo (*.trp);;Todos os arquivos (*)"));
    if (!arquivo.isEmpty())
        abrirArquivo(arquivo);
}

bool TFRpreview::salvarEm(const QString &arquivo) {
    if (!concluirPreparo())
        return false;
    bool cancelada = false;
    const bool feito = protegido([&] {
        ProgressoDeArquivo progresso(this, QStringLiteral("Salvar relatório"),
                                     QStringLiteral("Salvando..."));
        try {
            ArquivoRelatorio::gravar(*m_relatorio, arquivo, [&](int feitas, int total) {
                return progresso(feitas, total);
            });
        } catch (const Exportadores::Cancelada &) {
            cancelada = true;
        }
    });
    if (cancelada)
        m_ui->lbStatus->setText(QStringLiteral("Gravação cancelada: nenhum arquivo foi gravado."));
    else
        atualizarStatus();
    return feito && !cancelada;
}

void TFRpreview::salvar() {
    QString arquivo = QFileDialog::getSaveFileName(
        this, QStringLiteral("Salvar relatório"), QString(),
        QStringLiteral("Relatório salvo (*.trp)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (arquivo.isEmpty())
        return;
    if (!arquivo.endsWith(QLatin1String(ArquivoRelatorio::extensao), Qt::CaseInsensitive))
        arquivo += QLatin1String(ArquivoRelatorio::extensao);
    salvarEm(arquivo);
}

bool TFRpreview::exportarPara(FormatoExportacao formato, const QString &arquivo) {
    if (!concluirPreparo())
        return false;
    bool cancelada = false;
    const bool feita = protegido([&] {
        const ExportacoesRelatorio &c = *m_exportacoes;
        ProgressoDeArquivo progresso(this, QString::fromUtf8(dadosDo(formato).nome),
                                     QStringLiteral("Exportando..."));
        const Exportadores::Progresso avancar = [&](int feitas, int total) {
            return progresso(feitas, total);
        };
        try {
            exportarCom(*m_relatorio, formato, arquivo, c, avancar);
        } catch (const Exportadores::Cancelada &) {
            // The writer left nothing behind; the user asked for it, so no message.
            cancelada = true;
        }
    });
    if (cancelada)
        m_ui->lbStatus->setText(
            QStringLiteral("Exportação cancelada: nenhum arquivo foi gravado."));
    else
        atualizarStatus(); // no word of an earlier cancel stays after this export
    return feita && !cancelada;
}

void TFRpreview::exportar(FormatoExportacao formato) {
    // The settings window works on a copy: what the user changes holds for this export only.
    ExportacoesRelatorio *daAplicacao = m_exportacoes;
    ExportacoesRelatorio copia = *daAplicacao;
    TFRconfigexportacao configuracao(formato, copia, this);
    if (configuracao.exec() != QDialog::Accepted)
        return;
    const Formato &f = dadosDo(formato);
    const QString extensao = QString::fromUtf8(f.extensao);
    QString arquivo = QFileDialog::getSaveFileName(
        this, QStringLiteral("Exportar"), QStringLiteral("relatorio") + extensao,
        QString::fromUtf8(f.filtro), nullptr, QFileDialog::DontConfirmOverwrite);
    if (arquivo.isEmpty())
        return;
    if (!arquivo.endsWith(extensao, Qt::CaseInsensitive))
        arquivo += extensao;
    m_exportacoes = &copia;
    exportarPara(formato, arquivo);
    m_exportacoes = daAplicacao;
}

void TFRpreview::exportarPdfRapido() {
    QString arquivo = QFileDialog::getSaveFileName(
        this, QStringLiteral("Exportar para PDF"), QStringLiteral("relatorio.pdf"),
        QStringLiteral("Documento PDF (*.pdf)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (arquivo.isEmpty())
        return;
    if (!arquivo.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        arquivo += QStringLiteral(".pdf");
    exportarPara(FormatoExportacao::Pdf, arquivo);
}

void TFRpreview::configurarPagina() {
    if (!m_relatorio || m_relatorio->paginas.isEmpty() || !concluirPreparo())
        return;
    QPrinter impressora(QPrinter::HighResolution);
    impressora.setPageLayout(GeometriaPagina(m_relatorio->paginas.first()).leiauteComMargens());
    QPageSetupDialog dlg(&impressora, this);
    dlg.setWindowTitle(QStringLiteral("Configurar página"));
    if (dlg.exec() != QDialog::Accepted)
        return;
    const GeometriaPagina escolhida = GeometriaPagina::deLeiaute(impressora.pageLayout());
    aplicarPagina(escolhida.tamanhoMm(), escolhida.paisagem(), escolhida.margensMm());
}

void TFRpreview::aplicarPagina(const QSizeF &tamanhoMm, bool paisagem, const QMarginsF &margensMm) {
    if (!m_relatorio || !concluirPreparo())
        return;
    const GeometriaPagina nova(tamanhoMm, paisagem, margensMm);
    for (qsizetype i = 0; i < m_relatorio->paginas.size(); ++i) {
        PaginaPreparada p = m_relatorio->paginas.cabecalho(i);
        nova.aplicarEm(p);
        m_relatorio->paginas.mudarPapel(i, p);
    }
    m_ui->visao->paginasAlteradas();
    m_miniaturas->definir(m_relatorio, paginasProntas());
}

void TFRpreview::posicionar() {
    // No layouts: the parts follow the window's size by hand.
    const int alturaBarra = m_ui->barra->sizeHint().height();
    const int alturaStatus = 22;
    m_ui->barra->setGeometry(0, 0, width(), alturaBarra);
    const int alturaMeio = qMax(0, height() - alturaBarra - alturaStatus);
    int esquerda = 0;
    if (m_ui->painelLateral->isVisible()) {
        m_ui->painelLateral->setGeometry(0, alturaBarra, 170, alturaMeio);
        esquerda = 170;
    }
    m_ui->visao->setGeometry(esquerda, alturaBarra, width() - esquerda, alturaMeio);
    m_ui->lbStatus->setGeometry(6, height() - alturaStatus, width() - 12, alturaStatus);
}

void TFRpreview::resizeEvent(QResizeEvent *evento) {
    QDialog::resizeEvent(evento);
    posicionar();
}

void TFRpreview::showEvent(QShowEvent *evento) {
    QDialog::showEvent(evento);
    posicionar();
}

void TFRpreview::closeEvent(QCloseEvent *evento) {
    // Closing stops the preparation; the pages made so far stay with the layout.
    m_timerPreparo->stop();
    QDialog::closeEvent(evento);
}
