#include "Exportadores.h"

#include "ErroDeArquivo.h"
#include "ErroSistema.h"
#include "PlanilhaConferida.h"
#include "SaidaArquivo.h"

#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <sys/statvfs.h>

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

// The number format that shows a value as the page does.
QByteArray formatoNumerico(const TextoPreparado &t) {
    if (t.tipo == TextoPreparado::Tipo::Data)
        return "dd/mm/yyyy";
    if (t.tipo != TextoPreparado::Tipo::Numero || t.casasExibidas < 0)
        return {};
    return t.casasExibidas == 0 ? QByteArray("#,##0") : "#,##0." + QByteArray(t.casasExibidas, '0');
}

lxw_format_alignments alinhamento(AlinhamentoH a) {
    switch (a) {
    case AlinhamentoH::Centro:
        return LXW_ALIGN_CENTER;
    case AlinhamentoH::Direita:
        return LXW_ALIGN_RIGHT;
    case AlinhamentoH::Esquerda:
        break;
    }
    return LXW_ALIGN_LEFT;
}

uint8_t borda(const MolduraLayout &m) {
    return m.estilo == MolduraLayout::Duplo        ? LXW_BORDER_DOUBLE
           : m.estilo == MolduraLayout::Pontilhado ? LXW_BORDER_DOTTED
           : m.largura >= 2                        ? LXW_BORDER_MEDIUM
                                                   : LXW_BORDER_THIN;
}

// A cell to write: the text's value at the first cell of its area, or a formatted
// blank in the rest of a merged area.
struct Escrita {
    int linha;
    int coluna;
    const TextoPreparado *texto; // null: a blank
    lxw_format *formato;
    bool operator<(const Escrita &o) const {
        return linha != o.linha ? linha < o.linha : coluna < o.coluna;
    }
};

// What sets a cell's format apart: looked up for every cell, so kept to a few integers.
struct ChaveFormato {
    int fonte;
    QRgb cor;
    QRgb fundo;
    quint8 alinhamento;
    quint8 tipo;
    qint8 casas;
    bool multilinha;
    quint8 moldura;
    bool operator==(const ChaveFormato &) const = default;
};

size_t qHash(const ChaveFormato &c, size_t semente = 0) {
    return qHashMulti(semente, c.fonte, c.cor, c.fundo, c.alinhamento, c.tipo, c.casas,
                      c.multilinha, c.moldura);
}

// The workbook being written: its sheets, the formats made so far, and where the next page
// of the report goes.
struct Planilha {
    lxw_workbook *livro = nullptr;
    lxw_worksheet *folha = nullptr;
    QHash<ChaveFormato, lxw_format *> formatos;
    const RelatorioPreparado *relatorio = nullptr;
    const ConfigExportacaoExcel *config = nullptr;
    QString arquivo;
    QList<double> colunas;                  // the grid's, the same on every sheet
    QString nomeFolha;                      // of the sheet being written
    int folhas = 0;                         // sheets so far
    int primeiraLinha = 0;                  // of the next page, in the sheet being written
    std::vector<lxw_row_t> quebrasDePagina; // of the sheet being written
    QHash<int, QByteArray> imagens;         // PNG of each picture, alive until the workbook closes

    void abrirLivro(const QString &montada, const QString &pastaDeTrabalho);
    void novaFolha(const PaginaPreparada &papel);
    void configurarImpressao(const PaginaPreparada &papel) const;
    void fecharFolha();
    void escreverPagina(const PaginaPreparada &pagina, bool ultima);
    void escreverFiguras(const PaginaPreparada &pagina, const QList<double> &linhas);

    lxw_format *formato(const TextoPreparado &t, bool multilinha) {
        const bool comoTexto = config->celulasComoTexto;
        const MolduraLayout &m = t.moldura;
        const ChaveFormato chave{t.fonte,
                                 t.cor,
                                 config->fundo ? t.fundo : 0,
                                 quint8(int(t.alinhamentoH) * 2 + int(t.alinhamentoV)),
                                 comoTexto ? quint8(0) : quint8(t.tipo),
                                 t.casasExibidas,
                                 multilinha && t.quebraLinha,
                                 quint8(int(m.topo) | int(m.baixo) << 1 | int(m.esquerda) << 2 |
                                        int(m.direita) << 3 | int(borda(m)) << 4)};
        auto it = formatos.find(chave);
        if (it != formatos.end())
            return *it;
        const QByteArray numerico = comoTexto ? QByteArray() : formatoNumerico(t);
        lxw_format *fmt = workbook_add_format(livro);
        if (config->estilos) {
            const FontePreparada &f = relatorio->fontes.value(t.fonte);
            const QByteArray nome = f.nome.toUtf8();
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
            if (m.topo)
                format_set_top(fmt, borda(m));
            if (m.baixo)
                format_set_bottom(fmt, borda(m));
            if (m.esquerda)
                format_set_left(fmt, borda(m));
            if (m.direita)
                format_set_right(fmt, borda(m));
        }
        format_set_align(fmt, alinhamento(t.alinhamentoH));
        format_set_align(fmt, t.alinhamentoV == AlinhamentoV::Centro ? LXW_ALIGN_VERTICAL_CENTER
                                                                     : LXW_ALIGN_VERTICAL_TOP);
        // The page's own line breaks; a text the layout keeps on one line stays on one.
        if (multilinha && t.quebraLinha)
            format_set_text_wrap(fmt);
        if (!numerico.isEmpty())
            format_set_num_format(fmt, numerico.constData());
        formatos.insert(chave, fmt);
        return fmt;
    }

    void verificar(lxw_error erro) const {
        if (erro != LXW_NO_ERROR)
            throw ErroSistema(QStringLiteral("Não foi possível gravar a planilha %1: %2")
                                  .arg(arquivo, QString::fromUtf8(lxw_strerror(erro))));
    }

    void escrever(const Escrita &e) const {
        if (!e.texto) {
            verificar(
                worksheet_write_blank(folha, lxw_row_t(e.linha), lxw_col_t(e.coluna), e.formato));
            return;
        }
        const TextoPreparado &t = *e.texto;
        const auto linha = lxw_row_t(e.linha);
        const auto coluna = lxw_col_t(e.coluna);
        if (!config->celulasComoTexto && t.tipo == TextoPreparado::Tipo::Numero) {
            const double valor = double(t.valor) / std::pow(10.0, t.casasValor);
            verificar(worksheet_write_number(folha, linha, coluna, valor, e.formato));
            return;
        }
        if (!config->celulasComoTexto && t.tipo == TextoPreparado::Tipo::Data) {
            const QDate d = QDate::fromJulianDay(t.valor);
            lxw_datetime data = {d.year(), d.month(), d.day(), 0, 0, 0};
            verificar(worksheet_write_datetime(folha, linha, coluna, &data, e.formato));
            return;
        }
        QStringList texto;
        for (const LinhaDeTexto &l : t.linhas)
            texto << l.texto;
        const QByteArray utf8 = texto.join(u'\n').toUtf8();
        verificar(worksheet_write_string(folha, linha, coluna, utf8.constData(), e.formato));
    }

    // In constant-memory mode a merged range can only be declared while its first row
    // is the one being written, which rules out ranges over several rows written in
    // order; the range is recorded in the sheet's list directly, as the library does.
    void mesclar(int r0, int c0, int r1, int c1) const {
        if (folha->merged_range_count == UINT16_MAX)
            return;
        auto *faixa = static_cast<lxw_merged_range *>(calloc(1, sizeof(lxw_merged_range)));
        if (!faixa)
            return;
        faixa->first_row = lxw_row_t(r0);
        faixa->last_row = lxw_row_t(r1);
        faixa->first_col = lxw_col_t(c0);
        faixa->last_col = lxw_col_t(c1);
        STAILQ_INSERT_TAIL(folha->merged_ranges, faixa, list_pointers);
        ++folha->merged_range_count;
    }
};

// The grid's columns, the same for every page: from the left and right edges of
// every text and the left edge of every picture. A pass over every page that the
// user can cancel as well.
QList<double> colunasDaGrade(const RelatorioPreparado &relatorio, bool figuras,
                             const Progresso &progresso) {
    QSet<qint64> vistas; // edges to 1/64 px: few distinct values however many pages
    auto ver = [&](double x) { vistas.insert(qRound64(x * 64)); };
    // The grid starts at the left margin, which the sheet's own margin gives back in print.
    ver(relatorio.paginas.isEmpty()
            ? 0
            : relatorio.paginas.cabecalho(0).margensMm.left() * Layout::pixelsPorMm);
    const int total = int(relatorio.paginas.size());
    for (int p = 0; p < total; ++p) {
        informar(progresso, 0, total);
        const PaginaPreparada pagina = relatorio.paginas.at(p);
        for (const ElementoPreparado &e : pagina.elementos) {
            if (const auto *t = std::get_if<TextoPreparado>(&e); t && !t->linhas.isEmpty()) {
                ver(t->caixa.left());
                ver(t->caixa.right());
            } else if (const auto *f = std::get_if<FiguraPreparada>(&e); f && figuras) {
                ver(f->destino.left());
            }
        }
    }
    QList<double> xs;
    for (qint64 v : vistas)
        xs << double(v) / 64;
    return arestas(xs);
}

// The sheet's code of the paper of a page: A4 unless another of the common sizes.
uint8_t codigoDoPapel(const PaginaPreparada &papel) {
    const double lado = qMin(papel.larguraMm, papel.alturaMm);
    const double outro = qMax(papel.larguraMm, papel.alturaMm);
    const struct {
        double lado, outro;
        uint8_t codigo;
    } papeis[] = {
        {210, 297, 9}, {215.9, 279.4, 1}, {215.9, 355.6, 5}, {297, 420, 8}, {148, 210, 11}};
    for (const auto &p : papeis)
        if (qAbs(lado - p.lado) < 1 && qAbs(outro - p.outro) < 1)
            return p.codigo;
    return 9;
}

// Whether the temporary folder has no room left to speak of: the library tells no failure of
// its work files, so a workbook found cut is put down to the folder when it is this full.
bool pastaTemporariaCheia() {
    struct statvfs v;
    return statvfs(QFile::encodeName(QDir::tempPath()).constData(), &v) == 0 &&
           qint64(v.f_bavail) * qint64(v.f_frsize) < (qint64(4) << 20);
}

// Drops a workbook without writing it (what constant memory already put in the
// sheets' temporary files goes with those files): a cancel or a failure half way
// does not wait for a workbook nobody will see.
void descartar(lxw_workbook *livro) {
    lxw_worksheet *folha = nullptr;
    LXW_FOREACH_WORKSHEET(folha, livro) {
        if (folha->optimize_tmpfile) {
            fclose(folha->optimize_tmpfile);
            folha->optimize_tmpfile = nullptr;
        }
    }
    lxw_workbook_free(livro);
}

void Planilha::abrirLivro(const QString &montada, const QString &pastaDeTrabalho) {
    // Constant memory: each row goes to disk once the next begins, so the sheet costs
    // a row, not the report.
    lxw_workbook_options opcoes = {};
    opcoes.constant_memory = LXW_TRUE;
    const QByteArray pastaTemporaria = QFile::encodeName(pastaDeTrabalho);
    opcoes.tmpdir = const_cast<char *>(pastaTemporaria.constData());
    livro = workbook_new_opt(QFile::encodeName(montada).constData(), &opcoes);
    if (!livro)
        throw ErroSistema(QStringLiteral("Não foi possível gravar a planilha %1.").arg(arquivo));

    const QString titulo = relatorio->titulo.isEmpty() ? relatorio->nome : relatorio->titulo;
    nomeFolha = titulo.isEmpty() ? QStringLiteral("Relatório") : titulo;
    for (const QChar c : u"[]:*?/\\")
        nomeFolha.replace(c, u' ');
    const QByteArray tituloUtf8 = titulo.toUtf8();
    const QByteArray autorUtf8 = config->autor.toUtf8();
    const QByteArray programaUtf8 = programa().toUtf8();
    lxw_doc_properties propriedades = {};
    propriedades.title = const_cast<char *>(tituloUtf8.constData());
    propriedades.subject = const_cast<char *>(tituloUtf8.constData());
    if (!autorUtf8.isEmpty())
        propriedades.author = const_cast<char *>(autorUtf8.constData());
    propriedades.comments = const_cast<char *>(programaUtf8.constData());
    workbook_set_properties(livro, &propriedades);
}

// Printed from a spreadsheet program, each page of the report comes out as a page of its own,
// as the preview shows it: the sheet's paper, orientation and margins are the layout's, the
// columns are fitted to the paper's width, and a page break ends each page of the report (a
// sheet takes up to 1,023 breaks, so a longer report goes on in another sheet).
void Planilha::configurarImpressao(const PaginaPreparada &papel) const {
    worksheet_set_paper(folha, codigoDoPapel(papel));
    if (papel.paisagem)
        worksheet_set_landscape(folha);
    else
        worksheet_set_portrait(folha);
    const QMarginsF &m = papel.margensMm;
    worksheet_set_margins(folha, m.left() / 25.4, m.right() / 25.4, m.top() / 25.4,
                          m.bottom() / 25.4);
    worksheet_fit_to_pages(folha, 1, 0);
}

// The page breaks of the sheet being written, now that it is complete.
void Planilha::fecharFolha() {
    if (folha && !quebrasDePagina.empty()) {
        quebrasDePagina.push_back(0);
        worksheet_set_h_pagebreaks(folha, quebrasDePagina.data());
    }
    quebrasDePagina.clear();
}

void Planilha::novaFolha(const PaginaPreparada &papel) {
    fecharFolha();
    if (++folhas > 1) {
        const QString sufixo = QStringLiteral(" (%1)").arg(folhas);
        nomeFolha = nomeFolha.left(LXW_SHEETNAME_MAX - sufixo.size()).trimmed() + sufixo;
    }
    const QByteArray nome = nomeFolha.left(LXW_SHEETNAME_MAX).trimmed().toUtf8();
    folha = workbook_add_worksheet(livro, nome.constData());
    if (!folha)
        folha = workbook_add_worksheet(livro, nullptr);
    if (!folha)
        throw ErroSistema(QStringLiteral("Não foi possível gravar a planilha %1.").arg(arquivo));
    primeiraLinha = 0;
    for (int c = 0; c + 1 < colunas.size(); ++c)
        worksheet_set_column_pixels(folha, lxw_col_t(c), lxw_col_t(c),
                                    qMax(1, qRound(colunas[c + 1] - colunas[c])), nullptr);
    configurarImpressao(papel);
}

// Pages are stacked down the sheet, each with rows of its own.
void Planilha::escreverPagina(const PaginaPreparada &pagina, bool ultima) {
    // The rows span the page inside its margins, which the sheet's own margins give back
    // when it is printed.
    const double topo = pagina.margensMm.top() * Layout::pixelsPorMm;
    const double base = qMax(topo + 1, pagina.tamanhoPx().height() -
                                           pagina.margensMm.bottom() * Layout::pixelsPorMm);
    const auto dentro = [&](double y) { return qBound(topo, y, base); };
    QList<double> ys{topo, base};
    for (const ElementoPreparado &e : pagina.elementos) {
        if (const auto *t = std::get_if<TextoPreparado>(&e); t && !t->linhas.isEmpty())
            ys << dentro(t->caixa.top()) << dentro(t->caixa.bottom());
        else if (const auto *f = std::get_if<FiguraPreparada>(&e); f && config->figuras)
            ys << dentro(f->destino.top());
    }
    const QList<double> linhas = arestas(ys);
    // A sheet holds 1,048,576 rows (a million receipts take a few more) and 1,023 page
    // breaks: the pages that do not fit go on in another sheet.
    if (primeiraLinha > 0 && (primeiraLinha + linhas.size() - 1 > LXW_ROW_MAX ||
                              (config->quebrasDePagina && quebrasDePagina.size() >= 1023)))
        novaFolha(pagina);

    QList<Escrita> escritas;
    QSet<quint64> ocupadas;
    auto chave = [](int r, int c) { return (quint64(quint32(r)) << 32) | quint32(c); };
    for (const ElementoPreparado &e : pagina.elementos) {
        const auto *t = std::get_if<TextoPreparado>(&e);
        if (!t || t->linhas.isEmpty())
            continue;
        const int r0 = indiceDa(linhas, t->caixa.top());
        const int c0 = indiceDa(colunas, t->caixa.left());
        const int r1 = qMax(r0, indiceDa(linhas, t->caixa.bottom()) - 1);
        const int c1 = qMax(c0, indiceDa(colunas, t->caixa.right()) - 1);
        if (ocupadas.contains(chave(r0, c0)))
            continue; // an object laid over another: the first one keeps the cell
        bool livre = true;
        for (int r = r0; r <= r1 && livre; ++r)
            for (int c = c0; c <= c1 && livre; ++c)
                livre = !ocupadas.contains(chave(r, c));
        lxw_format *fmt = formato(*t, t->linhas.size() > 1);
        escritas.push_back({primeiraLinha + r0, c0, t, fmt});
        ocupadas.insert(chave(r0, c0));
        if (livre && config->mesclarCelulas && (r1 > r0 || c1 > c0)) {
            mesclar(primeiraLinha + r0, c0, primeiraLinha + r1, c1);
            for (int r = r0; r <= r1; ++r) {
                for (int c = c0; c <= c1; ++c) {
                    if (r == r0 && c == c0)
                        continue;
                    ocupadas.insert(chave(r, c));
                    escritas.push_back({primeiraLinha + r, c, nullptr, fmt});
                }
            }
        }
    }
    std::sort(escritas.begin(), escritas.end());

    // Rows are written in order: each row's height, then its cells.
    qsizetype proxima = 0;
    for (int r = 0; r + 1 < linhas.size(); ++r) {
        const int linha = primeiraLinha + r;
        verificar(worksheet_set_row_pixels(folha, lxw_row_t(linha),
                                           qMax(1, qRound(linhas[r + 1] - linhas[r])), nullptr));
        for (; proxima < escritas.size() && escritas[proxima].linha == linha; ++proxima)
            escrever(escritas[proxima]);
    }
    if (config->figuras)
        escreverFiguras(pagina, linhas);

    primeiraLinha += int(linhas.size()) - 1;
    if (config->quebrasDePagina && !ultima)
        quebrasDePagina.push_back(lxw_row_t(primeiraLinha));
}

void Planilha::escreverFiguras(const PaginaPreparada &pagina, const QList<double> &linhas) {
    for (const ElementoPreparado &e : pagina.elementos) {
        const auto *f = std::get_if<FiguraPreparada>(&e);
        if (!f)
            continue;
        const QImage &img = relatorio->imagens.value(f->imagem);
        if (img.isNull())
            continue;
        if (!imagens.contains(f->imagem)) {
            QImage copia = img;
            copia.setDotsPerMeterX(3780);
            copia.setDotsPerMeterY(3780);
            QBuffer buffer(&imagens[f->imagem]);
            buffer.open(QIODevice::WriteOnly);
            copia.save(&buffer, "PNG");
        }
        const QByteArray &png = imagens[f->imagem];
        const int r = indiceDa(linhas, f->destino.top());
        const int c = indiceDa(colunas, f->destino.left());
        lxw_image_options o = {};
        o.x_offset = qRound(f->destino.left() - colunas[c]);
        o.y_offset = qRound(f->destino.top() - linhas[r]);
        o.x_scale = f->destino.width() / img.width();
        o.y_scale = f->destino.height() / img.height();
        verificar(worksheet_insert_image_buffer_opt(
            folha, lxw_row_t(primeiraLinha + r), lxw_col_t(c),
            reinterpret_cast<const unsigned char *>(png.constData()), size_t(png.size()), &o));
    }
}

// Closes the workbook assembled in the temporary folder and checks it whole; throws naming
// the file chosen when it is not.
void fecharEConferir(lxw_workbook *livro, const QString &montada, const QString &arquivo) {
    errno = 0;
    const lxw_error fechado = workbook_close(livro);
    const int erroDoSistema = errno;
    if (fechado != LXW_NO_ERROR)
        throw ErroDeArquivo::naoGravado(
            arquivo, erroDoSistema
                         ? ErroDeArquivo::naPastaTemporaria(QDir::tempPath(), erroDoSistema)
                         : ErroSistema(QStringLiteral("A planilha não pôde ser montada "
                                                      "na pasta temporária %1 (%2).")
                                           .arg(QDir::toNativeSeparators(QDir::tempPath()),
                                                QString::fromUtf8(lxw_strerror(fechado)))));
    if (const QString defeito = PlanilhaConferida::defeito(montada); !defeito.isEmpty())
        throw ErroDeArquivo::naoGravado(
            arquivo,
            pastaTemporariaCheia()
                ? ErroDeArquivo::naPastaTemporaria(QDir::tempPath(), ENOSPC)
                : ErroSistema(QStringLiteral("A planilha montada na pasta temporária %1 ficou "
                                             "incompleta.")
                                  .arg(QDir::toNativeSeparators(QDir::tempPath()))));
}

} // namespace

void xlsx(const RelatorioPreparado &relatorio, const QString &arquivo,
          const ConfigExportacaoExcel &config, const Progresso &progresso) {
    // The file chosen is checked first, so a folder that refuses it says so at once.
    SaidaArquivo saida(arquivo);
    Planilha pl;
    pl.relatorio = &relatorio;
    pl.config = &config;
    pl.arquivo = arquivo;
    pl.colunas = colunasDaGrade(relatorio, config.figuras, progresso);

    // The library writes the workbook, and its own work files, in a folder of the temporary
    // folder; the whole workbook is then checked and copied in place of the file chosen.
    QTemporaryDir trabalho(QDir::temp().filePath(QStringLiteral("talvano-planilha-XXXXXX")));
    if (!trabalho.isValid())
        throw ErroDeArquivo::naoGravado(
            arquivo, ErroDeArquivo::naPastaTemporaria(QDir::tempPath(), errno ? errno : EIO));
    const QString montada = trabalho.filePath(QStringLiteral("planilha.xlsx"));
    pl.abrirLivro(montada, trabalho.path());
    // A workbook left half way is dropped, its temporary files with it.
    struct Fechar {
        lxw_workbook *&livro;
        ~Fechar() {
            if (livro)
                descartar(livro);
        }
    } fechar{pl.livro};

    pl.novaFolha(relatorio.paginas.isEmpty() ? PaginaPreparada{} : relatorio.paginas.cabecalho(0));
    const int total = int(relatorio.paginas.size());
    for (int p = 0; p < total; ++p) {
        pl.escreverPagina(relatorio.paginas[p], p + 1 == total);
        informar(progresso, p + 1, total);
    }
    pl.fecharFolha();

    fecharEConferir(std::exchange(pl.livro, nullptr), montada, arquivo);
    informar(progresso, total, total);
    saida.copiarDe(montada);
    saida.concluir();
}

} // namespace Exportadores
