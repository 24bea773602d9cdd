#include "GeometriaPagina.h"

#include "PaginaPreparada.h"

GeometriaPagina::GeometriaPagina(const QSizeF &papelMm, bool paisagem, const QMarginsF &margensMm)
    : m_menorMm(qMin(papelMm.width(), papelMm.height())),
      m_maiorMm(qMax(papelMm.width(), papelMm.height())), m_paisagem(paisagem),
      m_margensMm(margensMm) {}

GeometriaPagina::GeometriaPagina(const PaginaPreparada &pagina)
    : GeometriaPagina(QSizeF(pagina.larguraMm, pagina.alturaMm), pagina.paisagem,
                      pagina.margensMm) {}

GeometriaPagina GeometriaPagina::deLeiaute(const QPageLayout &leiaute) {
    return GeometriaPagina(leiaute.pageSize().size(QPageSize::Millimeter),
                           leiaute.orientation() == QPageLayout::Landscape,
                           leiaute.margins(QPageLayout::Millimeter));
}

QSizeF GeometriaPagina::tamanhoMm() const {
    return m_paisagem ? QSizeF(m_maiorMm, m_menorMm) : QSizeF(m_menorMm, m_maiorMm);
}

QRectF GeometriaPagina::papelMm() const {
    return QRectF(QPointF(0, 0), tamanhoMm());
}

QRectF GeometriaPagina::areaUtilMm() const {
    return papelMm().marginsRemoved(m_margensMm);
}

QRectF GeometriaPagina::papelEm(double dpi) const {
    return QRectF(QPointF(0, 0), tamanhoMm() * (dpi / 25.4));
}

QSize GeometriaPagina::tamanhoEmPixels(double dpi) const {
    const QSizeF t = papelEm(dpi).size();
    return QSize(qRound(t.width()), qRound(t.height()));
}

QPageSize GeometriaPagina::tamanhoDoPapel() const {
    // A known paper (A4, Letter...) keeps its name, so printers pick the right tray.
    return QPageSize(QSizeF(m_menorMm, m_maiorMm), QPageSize::Millimeter, QString(),
                     QPageSize::FuzzyMatch);
}

QPageLayout GeometriaPagina::leiauteFolhaInteira() const {
    return QPageLayout(tamanhoDoPapel(),
                       m_paisagem ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

QPageLayout GeometriaPagina::leiauteComMargens() const {
    return QPageLayout(tamanhoDoPapel(),
                       m_paisagem ? QPageLayout::Landscape : QPageLayout::Portrait, m_margensMm,
                       QPageLayout::Millimeter, QMarginsF());
}

void GeometriaPagina::aplicarEm(PaginaPreparada &pagina) const {
    const QSizeF tamanho = tamanhoMm();
    pagina.paisagem = m_paisagem;
    pagina.larguraMm = tamanho.width();
    pagina.alturaMm = tamanho.height();
    pagina.deslocamentoMm += QPointF(m_margensMm.left() - pagina.margensMm.left(),
                                     m_margensMm.top() - pagina.margensMm.top());
    pagina.margensMm = m_margensMm;
}
