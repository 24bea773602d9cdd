#include "VisaoPaginas.h"

#include "PaginaPreparada.h"
#include "Renderizador.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {
constexpr int paginasNoCache = 12;
}

VisaoPaginas::VisaoPaginas(QWidget *pai) : QAbstractScrollArea(pai) {
    viewport()->setAutoFillBackground(true);
    QPalette paleta = viewport()->palette();
    paleta.setColor(QPalette::Window, QColor(128, 128, 128));
    viewport()->setPalette(paleta);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
}

void VisaoPaginas::definirRelatorio(const RelatorioPreparado *relatorio, int quantidade) {
    m_relatorio = relatorio;
    m_topos.clear();
    m_alturaTotal = 0;
    m_larguraMaxima = 0;
    m_cache.clear();
    m_ordemCache.clear();
    m_paginaDestaque = -1;
    m_atual = 0;
    definirQuantidade(quantidade);
    verticalScrollBar()->setValue(0);
}

void VisaoPaginas::definirQuantidade(int quantidade) {
    if (!m_relatorio)
        return;
    quantidade = qMin(quantidade, int(m_relatorio->paginas.size()));
    if (quantidade < m_topos.size()) {
        recalcular(quantidade);
        return;
    }
    // Pages only ever come at the end: extend the positions already known.
    for (int i = int(m_topos.size()); i < quantidade; ++i) {
        const QSizeF t = tamanhoPagina(i);
        m_topos.push_back(m_alturaTotal + espaco);
        m_alturaTotal += espaco + t.height();
        m_larguraMaxima = qMax(m_larguraMaxima, t.width());
    }
    atualizarBarras();
    viewport()->update();
}

void VisaoPaginas::paginasAlteradas() {
    m_cache.clear();
    m_ordemCache.clear();
    recalcular();
}

QSizeF VisaoPaginas::tamanhoPagina(int pagina) const {
    return m_relatorio->paginas.cabecalho(pagina).tamanhoPx() * m_zoom;
}

void VisaoPaginas::recalcular(int quantidade) {
    m_topos.clear();
    m_alturaTotal = 0;
    m_larguraMaxima = 0;
    definirQuantidade(quantidade);
}

void VisaoPaginas::recalcular() {
    recalcular(m_relatorio ? qMin(int(m_topos.size()), int(m_relatorio->paginas.size())) : 0);
}

void VisaoPaginas::atualizarBarras() {
    const QSize v = viewport()->size();
    verticalScrollBar()->setPageStep(v.height());
    horizontalScrollBar()->setPageStep(v.width());
    verticalScrollBar()->setRange(0, qMax(0, qCeil(m_alturaTotal + espaco) - v.height()));
    horizontalScrollBar()->setRange(0, qMax(0, qCeil(m_larguraMaxima + 2 * espaco) - v.width()));
}

void VisaoPaginas::definirZoom(double zoom) {
    zoom = qBound(0.1, zoom, 8.0);
    if (qFuzzyCompare(zoom, m_zoom))
        return;
    const int pagina = paginaAtual();
    m_zoom = zoom;
    m_cache.clear();
    m_ordemCache.clear();
    recalcular();
    irParaPagina(pagina);
    Q_EMIT zoomMudou(m_zoom);
}

double VisaoPaginas::zoomPaginaInteira() const {
    if (!m_relatorio || m_relatorio->paginas.isEmpty())
        return 1.0;
    const QSizeF t = m_relatorio->paginas.cabecalho(qMax(0, paginaAtual())).tamanhoPx();
    const QSize v = viewport()->size();
    return qMin((v.width() - 2 * espaco) / t.width(), (v.height() - 2 * espaco) / t.height());
}

double VisaoPaginas::zoomLarguraPagina() const {
    if (!m_relatorio || m_relatorio->paginas.isEmpty())
        return 1.0;
    return (viewport()->width() - 2 * espaco) /
           m_relatorio->paginas.cabecalho(qMax(0, paginaAtual())).tamanhoPx().width();
}

int VisaoPaginas::paginaAtual() const {
    if (m_topos.isEmpty())
        return -1;
    return qBound(0, m_atual, int(m_topos.size()) - 1);
}

int VisaoPaginas::paginaNaPosicao() const {
    if (m_topos.isEmpty())
        return -1;
    // The page that holds the line a third of the way down the view.
    const double y = verticalScrollBar()->value() + viewport()->height() / 3.0;
    const auto it = std::upper_bound(m_topos.cbegin(), m_topos.cend(), y);
    return qMax(0, int(it - m_topos.cbegin()) - 1);
}

void VisaoPaginas::irParaPagina(int pagina) {
    if (m_topos.isEmpty())
        return;
    pagina = qBound(0, pagina, int(m_topos.size()) - 1);
    m_navegando = true;
    verticalScrollBar()->setValue(qRound(m_topos[pagina] - espaco));
    m_navegando = false;
    m_atual = pagina;
    avisarPaginaAtual();
}

void VisaoPaginas::destacar(int pagina, const QRectF &area) {
    m_paginaDestaque = pagina;
    m_destaque = area;
    if (pagina >= 0 && pagina < m_topos.size()) {
        // Bring the found text into view.
        const double y = m_topos[pagina] + area.top() * m_zoom;
        if (y < verticalScrollBar()->value() ||
            y > verticalScrollBar()->value() + viewport()->height() - 40) {
            m_navegando = true;
            verticalScrollBar()->setValue(qRound(y - viewport()->height() / 3.0));
            m_navegando = false;
        }
        m_atual = pagina;
    }
    viewport()->update();
    avisarPaginaAtual();
}

const QImage &VisaoPaginas::imagemDaPagina(int pagina) {
    auto it = m_cache.find(pagina);
    if (it != m_cache.end())
        return *it;
    const double escala = devicePixelRatioF();
    QImage img = Renderizador::imagem(*m_relatorio, pagina, 96.0 * m_zoom * escala);
    img.setDevicePixelRatio(escala);
    m_ordemCache.push_back(pagina);
    if (m_ordemCache.size() > paginasNoCache)
        m_cache.remove(m_ordemCache.takeFirst());
    return *m_cache.insert(pagina, std::move(img));
}

void VisaoPaginas::paintEvent(QPaintEvent *) {
    m_pintadas.clear();
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), QColor(128, 128, 128));
    if (!m_relatorio || m_topos.isEmpty())
        return;
    const double y0 = verticalScrollBar()->value();
    const double y1 = y0 + viewport()->height();
    const double x0 = horizontalScrollBar()->value();
    auto it = std::upper_bound(m_topos.cbegin(), m_topos.cend(), y0);
    int pagina = qMax(0, int(it - m_topos.cbegin()) - 1);
    for (; pagina < m_topos.size() && m_topos[pagina] < y1; ++pagina) {
        const QSizeF t = tamanhoPagina(pagina);
        if (m_topos[pagina] + t.height() < y0)
            continue;
        const double largura = qMax(m_larguraMaxima + 2 * espaco, double(viewport()->width()));
        const QPointF origem((largura - t.width()) / 2 - x0, m_topos[pagina] - y0);
        p.fillRect(QRectF(origem + QPointF(3, 3), t), QColor(60, 60, 60));
        p.drawImage(origem, imagemDaPagina(pagina));
        if (pagina == m_paginaDestaque) {
            const QPointF desloc =
                m_relatorio->paginas.cabecalho(pagina).deslocamentoMm * Layout::pixelsPorMm;
            const QRectF area(origem + (m_destaque.topLeft() + desloc) * m_zoom,
                              m_destaque.size() * m_zoom);
            p.fillRect(area.adjusted(-1, -1, 1, 1), QColor(255, 200, 0, 110));
            p.setPen(QPen(QColor(230, 120, 0), 1));
            p.drawRect(area.adjusted(-1, -1, 1, 1));
        }
        m_pintadas << pagina;
    }
}

void VisaoPaginas::resizeEvent(QResizeEvent *evento) {
    QAbstractScrollArea::resizeEvent(evento);
    atualizarBarras();
}

void VisaoPaginas::scrollContentsBy(int, int) {
    viewport()->update();
    if (m_navegando)
        return;
    m_atual = paginaNaPosicao();
    avisarPaginaAtual();
}

void VisaoPaginas::wheelEvent(QWheelEvent *evento) {
    if (evento->modifiers() & Qt::ControlModifier) {
        definirZoom(m_zoom * (evento->angleDelta().y() > 0 ? 1.25 : 0.8));
        evento->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(evento);
}

void VisaoPaginas::avisarPaginaAtual() {
    const int atual = paginaAtual();
    if (atual != m_ultimaAvisada) {
        m_ultimaAvisada = atual;
        Q_EMIT paginaAtualMudou(atual);
    }
}
