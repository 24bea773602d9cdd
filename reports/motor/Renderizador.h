#pragma once
#include "PaginaPreparada.h"

#include <QImage>

class QPainter;

// The one renderer: every output (preview, printer, PDF, images) draws a
// prepared page through it, so line breaks, clipping and positions agree.
namespace Renderizador {

// Draws a page with the painter mapping one unit to one layout pixel; the
// painter's state is restored afterwards.
void desenharPagina(QPainter &painter, const RelatorioPreparado &relatorio, int pagina);

// Draws a page onto the painter's device scaled so that the page's layout
// pixels land at `dpi` device pixels per inch, from the painter's origin.
void desenharPaginaEm(QPainter &painter, const RelatorioPreparado &relatorio, int pagina,
                      double dpi);
// The same for a page already read, with the report's fonts and pictures given
// apart: a thread drawing pages of its own gives its own copies of them.
void desenharPaginaEm(QPainter &painter, const QList<FontePreparada> &fontes,
                      const QList<QImage> &imagens, const PaginaPreparada &pagina, double dpi);

// The size in pixels of a page at a resolution (A4 portrait at 96 dpi: 794 × 1123).
QSize tamanhoEmPixels(const PaginaPreparada &pagina, double dpi);

// A page as a white picture at a resolution.
QImage imagem(const RelatorioPreparado &relatorio, int pagina, double dpi,
              QImage::Format formato = QImage::Format_RGB32);

} // namespace Renderizador
