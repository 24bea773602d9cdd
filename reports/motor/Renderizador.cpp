#include "Renderizador.h"

#include "Fontes.h"
#include "GeometriaPagina.h"
#include "MedidorDeTexto.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>

#include <memory>

namespace Renderizador {

namespace {

struct Contexto {
    QPainter &p;
    const QList<FontePreparada> &fontesDoRelatorio;
    const QList<QImage> &imagens;
    double dpi;
    QList<QFont> fontes;
};

// The glyphs of a line are placed from the tables the pages were measured with,
// instead of shaping the line again for each drawing: the same places, at a
// fraction of the work. Each thread keeps tables of its own.
MedidorDeTexto &medidasDe(const FontePreparada &fonte) {
    thread_local QList<std::pair<FontePreparada, std::shared_ptr<MedidorDeTexto>>> medidas;
    for (const auto &[f, m] : medidas)
        if (f == fonte)
            return *m;
    medidas.push_back({fonte, std::make_shared<MedidorDeTexto>(fonte)});
    return *medidas.last().second;
}

void desenharLinha(QPainter &p, const FontePreparada &fonte, const LinhaDeTexto &linha) {
    thread_local QList<quint32> indices;
    thread_local QList<QPointF> posicoes;
    MedidorDeTexto &medidas = medidasDe(fonte);
    // Underlines stay with Qt's own drawing, which places them.
    if (fonte.sublinhado || !medidas.glifos(linha.texto, indices, posicoes)) {
        p.drawText(linha.base, linha.texto);
        return;
    }
    QGlyphRun corrida;
    corrida.setRawFont(medidas.fonteBruta());
    corrida.setGlyphIndexes(indices);
    corrida.setPositions(posicoes);
    p.drawGlyphRun(linha.base, corrida);
}

QPen caneta(QRgb cor, double largura, MolduraLayout::Estilo estilo) {
    QPen pen(QColor::fromRgba(cor), largura);
    pen.setCapStyle(Qt::FlatCap);
    if (estilo == MolduraLayout::Pontilhado)
        pen.setStyle(Qt::DotLine);
    return pen;
}

void desenharTraco(QPainter &p, const TracoPreparado &t) {
    if (t.estilo != MolduraLayout::Duplo) {
        p.setPen(caneta(t.cor, t.largura, t.estilo));
        p.drawLine(t.inicio, t.fim);
        return;
    }
    // Two thin strokes either side of the line's place (lines and frame sides
    // are horizontal or vertical).
    const double a = t.largura * 0.75;
    const QPointF desvio = qFuzzyCompare(t.inicio.y(), t.fim.y()) ? QPointF(0, a) : QPointF(a, 0);
    p.setPen(caneta(t.cor, t.largura / 2, MolduraLayout::Solido));
    p.drawLine(t.inicio - desvio, t.fim - desvio);
    p.drawLine(t.inicio + desvio, t.fim + desvio);
}

void desenharTexto(Contexto &c, const TextoPreparado &t) {
    QPainter &p = c.p;
    if (qAlpha(t.fundo) != 0)
        p.fillRect(t.caixa, QColor::fromRgba(t.fundo));

    if (!t.linhas.isEmpty()) {
        const QFont &fonte = c.fontes[t.fonte];
        const double em = c.fontesDoRelatorio[t.fonte].alturaEm();
        bool excede = false;
        for (const LinhaDeTexto &l : t.linhas)
            excede = excede || l.base.x() < t.caixa.left() ||
                     l.base.x() + l.largura > t.caixa.right() ||
                     l.base.y() + em * 0.3 > t.caixa.bottom();
        const bool recortar = t.recortar && excede;
        if (recortar) {
            p.save();
            p.setClipRect(t.caixa, Qt::IntersectClip);
        }
        p.setFont(fonte);
        p.setPen(QColor::fromRgba(t.cor));
        for (const LinhaDeTexto &l : t.linhas)
            desenharLinha(p, c.fontesDoRelatorio[t.fonte], l);
        if (recortar)
            p.restore();
    }

    const MolduraLayout &m = t.moldura;
    const QRectF &b = t.caixa;
    auto lado = [&](QPointF a, QPointF z) {
        desenharTraco(p, {a, z, m.largura, m.estilo, 0xff000000});
    };
    if (m.topo)
        lado(b.topLeft(), b.topRight());
    if (m.baixo)
        lado(b.bottomLeft(), b.bottomRight());
    if (m.esquerda)
        lado(b.topLeft(), b.bottomLeft());
    if (m.direita)
        lado(b.topRight(), b.bottomRight());
}

void desenharRetangulo(QPainter &p, const RetanguloPreparado &r) {
    p.fillRect(r.caixa, QColor::fromRgba(r.fundo));
    if (r.largura <= 0)
        return;
    const double meio = r.largura / 2;
    p.setPen(caneta(r.borda, r.largura, MolduraLayout::Solido));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.caixa.adjusted(meio, meio, -meio, -meio));
}

void desenharFigura(Contexto &c, const FiguraPreparada &f) {
    if (f.imagem < 0 || f.imagem >= c.imagens.size())
        return;
    c.p.save();
    c.p.setClipRect(f.caixa, Qt::IntersectClip);
    c.p.drawImage(f.destino, c.imagens[f.imagem]);
    c.p.restore();
}

void desenharElementos(QPainter &painter, const QList<FontePreparada> &fontes,
                       const QList<QImage> &imagens, const PaginaPreparada &pag) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);

    painter.translate(pag.deslocamentoMm * Layout::pixelsPorMm);
    Contexto c{painter, fontes, imagens, double(painter.device()->logicalDpiY()), {}};
    for (const FontePreparada &f : fontes)
        c.fontes << Fontes::criar(f, c.dpi);

    for (const ElementoPreparado &e : pag.elementos) {
        std::visit(
            [&](const auto &el) {
                using T = std::decay_t<decltype(el)>;
                if constexpr (std::is_same_v<T, TextoPreparado>)
                    desenharTexto(c, el);
                else if constexpr (std::is_same_v<T, TracoPreparado>)
                    desenharTraco(painter, el);
                else if constexpr (std::is_same_v<T, RetanguloPreparado>)
                    desenharRetangulo(painter, el);
                else
                    desenharFigura(c, el);
            },
            e);
    }
    painter.restore();
}

} // namespace

void desenharPagina(QPainter &painter, const RelatorioPreparado &relatorio, int pagina) {
    if (pagina < 0 || pagina >= relatorio.paginas.size())
        return;
    desenharElementos(painter, relatorio.fontes, relatorio.imagens, relatorio.paginas[pagina]);
}

void desenharPaginaEm(QPainter &painter, const QList<FontePreparada> &fontes,
                      const QList<QImage> &imagens, const PaginaPreparada &pagina, double dpi) {
    painter.save();
    painter.scale(dpi / 96.0, dpi / 96.0);
    desenharElementos(painter, fontes, imagens, pagina);
    painter.restore();
}

void desenharPaginaEm(QPainter &painter, const RelatorioPreparado &relatorio, int pagina,
                      double dpi) {
    if (pagina < 0 || pagina >= relatorio.paginas.size())
        return;
    desenharPaginaEm(painter, relatorio.fontes, relatorio.imagens, relatorio.paginas[pagina], dpi);
}

QSize tamanhoEmPixels(const PaginaPreparada &pagina, double dpi) {
    return GeometriaPagina(pagina).tamanhoEmPixels(dpi);
}

QImage imagem(const RelatorioPreparado &relatorio, int pagina, double dpi, QImage::Format formato) {
    if (pagina < 0 || pagina >= relatorio.paginas.size())
        return {};
    QImage img(tamanhoEmPixels(relatorio.paginas.cabecalho(pagina), dpi), formato);
    const int pontosPorMetro = qRound(dpi / 0.0254);
    img.setDotsPerMeterX(pontosPorMetro);
    img.setDotsPerMeterY(pontosPorMetro);
    img.fill(Qt::white);
    QPainter painter(&img);
    desenharPaginaEm(painter, relatorio, pagina, dpi);
    return img;
}

} // namespace Renderizador
