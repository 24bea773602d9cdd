#include "Exportadores.h"

#include "ErroSistema.h"

#include <QBuffer>
#include <QSaveFile>

namespace Exportadores {

namespace {

// Twips (1/1440 inch) per layout pixel (1/96 inch).
constexpr int twipsPorPixel = 15;

int twips(double px) {
    return qRound(px * twipsPorPixel);
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

struct Escritor {
    QByteArray rtf;
    QList<QRgb> cores{0xff000000};

    int cor(QRgb c) {
        c |= 0xff000000;
        const qsizetype i = cores.indexOf(c);
        if (i >= 0)
            return int(i) + 1;
        cores << c;
        return int(cores.size());
    }

    // An absolutely placed frame on the page holding one paragraph.
    QPointF deslocamento; // the page's content moved by page setup, layout pixels

    void abrirQuadro(const QRectF &caixaNaPagina) {
        const QRectF caixa = caixaNaPagina.translated(deslocamento);
        rtf += "{\\pard\\plain\\pvpg\\phpg\\posx" + QByteArray::number(twips(caixa.left())) +
               "\\posy" + QByteArray::number(twips(caixa.top())) + "\\absw" +
               QByteArray::number(qMax(1, twips(caixa.width()))) + "\\absh-" +
               QByteArray::number(qMax(1, twips(caixa.height()))) +
               "\\nowrap\\dxfrtext0\\dfrmtxtx0\\dfrmtxty0";
    }

    void texto(const RelatorioPreparado &r, const TextoPreparado &t) {
        const FontePreparada &f = r.fontes.value(t.fonte);
        abrirQuadro(t.caixa);
        if (!t.linhas.isEmpty()) {
            const LinhaDeTexto &l = t.linhas.first();
            const double esquerda = l.base.x() - t.caixa.left();
            const double direita = t.caixa.right() - (l.base.x() + l.largura);
            if (qAbs(esquerda - direita) < 1.0 && esquerda > 3)
                rtf += "\\qc";
            else if (direita < esquerda)
                rtf += "\\qr";
            else
                rtf += "\\ql";
        }
        if (qAlpha(t.fundo) != 0) {
            const QByteArray c = QByteArray::number(cor(t.fundo));
            rtf += "\\cbpat" + c + "\\cfpat" + c + "\\shading10000";
        }
        if (t.moldura.topo)
            rtf += t.moldura.estilo == MolduraLayout::Duplo ? "\\brdrt\\brdrdb\\brdrw10"
                                                            : "\\brdrt\\brdrs\\brdrw10";
        rtf += "\\sl-" + QByteArray::number(twips(f.alturaEm() * 1.15 + 2)) + "\\slmult0";
        rtf += "\\f" + QByteArray::number(t.fonte) + "\\fs" + QByteArray::number(f.pontos * 2);
        if (f.negrito)
            rtf += "\\b";
        if (f.italico)
            rtf += "\\i";
        if (f.sublinhado)
            rtf += "\\ul";
        rtf += "\\cf" + QByteArray::number(cor(t.cor)) + ' ';
        for (qsizetype i = 0; i < t.linhas.size(); ++i) {
            if (i > 0)
                rtf += "\\line ";
            rtf += escapar(t.linhas[i].texto);
        }
        rtf += "\\par}\n";
    }

    void figura(const RelatorioPreparado &r, const FiguraPreparada &f) {
        const QImage &img = r.imagens.value(f.imagem);
        if (img.isNull())
            return;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "PNG");
        abrirQuadro(f.destino);
        rtf += "\\ql {\\pict\\pngblip\\picw" + QByteArray::number(img.width()) + "\\pich" +
               QByteArray::number(img.height()) + "\\picwgoal" +
               QByteArray::number(twips(f.destino.width())) + "\\pichgoal" +
               QByteArray::number(twips(f.destino.height())) + "\n";
        const QByteArray hex = png.toHex();
        for (qsizetype i = 0; i < hex.size(); i += 128)
            rtf += hex.mid(i, 128) + '\n';
        rtf += "}\\par}\n";
    }

    // A horizontal rule: a paragraph border at the top of a thin frame.
    void traco(const TracoPreparado &l) {
        if (!qFuzzyCompare(l.inicio.y(), l.fim.y()))
            return;
        abrirQuadro(QRectF(l.inicio.x(), l.inicio.y(), l.fim.x() - l.inicio.x(), 2));
        const char *estilo = l.estilo == MolduraLayout::Pontilhado ? "\\brdrdot"
                             : l.estilo == MolduraLayout::Duplo    ? "\\brdrdb"
                                                                   : "\\brdrs";
        rtf += QByteArray("\\brdrt") + estilo + "\\brdrw" +
               QByteArray::number(qMax(1, twips(l.largura))) + "\\fs2 \\par}\n";
    }
};

} // namespace

void rtf(const RelatorioPreparado &relatorio, const QString &arquivo,
         const ConfigExportacaoRtf &config, const Progresso &progresso) {
    Escritor e;
    QByteArray corpo;
    const int total = int(relatorio.paginas.size());
    for (int p = 0; p < total; ++p) {
        const PaginaPreparada &pagina = relatorio.paginas[p];
        const QSizeF tamanho = pagina.tamanhoPx();
        e.rtf.clear();
        if (p > 0)
            e.rtf += config.quebrasDePagina ? "\\sect" : "";
        e.rtf += "\\sectd\\sbkpage\\pgwsxn" + QByteArray::number(twips(tamanho.width())) +
                 "\\pghsxn" + QByteArray::number(twips(tamanho.height())) +
                 (pagina.paisagem ? "\\lndscpsxn" : "") +
                 "\\marglsxn0\\margrsxn0\\margtsxn0\\margbsxn0\n";
        e.deslocamento = pagina.deslocamentoMm * Layout::pixelsPorMm;
        for (const ElementoPreparado &el : pagina.elementos) {
            if (const auto *t = std::get_if<TextoPreparado>(&el))
                e.texto(relatorio, *t);
            else if (const auto *f = std::get_if<FiguraPreparada>(&el); f && config.figuras)
                e.figura(relatorio, *f);
            else if (const auto *l = std::get_if<TracoPreparado>(&el))
                e.traco(*l);
        }
        // An empty anchor paragraph holds the page's frames.
        e.rtf += "\\pard\\plain\\fs2\\par\n";
        corpo += e.rtf;
        if (progresso)
            progresso(p + 1, total);
    }

    QByteArray documento = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (int i = 0; i < relatorio.fontes.size(); ++i) {
        const QString &nome = relatorio.fontes[i].nome;
        documento += "{\\f" + QByteArray::number(i) +
                     (nome.contains(u"Serif") ? "\\fswiss " : "\\fswiss ") + escapar(nome) + ";}";
    }
    if (relatorio.fontes.isEmpty())
        documento += "{\\f0\\fswiss Arial;}";
    documento += "}\n{\\colortbl;";
    for (QRgb c : e.cores)
        documento += "\\red" + QByteArray::number(qRed(c)) + "\\green" +
                     QByteArray::number(qGreen(c)) + "\\blue" + QByteArray::number(qBlue(c)) + ';';
    documento += "}\n{\\info{\\title " + escapar(relatorio.nome) + "}{\\author " +
                 escapar(config.criador) + "}{\\doccomm " + escapar(config.criador) + "}}\n";
    if (!relatorio.paginas.isEmpty()) {
        const QSizeF t = relatorio.paginas.first().tamanhoPx();
        documento += "\\paperw" + QByteArray::number(twips(t.width())) + "\\paperh" +
                     QByteArray::number(twips(t.height())) + "\\margl0\\margr0\\margt0\\margb0\n";
    }
    documento += corpo + "}\n";

    QSaveFile saida(arquivo);
    if (!saida.open(QIODevice::WriteOnly) || saida.write(documento) != documento.size() ||
        !saida.commit())
        throw ErroSistema(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                              .arg(arquivo, saida.errorString()));
}

} // namespace Exportadores
