#pragma once
#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QSize>
#include <QSizeF>

struct PaginaPreparada;

// The paper of a prepared page: its size, orientation and margins, and what the
// printer, the PDF writer and the preview take from them. Printing and PDF lay
// the whole sheet out and draw from its corner; page setup shows the margins.
class GeometriaPagina {
public:
    // A paper given either way round: the orientation decides which side is the width.
    GeometriaPagina(const QSizeF &papelMm, bool paisagem, const QMarginsF &margensMm = {});
    explicit GeometriaPagina(const PaginaPreparada &pagina);
    // What a page setup window chose.
    static GeometriaPagina deLeiaute(const QPageLayout &leiaute);

    bool paisagem() const { return m_paisagem; }
    // Width and height as the page is read.
    QSizeF tamanhoMm() const;
    const QMarginsF &margensMm() const { return m_margensMm; }

    // The sheet from its top-left corner, and the part inside the margins.
    QRectF papelMm() const;
    QRectF areaUtilMm() const;
    // The sheet at a resolution (layout pixels at 96 dpi), in exact and in whole pixels.
    QRectF papelEm(double dpi) const;
    QSize tamanhoEmPixels(double dpi) const;

    // The sheet for a printer or a PDF writer: no margins, drawing starts at its corner.
    QPageLayout leiauteFolhaInteira() const;
    // The sheet with its margins, as page setup shows it.
    QPageLayout leiauteComMargens() const;

    // Gives a page this paper; its content moves by the change of the margins,
    // so that it keeps its place inside them.
    void aplicarEm(PaginaPreparada &pagina) const;

    bool operator==(const GeometriaPagina &) const = default;

private:
    QPageSize tamanhoDoPapel() const;

    double m_menorMm = 210; // the paper's short side
    double m_maiorMm = 297; // the paper's long side
    bool m_paisagem = false;
    QMarginsF m_margensMm;
};
