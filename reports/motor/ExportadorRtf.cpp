#include "Exportadores.h"

#include "ErroSistema.h"
#include "Fontes.h"
#include "SaidaArquivo.h"

#include <QBuffer>
#include <QFontMetricsF>

#include <limits>

namespace Exportadores {

namespace {

// Twips (1/1440 inch) per layout pixel (1/96 inch).
constexpr int twipsPorPixel = 15;
// English metric units per layout pixel, for the widths of drawn lines.
constexpr int emuPorPixel = 9525;

QByteArray twips(double px) {
    return QByteArray::number(qRound(px * twipsPorPixel));
}

// Plain text as RTF: control characters escaped, everything beyond ASCII as \uN?.
QByteArray escapar(const QString &texto) {
    QByteArray saida;
    saida.reserve(texto.size() + 8);
    for (const QChar c : texto) {
        const ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            saida += '\\';
            saida += char(u);
        } else if (u == '\t') {
            saida += "\\tab ";
        } else if (u >= 0x20 && u < 0x80) {
            saida += char(u);
        } else if (u >= 0x80) {
            saida += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
    return saida;
}

// A colour as drawing objects take it: red in the low byte.
QByteArray corDeDesenho(QRgb c) {
    return QByteArray::number(qRed(c) | qGreen(c) << 8 | qBlue(c) << 16);
}

QByteArray propriedade(const char *nome, const QByteArray &valor) {
    return QByteArray("{\\sp{\\sn ") + nome + "}{\\sv " + valor + "}}";
}

struct Escritor {
    const RelatorioPreparado &r;
    const ConfigExportacaoRtf &config;
    QList<QRgb> cores{0xff000000};
    QList<QFontMetricsF> medidas;
    QByteArray pagina;    // the frames of the page being written
    QByteArray desenho;   // its drawing objects, anchored to the page's last paragraph
    QPointF deslocamento; // the page's content moved by page setup, layout pixels
    double larguraPagina = 0;
    int ordem = 0;
    QList<const TextoPreparado *> textosDaPagina; // those with lines, of the page being written

    Escritor(const RelatorioPreparado &relatorio, const ConfigExportacaoRtf &c)
        : r(relatorio), config(c) {
        for (const FontePreparada &f : relatorio.fontes)
            medidas << QFontMetricsF(Fontes::criar(f, 96), Fontes::dispositivoDeMedida());
    }

    int cor(QRgb c) {
        c |= 0xff000000;
        const qsizetype i = cores.indexOf(c);
        if (i >= 0)
            return int(i) + 1;
        cores << c;
        return int(cores.size());
    }

    // A drawing object placed on the page, behind the text, in the page's order.
    void forma(int tipo, const QRectF &caixaNaPagina, const QByteArray &propriedades) {
        const QRectF c = caixaNaPagina.translated(deslocamento);
        desenho += "{\\shp{\\*\\shpinst\\shpleft" + twips(c.left()) + "\\shptop" + twips(c.top()) +
                   "\\shpright" + twips(c.right()) + "\\shpbottom" + twips(c.bottom()) +
                   "\\shpfhdr0\\shpbxpage\\shpbxignore\\shpbypage\\shpbyignore\\shpwr3\\shpwrk0"
                   "\\shpfblwtxt1\\shpz" +
                   QByteArray::number(ordem++) +
                   propriedade("shapeType", QByteArray::number(tipo)) + propriedades + "}}\n";
    }

    void retangulo(const QRectF &caixa, QRgb fundo, QRgb borda, double largura) {
        QByteArray p;
        p += propriedade("fFilled", qAlpha(fundo) != 0 ? "1" : "0");
        if (qAlpha(fundo) != 0)
            p += propriedade("fillColor", corDeDesenho(fundo));
        p += propriedade("fLine", largura > 0 ? "1" : "0");
        if (largura > 0)
            p += propriedade("lineColor", corDeDesenho(borda)) +
                 propriedade("lineWidth", QByteArray::number(qRound(largura * emuPorPixel)));
        forma(1, caixa, p);
    }

    void traco(QPointF inicio, QPointF fim, double largura, MolduraLayout::Estilo estilo, QRgb c) {
        // A dotted rule as the dotted border of an empty frame along it: word processors draw
        // such borders dotted, where some draw a dotted line shape solid.
        const bool horizontal = qAbs(inicio.y() - fim.y()) < 0.5;
        if (estilo == MolduraLayout::Pontilhado &&
            (horizontal || qAbs(inicio.x() - fim.x()) < 0.5)) {
            const QRectF r = QRectF(inicio, fim).normalized().translated(deslocamento);
            pagina += "{\\pard\\plain\\pvpg\\phpg\\posx" + twips(r.left()) + "\\posy" +
                      twips(r.top()) + "\\absw" + twips(qMax(1.0, r.width())) + "\\absh-" +
                      twips(qMax(1.0, r.height())) + "\\dxfrtext0" +
                      (horizontal ? "\\brdrt" : "\\brdrl") + "\\brdrdot\\brdrw" + twips(largura) +
                      "\\brdrcf" + QByteArray::number(cor(c)) + "\\fs2 \\par}\n";
            return;
        }
        QByteArray p = propriedade("lineColor", corDeDesenho(c)) +
                       propriedade("lineWidth", QByteArray::number(qRound(largura * emuPorPixel)));
        if (estilo == MolduraLayout::Pontilhado)
            p += propriedade("lineDashing", "2");
        else if (estilo == MolduraLayout::Duplo)
            p += propriedade("lineStyle", "1");
        forma(20, QRectF(inicio, fim).normalized(), p);
    }

    // Half the room beside a text's box up to the nearest other text on its lines (the
    // other half is the neighbour's). A frame grows into that room only: a frame over a
    // neighbour's hides the neighbour's first or last letters in the word processor.
    double livreAoLado(const TextoPreparado &t, bool aDireita) const {
        const QRectF &b = t.caixa;
        double livre = std::numeric_limits<double>::max();
        for (const TextoPreparado *outro : textosDaPagina) {
            const QRectF &o = outro->caixa;
            if (outro == &t || o.bottom() <= b.top() + 0.5 || o.top() >= b.bottom() - 0.5)
                continue;
            if (aDireita && o.left() >= b.right() - 0.5)
                livre = qMin(livre, o.left() - b.right());
            else if (!aDireita && o.right() <= b.left() + 0.5)
                livre = qMin(livre, b.left() - o.right());
        }
        return qMax(0.0, livre) / 2;
    }

    // The text in a frame wider than its box on the side away from its alignment, as
    // far as the room beside it allows: the page's lines are kept with explicit
    // breaks, so the word processor, measuring a little differently, never wraps them
    // again and hides the rest.
    void texto(const TextoPreparado &t) {
        if (qAlpha(t.fundo) != 0)
            retangulo(t.caixa, t.fundo, 0, 0);
        const MolduraLayout &m = t.moldura;
        const QRectF &b = t.caixa;
        if (m.topo)
            traco(b.topLeft(), b.topRight(), m.largura, m.estilo, 0xff000000);
        if (m.baixo)
            traco(b.bottomLeft(), b.bottomRight(), m.largura, m.estilo, 0xff000000);
        if (m.esquerda)
            traco(b.topLeft(), b.bottomLeft(), m.largura, m.estilo, 0xff000000);
        if (m.direita)
            traco(b.topRight(), b.bottomRight(), m.largura, m.estilo, 0xff000000);
        if (t.linhas.isEmpty())
            return;

        const FontePreparada &f = r.fontes.value(t.fonte);
        const QFontMetricsF fm =
            medidas.value(t.fonte, QFontMetricsF(QFont(), Fontes::dispositivoDeMedida()));
        const LinhaDeTexto &primeira = t.linhas.first();
        const double folga = qMax(24.0, b.width() * 0.15);
        double esquerda = b.left(), direita = b.right();
        double recuoEsquerdo = 0, recuoDireito = 0;
        QByteArray alinhamento = "\\ql";
        double ladoCentrado = 0;
        switch (t.alinhamentoH) {
        case AlinhamentoH::Esquerda:
            direita += qMin(folga, livreAoLado(t, true));
            recuoEsquerdo = primeira.base.x() - b.left();
            break;
        case AlinhamentoH::Direita:
            esquerda -= qMin(folga, livreAoLado(t, false));
            recuoDireito = b.right() - (primeira.base.x() + primeira.largura);
            alinhamento = "\\qr";
            break;
        case AlinhamentoH::Centro:
            // Alike on both sides, which keeps the centre.
            ladoCentrado = qMin(folga, qMin(livreAoLado(t, false), livreAoLado(t, true)));
            esquerda -= ladoCentrado;
            direita += ladoCentrado;
            alinhamento = "\\qc";
            break;
        }
        // Kept on the page; a centred text keeps its centre.
        const double excesso = qMax(0.0, -(esquerda + deslocamento.x())) +
                               qMax(0.0, direita + deslocamento.x() - larguraPagina);
        if (t.alinhamentoH == AlinhamentoH::Centro) {
            const double corte = qMin(excesso / 2, ladoCentrado);
            esquerda += corte;
            direita -= corte;
        } else {
            esquerda = qMax(esquerda, -deslocamento.x());
            direita = qMin(direita, larguraPagina - deslocamento.x());
        }
        // The frame starts where the first line's top sits on the page (less the inner
        // gap), which keeps vertically centred texts where the page has them.
        const double topo = qMax(primeira.base.y() - fm.ascent() - 1, b.top());
        const double passo =
            t.linhas.size() > 1 ? t.linhas[1].base.y() - primeira.base.y() : fm.height() + 2;
        const QPointF canto = QPointF(esquerda, topo) + deslocamento;
        pagina += "{\\pard\\plain\\pvpg\\phpg\\posx" + twips(canto.x()) + "\\posy" +
                  twips(canto.y()) + "\\absw" + twips(qMax(1.0, direita - esquerda)) + "\\absh" +
                  twips(qMax(1.0, b.bottom() - topo)) + "\\dxfrtext0\\dfrmtxtx0\\dfrmtxty0" +
                  alinhamento + "\\li" + twips(qMax(0.0, recuoEsquerdo)) + "\\ri" +
                  twips(qMax(0.0, recuoDireito)) + "\\sl-" + twips(passo) + "\\slmult0\\f" +
                  QByteArray::number(t.fonte) + "\\fs" + QByteArray::number(f.pontos * 2);
        if (f.negrito)
            pagina += "\\b";
        if (f.italico)
            pagina += "\\i";
        if (f.sublinhado)
            pagina += "\\ul";
        // A fill also as the paragraph's own shading: word processors that leave the drawn
        // rectangle out (LibreOffice) would show white letters on white.
        if (qAlpha(t.fundo) != 0)
            pagina += "\\cbpat" + QByteArray::number(cor(t.fundo));
        pagina += "\\cf" + QByteArray::number(cor(t.cor)) + ' ';
        for (qsizetype i = 0; i < t.linhas.size(); ++i) {
            if (i > 0)
                pagina += "\\line ";
            pagina += escapar(t.linhas[i].texto);
        }
        pagina += "\\par}\n";
    }

    void figura(const FiguraPreparada &f) {
        const QImage &img = r.imagens.value(f.imagem);
        if (img.isNull())
            return;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "PNG");
        const QRectF c = f.destino.translated(deslocamento);
        pagina += "{\\pard\\plain\\pvpg\\phpg\\posx" + twips(c.left()) + "\\posy" + twips(c.top()) +
                  "\\absw" + twips(qMax(1.0, c.width())) + "\\absh-" +
                  twips(qMax(1.0, c.height())) + "\\dxfrtext0\\dfrmtxtx0\\dfrmtxty0" +
                  "\\ql {\\pict\\pngblip\\picw" + QByteArray::number(img.width()) + "\\pich" +
                  QByteArray::number(img.height()) + "\\picwgoal" + twips(f.destino.width()) +
                  "\\pichgoal" + twips(f.destino.height()) + "\n";
        const QByteArray hex = png.toHex();
        for (qsizetype i = 0; i < hex.size(); i += 128)
            pagina += hex.mid(i, 128) + '\n';
        pagina += "}\\par}\n";
    }

    void escreverPagina(int p) {
        const PaginaPreparada &pg = r.paginas[p];
        const QSizeF tamanho = pg.tamanhoPx();
        pagina.clear();
        desenho.clear();
        if (p > 0)
            pagina += config.quebrasDePagina ? "\\sect" : "";
        pagina += "\\sectd\\sbkpage\\pgwsxn" + twips(tamanho.width()) + "\\pghsxn" +
                  twips(tamanho.height()) + (pg.paisagem ? "\\lndscpsxn" : "") +
                  "\\marglsxn0\\margrsxn0\\margtsxn0\\margbsxn0\n";
        deslocamento = pg.deslocamentoMm * Layout::pixelsPorMm;
        larguraPagina = tamanho.width();
        textosDaPagina.clear();
        for (const ElementoPreparado &el : pg.elementos)
            if (const auto *t = std::get_if<TextoPreparado>(&el); t && !t->linhas.isEmpty())
                textosDaPagina << t;
        for (const ElementoPreparado &el : pg.elementos) {
            if (const auto *t = std::get_if<TextoPreparado>(&el))
                texto(*t);
            else if (const auto *f = std::get_if<FiguraPreparada>(&el); f && config.figuras)
                figura(*f);
            else if (const auto *l = std::get_if<TracoPreparado>(&el))
                traco(l->inicio, l->fim, l->largura, l->estilo, l->cor);
            else if (const auto *q = std::get_if<RetanguloPreparado>(&el))
                retangulo(q->caixa, q->fundo, q->borda, q->largura);
        }
        // The page's last paragraph holds its frames and its drawing objects.
        pagina += "\\pard\\plain\\fs2 " + desenho + "\\par\n";
    }
};

} // namespace

void rtf(const RelatorioPreparado &relatorio, const QString &arquivo,
         const ConfigExportacaoRtf &config, const Progresso &progresso) {
    // The file chosen is checked first, so a folder that refuses it says so at once.
    SaidaArquivo saida(arquivo);
    Escritor e(relatorio, config);
    // The colour table leads the file: the colours of the texts are gathered first,
    // a pass the user can cancel as well.
    const int total = int(relatorio.paginas.size());
    for (int p = 0; p < total; ++p) {
        // The page is decoded into a copy that must outlive the loop over its elements.
        const PaginaPreparada pagina = relatorio.paginas.at(p);
        for (const ElementoPreparado &el : pagina.elementos) {
            if (const auto *t = std::get_if<TextoPreparado>(&el)) {
                e.cor(t->cor);
                if (qAlpha(t->fundo) != 0)
                    e.cor(t->fundo);
            } else if (const auto *l = std::get_if<TracoPreparado>(&el)) {
                e.cor(l->cor);
            }
        }
        informar(progresso, 0, total);
    }

    QByteArray cabecalho = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    // Each face with the one of the same metrics that Debian has, which a word processor
    // without the face takes instead: otherwise it picks a wider one and the lines run long.
    const auto face = [](const QString &nome) -> QByteArray {
        QByteArray b = escapar(nome);
        b += "{\\*\\falt Liberation Sans}";
        return b;
    };
    for (int i = 0; i < relatorio.fontes.size(); ++i)
        cabecalho += "{\\f" + QByteArray::number(i) + "\\fswiss\\fcharset0 " +
                     face(relatorio.fontes[i].nome) + ";}";
    if (relatorio.fontes.isEmpty())
        cabecalho += "{\\f0\\fswiss\\fcharset0 " + face(QStringLiteral("Arial")) + ";}";
    cabecalho += "}\n{\\colortbl;";
    for (QRgb c : e.cores)
        cabecalho += "\\red" + QByteArray::number(qRed(c)) + "\\green" +
                     QByteArray::number(qGreen(c)) + "\\blue" + QByteArray::number(qBlue(c)) + ';';
    const QString titulo = relatorio.titulo.isEmpty() ? relatorio.nome : relatorio.titulo;
    const ConfigExportacaoRtf completas = completar(config);
    cabecalho += "}\n{\\info{\\title " + escapar(titulo) + "}{\\subject " + escapar(titulo) +
                 "}{\\author " + escapar(completas.autor) + "}{\\doccomm " +
                 escapar(completas.criador) + "}}\n";
    if (!relatorio.paginas.isEmpty()) {
        const QSizeF t = relatorio.paginas.first().tamanhoPx();
        cabecalho += "\\paperw" + twips(t.width()) + "\\paperh" + twips(t.height()) +
                     "\\margl0\\margr0\\margt0\\margb0\n";
    }

    saida.escrever(cabecalho);
    // Cancelled, the file is dropped unfinished: the target stays as it was.
    for (int p = 0; p < total; ++p) {
        e.escreverPagina(p);
        saida.escrever(e.pagina);
        informar(progresso, p + 1, total);
    }
    saida.escrever("}\n");
    saida.concluir();
}

} // namespace Exportadores
