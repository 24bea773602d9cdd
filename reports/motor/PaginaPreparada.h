#pragma once
#include "ModeloLayout.h"

#include <QImage>
#include <QList>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <QSizeF>
#include <QString>

#include <variant>

// Prepared pages: plain value records in layout pixels, every text already cut
// into lines and placed. Screen, paper, PDF and images all draw these same
// records through the one renderer, so a page reads the same everywhere.

// A font as the page uses it; the em height in layout pixels is pontos * 96 / 72.
struct FontePreparada {
    QString nome;
    int pontos = 10;
    bool negrito = false;
    bool italico = false;
    bool sublinhado = false;
    double alturaEm() const { return pontos * 96.0 / 72.0; }
    bool operator==(const FontePreparada &) const = default;
};

// One line of a text, starting at its baseline point.
struct LinhaDeTexto {
    QPointF base;
    QString texto;
    double largura = 0;
    bool operator==(const LinhaDeTexto &) const = default;
};

struct TextoPreparado {
    QString nome; // the layout object it came from
    QRectF caixa;
    bool recortar = true;
    int fonte = 0; // index into RelatorioPreparado::fontes
    QRgb cor = 0xff000000;
    QRgb fundo = 0; // alpha 0: transparent
    MolduraLayout moldura;
    QList<LinhaDeTexto> linhas;
    // How the layout sets the text in its box, so that files with alignment and
    // wrapping of their own (spreadsheets, rich text) set it the same way.
    AlinhamentoH alinhamentoH = AlinhamentoH::Esquerda;
    AlinhamentoV alinhamentoV = AlinhamentoV::Topo;
    bool quebraLinha = true;
    // When the text is exactly one placeholder, the kind of its value and the value
    // itself, so that spreadsheets receive numbers and dates, not their digits. A
    // number is valor / 10^casasValor, shown with casasExibidas decimals grouped in
    // thousands (-1: the decimals it has, ungrouped); a date is its Julian day.
    enum class Tipo : quint8 { Texto, Numero, Data };
    Tipo tipo = Tipo::Texto;
    qint8 casasValor = 0;
    qint8 casasExibidas = -1;
    qint64 valor = 0;
    bool operator==(const TextoPreparado &) const = default;
};

// A straight line (line objects and the sides of frames).
struct TracoPreparado {
    QPointF inicio;
    QPointF fim;
    double largura = 1;
    MolduraLayout::Estilo estilo = MolduraLayout::Solido;
    QRgb cor = 0xff000000;
    bool operator==(const TracoPreparado &) const = default;
};

struct RetanguloPreparado {
    QRectF caixa;
    double largura = 1;
    QRgb borda = 0xff000000;
    QRgb fundo = 0xffffffff;
    bool operator==(const RetanguloPreparado &) const = default;
};

struct FiguraPreparada {
    QRectF caixa;   // the object's box, which clips
    QRectF destino; // where the image lands, scaled with its aspect kept
    int imagem = 0; // index into RelatorioPreparado::imagens
    bool operator==(const FiguraPreparada &) const = default;
};

using ElementoPreparado =
    std::variant<TextoPreparado, TracoPreparado, RetanguloPreparado, FiguraPreparada>;

struct PaginaPreparada {
    double larguraMm = 210;
    double alturaMm = 297;
    bool paisagem = false;
    // The margins the page was laid out with, as page setup shows them; a
    // change there moves the whole content by the difference.
    QMarginsF margensMm;
    QPointF deslocamentoMm;
    QList<ElementoPreparado> elementos;

    QSizeF tamanhoPx() const {
        return {larguraMm * Layout::pixelsPorMm, alturaMm * Layout::pixelsPorMm};
    }
    bool operator==(const PaginaPreparada &) const = default;
};

#include "PaginasPreparadas.h"

// The pages of one run of a layout, with the fonts and pictures they share.
struct RelatorioPreparado {
    QString nome;
    // The text of the report title's first text object: the document's title in files.
    QString titulo;
    QList<FontePreparada> fontes;
    QList<QImage> imagens;
    PaginasPreparadas paginas;

    int indiceFonte(const FontePreparada &fonte);
    int indiceImagem(const QImage &imagem);
    void limpar() { *this = RelatorioPreparado{}; }
};
