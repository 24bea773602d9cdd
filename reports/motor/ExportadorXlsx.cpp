#include "Exportadores.h"

#include "ErroSistema.h"
#include "Fontes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>

namespace Exportadores {

namespace {

// Edges closer than this (layout pixels) make one grid line.
constexpr double tolerancia = 1.0;

QList<double> arestas(QList<double> valores) {
    std::sort(valores.begin(), valores.end());
    QList<double> unicas;
    for (double v : valores)
        if (unicas.isEmpty() || v - unicas.last() > tolerancia)
            unicas << v;
    return unicas;
}

int indiceDa(const QList<double> &linhas, double v) {
    const auto it = std::lower_bound(linhas.cbegin(), linhas.cend(), v - tolerancia);
    return int(qMin<qsizetype>(it - linhas.cbegin(), linhas.size() - 1));
}

struct Celula {
    const TextoPreparado *texto;
    int pagina;
    QRectF caixa; // on the sheet: pages stacked one under the other
};

struct Planilha {
    lxw_workbook *livro = nullptr;
    lxw_worksheet *folha = nullptr;
    QHash<QString, lxw_format *> formatos;
    const RelatorioPreparado *relatorio = nullptr;
    const ConfigExportacaoExcel *config = nullptr;

    lxw_format *formato(const TextoPreparado &t, bool multilinha) {
        const FontePreparada &f = relatorio->fontes.value(t.fonte);
        const QString chave = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                                  .arg(t.fonte)
                                  .arg(t.cor)
                                  .arg(config->fundo ? t.fundo : 0)
                                  .arg(alinhamento(t))
                                  .arg(t.temNumero ? t.casas : -1)
                                  .arg(multilinha)
                                  .arg(t.moldura.topo)
                                  .arg(t.moldura.baixo)
                                  .arg(config->celulasComoTexto);
        auto it = formatos.find(chave);
        if (it != formatos.end())
            return *it;
        lxw_format *fmt = workbook_add_format(livro);
        if (config->estilos) {
            const QByteArray nome =
                (f.nome.compare(u"Arial", Qt::CaseInsensitive) == 0 ? QStringLiteral("Arial")
                                                                    : f.nome)
                    .toUtf8();
            format_set_font_name(fmt, nome.constData());
            format_set_font_size(fmt, f.pontos);
            if (f.negrito)
                format_set_bold(fmt);
            if (f.italico)
                format_set_italic(fmt);
            if (f.sublinhado)
                format_set_underline(fmt, LXW_UNDERLINE_SINGLE);
            format_set_font_color(fmt, t.cor & 0xffffff);
            if (config->fundo && qAlpha(t.fundo) != 0) {
                format_set_pattern(fmt, LXW_PATTERN_SOLID);
                format_set_bg_color(fmt, t.fundo & 0xffffff);
            }
            if (t.moldura.topo)
                format_set_top(fmt, t.moldura.estilo == MolduraLayout::Duplo ? LXW_BORDER_DOUBLE
                                                                             : LXW_BORDER_THIN);
            if (t.moldura.baixo)
                format_set_bottom(fmt, t.moldura.estilo == MolduraLayout::Duplo ? LXW_BORDER_DOUBLE
                                                                                : LXW_BORDER_THIN);
        }
        const int a = alinhamento(t);
        format_set_align(fmt, a == 0   ? LXW_ALIGN_LEFT
                              : a == 1 ? LXW_ALIGN_CENTER
                                       : LXW_ALIGN_RIGHT);
        format_set_align(fmt, LXW_ALIGN_VERTICAL_TOP);
        if (multilinha)
            format_set_text_wrap(fmt);
        if (t.temNumero && !config->celulasComoTexto)
            format_set_num_format(fmt, t.casas == 2 ? "#,##0.00" : t.casas == 0 ? "0" : "#,##0.00");
        formatos.insert(chave, fmt);
        return fmt;
    }

    // Left, centre or right, judged from where the text's lines sit in its box.
    static int alinhamento(const TextoPreparado &t) {
        if (t.linhas.isEmpty())
            return 0;
        const LinhaDeTexto &l = t.linhas.first();
        const double esquerda = l.base.x() - t.caixa.left();
        const double direita = t.caixa.right() - (l.base.x() + l.largura);
        if (qAbs(esquerda - direita) < 1.0 && esquerda > 3)
            return 1;
        return direita < esquerda ? 2 : 0;
    }
};

void falhar(const QString &arquivo, lxw_error erro) {
    throw ErroSistema(QStringLiteral("Não foi possível gravar a planilha %1: %2")
                          .arg(arquivo, QString::fromUtf8(lxw_strerror(erro))));
}

} // namespace

void xlsx(const RelatorioPreparado &relatorio, const QString &arquivo,
          const ConfigExportacaoExcel &config, const Progresso &progresso) {
    // Pages are stacked down the one sheet.
    QList<Celula> celulas;
    QList<std::pair<const FiguraPreparada *, QPointF>> figuras;
    QList<double> xs, ys;
    QList<double> quebras;
    double deslocamento = 0;
    for (int p = 0; p < relatorio.paginas.size(); ++p) {
        const PaginaPreparada &pagina = relatorio.paginas[p];
        for (const ElementoPreparado &e : pagina.elementos) {
            if (const auto *t = std::get_if<TextoPreparado>(&e)) {
                if (t->linhas.isEmpty())
                    continue;
                const QRectF caixa = t->caixa.translated(0, deslocamento);
                celulas.push_back({t, p, caixa});
                xs << caixa.left() << caixa.right();
                ys << caixa.top() << caixa.bottom();
            } else if (const auto *f = std::get_if<FiguraPreparada>(&e); f && config.figuras) {
                figuras.push_back({f, f->destino.topLeft() + QPointF(0, deslocamento)});
                xs << f->destino.left();
                ys << f->destino.top() + deslocamento;
            }
        }
        deslocamento += pagina.tamanhoPx().height();
        quebras << deslocamento;
    }
    xs << 0;
    ys << 0;
    const QList<double> colunas = arestas(xs);
    const QList<double> linhas = arestas(ys);

    QTemporaryFile temporario(
        QFileInfo(arquivo).absoluteDir().filePath(QStringLiteral(".exportacao-XXXXXX.xlsx")));
    if (!temporario.open())
        throw ErroSistema(QStringLiteral("Não foi possível gravar a planilha %1: %2")
                              .arg(arquivo, temporario.errorString()));
    const QByteArray caminhoTemporario = QFile::encodeName(temporario.fileName());
    temporario.close();

    Planilha pl;
    pl.relatorio = &relatorio;
    pl.config = &config;
    lxw_workbook_options opcoes = {};
    const QByteArray pastaTemporaria = QFile::encodeName(QDir::tempPath());
    opcoes.tmpdir = const_cast<char *>(pastaTemporaria.constData());
    pl.livro = workbook_new_opt(caminhoTemporario.constData(), &opcoes);
    if (!pl.livro)
        throw ErroSistema(QStringLiteral("Não foi possível gravar a planilha %1.").arg(arquivo));
    const QByteArray nomeFolha =
        relatorio.nome.isEmpty() ? QByteArray("Relatório") : relatorio.nome.left(31).toUtf8();
    pl.folha = workbook_add_worksheet(pl.livro, nomeFolha.constData());
    lxw_doc_properties propriedades = {};
    propriedades.title = const_cast<char *>(nomeFolha.constData());
    workbook_set_properties(pl.livro, &propriedades);

    for (int c = 0; c + 1 < colunas.size(); ++c)
        worksheet_set_column_pixels(pl.folha, lxw_col_t(c), lxw_col_t(c),
                                    qMax(1, qRound(colunas[c + 1] - colunas[c])), nullptr);
    for (int r = 0; r + 1 < linhas.size(); ++r)
        worksheet_set_row_pixels(pl.folha, lxw_row_t(r), qMax(1, qRound(linhas[r + 1] - linhas[r])),
                                 nullptr);

    QSet<quint64> ocupadas;
    auto chave = [](int r, int c) { return (quint64(quint32(r)) << 32) | quint32(c); };
    int paginaAnterior = -1;
    for (const Celula &cel : celulas) {
        if (progresso && cel.pagina != paginaAnterior && paginaAnterior >= 0)
            progresso(paginaAnterior + 1, int(relatorio.paginas.size()));
        paginaAnterior = cel.pagina;
        const TextoPreparado &t = *cel.texto;
        const int r0 = indiceDa(linhas, cel.caixa.top());
        const int c0 = indiceDa(colunas, cel.caixa.left());
        const int r1 = qMax(r0, indiceDa(linhas, cel.caixa.bottom()) - 1);
        const int c1 = qMax(c0, indiceDa(colunas, cel.caixa.right()) - 1);
        bool livre = true;
        for (int r = r0; r <= r1 && livre; ++r)
            for (int c = c0; c <= c1 && livre; ++c)
                livre = !ocupadas.contains(chave(r, c));
        if (!livre && ocupadas.contains(chave(r0, c0)))
            continue; // an object laid over another: the first one keeps the cell
        QStringList texto;
        for (const LinhaDeTexto &l : t.linhas)
            texto << l.texto;
        lxw_format *fmt = pl.formato(t, texto.size() > 1);
        const QByteArray utf8 = texto.join(u'\n').toUtf8();
        const bool mesclar = livre && config.mesclarCelulas && (r1 > r0 || c1 > c0);
        if (mesclar) {
            worksheet_merge_range(pl.folha, lxw_row_t(r0), lxw_col_t(c0), lxw_row_t(r1),
                                  lxw_col_t(c1), "", fmt);
            for (int r = r0; r <= r1; ++r)
                for (int c = c0; c <= c1; ++c)
                    ocupadas.insert(chave(r, c));
        } else {
            ocupadas.insert(chave(r0, c0));
        }
        lxw_error erro;
        if (t.temNumero && !config.celulasComoTexto) {
            double valor = double(t.numero);
            for (int i = 0; i < t.casas; ++i)
                valor /= 10;
            erro = worksheet_write_number(pl.folha, lxw_row_t(r0), lxw_col_t(c0), valor, fmt);
        } else {
            erro = worksheet_write_string(pl.folha, lxw_row_t(r0), lxw_col_t(c0), utf8.constData(),
                                          fmt);
        }
        if (erro != LXW_NO_ERROR) {
            workbook_close(pl.livro);
            falhar(arquivo, erro);
        }
    }

    QList<QByteArray> imagens; // kept alive until the workbook is closed
    for (const auto &[f, onde] : figuras) {
        const QImage &img = relatorio.imagens.value(f->imagem);
        if (img.isNull())
            continue;
        QImage copia = img;
        copia.setDotsPerMeterX(3780);
        copia.setDotsPerMeterY(3780);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        copia.save(&buffer, "PNG");
        imagens << png;
        const int r = indiceDa(linhas, onde.y());
        const int c = indiceDa(colunas, onde.x());
        lxw_image_options o = {};
        o.x_offset = qRound(onde.x() - colunas[c]);
        o.y_offset = qRound(onde.y() - linhas[r]);
        o.x_scale = f->destino.width() / img.width();
        o.y_scale = f->destino.height() / img.height();
        worksheet_insert_image_buffer_opt(
            pl.folha, lxw_row_t(r), lxw_col_t(c),
            reinterpret_cast<const unsigned char *>(imagens.last().constData()),
            size_t(imagens.last().size()), &o);
    }

    std::vector<lxw_row_t> quebrasDePagina;
    if (config.quebrasDePagina) {
        for (qsizetype i = 0; i + 1 < quebras.size() && quebrasDePagina.size() < 1023; ++i)
            quebrasDePagina.push_back(lxw_row_t(indiceDa(linhas, quebras[i])));
        quebrasDePagina.push_back(0);
        if (quebrasDePagina.size() > 1)
            worksheet_set_h_pagebreaks(pl.folha, quebrasDePagina.data());
    }

    const lxw_error erro = workbook_close(pl.livro);
    if (erro != LXW_NO_ERROR)
        falhar(arquivo, erro);
    // The finished workbook replaces the file chosen, without a question.
    QFile::remove(arquivo);
    if (!QFile::rename(temporario.fileName(), arquivo))
        throw ErroSistema(QStringLiteral("Não foi possível gravar a planilha %1.").arg(arquivo));
    temporario.setAutoRemove(false);
    if (progresso)
        progresso(int(relatorio.paginas.size()), int(relatorio.paginas.size()));
}

} // namespace Exportadores
