#include "Exportadores.h"

#include "ErroDeArquivo.h"
#include "ErroSistema.h"
#include "GeometriaPagina.h"
#include "Renderizador.h"

#include "ArquivoTemporario.h"
#include "Fontes.h"
#include "SaidaArquivo.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QThread>
#include <QUuid>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace Exportadores {

namespace {

// Resolution of the PDF's coordinates: layout pixels land on a fine grid.
constexpr int resolucaoPdf = 1200;

QString escaparXml(const QString &texto) {
    return texto.toHtmlEscaped();
}

QByteArray metadadosXmp(const QString &titulo, const ConfigExportacaoPdf &config) {
    const QString xmp =
        QStringLiteral(
            "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
            "<x:xmpmeta xmlns:x='adobe:ns:meta/'>\n"
            "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n"
            "<rdf:Description rdf:about='' xmlns:dc='http://purl.org/dc/elements/1.1/'"
            " xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmlns:pdf='http://ns.adobe.com/pdf/1.3/'>\n"
            "<dc:title><rdf:Alt><rdf:li xml:lang='x-default'>%1</rdf:li></rdf:Alt></dc:title>\n"
            "%2"
            "<dc:description><rdf:Alt><rdf:li "
            "xml:lang='x-default'>%3</rdf:li></rdf:Alt></dc:description>\n"
            "<xmp:CreatorTool>%4</xmp:CreatorTool>\n"
            "</rdf:Description>\n"
            "</rdf:RDF>\n"
            "</x:xmpmeta>\n"
            "<?xpacket end='w'?>\n")
            .arg(escaparXml(titulo),
                 config.autor.isEmpty()
                     ? QString()
                     : QStringLiteral("<dc:creator><rdf:Seq><rdf:li>%1</rdf:li></rdf:Seq>"
                                      "</dc:creator>\n")
                           .arg(escaparXml(config.autor)),
                 escaparXml(config.assunto), escaparXml(config.criador));
    return xmp.toUtf8();
}

// qpdf writes the final file here, into the file that replaces the target only when complete.
// Its many small pieces are gathered into large writes. Nothing is ever thrown back into qpdf,
// whose pipelines may be finished from a destructor: a failure is kept, the rest discarded,
// and the failure thrown once qpdf has returned.
class SaidaPdf : public Pipeline {
public:
    explicit SaidaPdf(SaidaArquivo &arquivo) : Pipeline("saida", nullptr), m_arquivo(arquivo) {
        m_bloco.reserve(tamanhoBloco);
    }
    void write(unsigned char const *dados, size_t tamanho) override {
        if (m_falha)
            return;
        m_bloco.append(reinterpret_cast<const char *>(dados), qsizetype(tamanho));
        if (m_bloco.size() >= tamanhoBloco)
            esvaziar();
    }
    void finish() override { esvaziar(); }
    // Throws what writing met.
    void conferir() const {
        if (m_falha)
            std::rethrow_exception(m_falha);
    }

private:
    static constexpr qsizetype tamanhoBloco = 1 << 20;
    void esvaziar() noexcept {
        if (m_falha)
            return;
        try {
            m_arquivo.escrever(m_bloco);
        } catch (...) {
            m_falha = std::current_exception();
        }
        m_bloco.resize(0);
    }
    SaidaArquivo &m_arquivo;
    QByteArray m_bloco;
    std::exception_ptr m_falha;
};

std::string utf8(const QString &texto) {
    return texto.toStdString();
}

// The document information as the settings give it, in place of what Qt wrote.
void gravarInformacoes(QPDF &pdf, const QString &titulo, const ConfigExportacaoPdf &config) {
    QPDFObjectHandle trailer = pdf.getTrailer();
    QPDFObjectHandle info = trailer.getKey("/Info");
    if (!info.isDictionary()) {
        info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        trailer.replaceKey("/Info", info);
    }
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(utf8(titulo)));
    if (config.autor.isEmpty())
        info.removeKey("/Author");
    else
        info.replaceKey("/Author", QPDFObjectHandle::newUnicodeString(utf8(config.autor)));
    info.replaceKey("/Subject", QPDFObjectHandle::newUnicodeString(utf8(config.assunto)));
    info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(utf8(config.criador)));
    info.replaceKey("/Producer", QPDFObjectHandle::newUnicodeString(utf8(programa())));
}

// How the viewer opens the document: only the preferences asked for are written,
// and printing at the page's own size unless scaling is allowed.
void gravarPreferencias(QPDF &pdf, const ConfigExportacaoPdf &config) {
    QPDFObjectHandle preferencias = QPDFObjectHandle::newDictionary();
    const std::pair<const char *, bool> chaves[] = {
        {"/HideToolbar", config.ocultarBarraDeFerramentas},
        {"/HideMenubar", config.ocultarBarraDeMenus},
        {"/HideWindowUI", config.ocultarInterface},
        {"/FitWindow", config.ajustarJanela},
        {"/CenterWindow", config.centralizarJanela}};
    for (const auto &[chave, ligada] : chaves)
        if (ligada)
            preferencias.replaceKey(chave, QPDFObjectHandle::newBool(true));
    preferencias.replaceKey(
        "/PrintScaling",
        QPDFObjectHandle::newName(config.escalaDeImpressao ? "/AppDefault" : "/None"));
    pdf.getRoot().replaceKey("/ViewerPreferences", preferencias);
}

// AES-256 when a password is given or a permission withheld. Without an owner
// password a random one keeps the permissions from being lifted by anyone.
void protegerSePedido(QPDFWriter &escritor, const ConfigExportacaoPdf &config) {
    const bool restrito = !config.permitirImprimir || !config.permitirModificar ||
                          !config.permitirCopiar || !config.permitirAnotar;
    if (config.senhaUsuario.isEmpty() && config.senhaDono.isEmpty() && !restrito)
        return;
    const std::string usuario = utf8(config.senhaUsuario);
    const std::string dono = config.senhaDono.isEmpty()
                                 ? QUuid::createUuid().toString(QUuid::Id128).toStdString()
                                 : utf8(config.senhaDono);
    escritor.setR6EncryptionParameters(
        usuario.c_str(), dono.c_str(), true, config.permitirCopiar, config.permitirModificar,
        config.permitirAnotar, config.permitirAnotar, config.permitirModificar,
        config.permitirImprimir ? qpdf_r3p_full : qpdf_r3p_none, true);
}

// Qt's PDF writer shapes, positions and compresses every glyph itself, which takes
// a whole core; so a long report is drawn in runs of consecutive pages, each by a
// thread of its own into a temporary file of its own, and qpdf joins them. The
// pages are read here, in the calling thread, the only one that may read them,
// and handed over a few at a time.
class DesenhoEmPartes {
public:
    DesenhoEmPartes(const RelatorioPreparado &relatorio, const QString &titulo,
                    const ConfigExportacaoPdf &config)
        : m_relatorio(relatorio), m_titulo(titulo), m_config(config) {
        const int total = int(relatorio.paginas.size());
        const int fios = total < paginasParaDividir
                             ? 1
                             : std::clamp(QThread::idealThreadCount(), 1, partesNoMaximo);
        for (int k = 0; k < fios; ++k) {
            auto parte = std::make_unique<Parte>();
            parte->de = int(qint64(total) * k / fios);
            parte->ate = int(qint64(total) * (k + 1) / fios);
            parte->proximaLida = parte->de;
            m_partes.push_back(std::move(parte));
        }
    }

    ~DesenhoEmPartes() { pararTodos(); }

    // Draws every page; the files of the parts hold them in order when it returns.
    void desenhar(const Progresso &progresso) {
        Fontes::garantirCarregadas();
        for (auto &parte : m_partes)
            m_fios.emplace_back([this, p = parte.get()] { desenharParte(*p); });
        const int total = int(m_relatorio.paginas.size());
        int avisadas = 0;
        std::unique_lock trava(m_trava);
        for (;;) {
            for (const auto &parte : m_partes)
                if (parte->erro)
                    std::rethrow_exception(parte->erro);
            if (Parte *p = parteComVaga()) {
                const int i = p->proximaLida++;
                trava.unlock();
                PaginaPreparada pagina = m_relatorio.paginas[i];
                trava.lock();
                p->fila.push_back(std::move(pagina));
                m_mudou.notify_all();
                continue;
            }
            const int feitas = m_feitas;
            if (feitas != avisadas) {
                trava.unlock();
                informar(progresso, feitas, total); // a cancel stops every thread on the way out
                trava.lock();
                avisadas = feitas;
            }
            if (feitas == total)
                break;
            m_mudou.wait_for(trava, std::chrono::milliseconds(50));
        }
        trava.unlock();
        pararTodos();
        // A part may fail after its last page is counted, as it finishes its file.
        for (const auto &parte : m_partes)
            if (parte->erro)
                std::rethrow_exception(parte->erro);
    }

    // The parts' files, in order, each read from its start.
    std::vector<int> arquivos() const {
        std::vector<int> descritores;
        for (const auto &parte : m_partes)
            descritores.push_back(parte->arquivo.descritor());
        return descritores;
    }

private:
    static constexpr int paginasNaFila = 4;
    // Fewer pages than this are drawn by one thread: a receipt stays one file.
    static constexpr int paginasParaDividir = 16;
    static constexpr int partesNoMaximo = 8;

    struct Parte {
        int de = 0;
        int ate = 0;
        int proximaLida = 0;
        std::deque<PaginaPreparada> fila;
        std::exception_ptr erro;
        // In the temporary folder, with no name: a kill leaves nothing behind.
        ArquivoTemporario arquivo;
    };

    // The part whose thread will soon want a page: the one with the shortest queue.
    Parte *parteComVaga() {
        Parte *melhor = nullptr;
        for (const auto &parte : m_partes)
            if (parte->proximaLida < parte->ate && parte->fila.size() < paginasNaFila &&
                (!melhor || parte->fila.size() < melhor->fila.size()))
                melhor = parte.get();
        return melhor;
    }

    void desenharParte(Parte &parte) {
        try {
            // Copies of their own: the pictures and fonts are read by every thread at once.
            QList<QImage> imagens;
            for (const QImage &imagem : m_relatorio.imagens)
                imagens << imagem.copy();
            const QList<FontePreparada> fontes = m_relatorio.fontes;

            QPdfWriter escritor(&parte.arquivo.dispositivo());
            escritor.setResolution(resolucaoPdf);
            escritor.setCreator(m_config.criador);
            escritor.setTitle(m_titulo);
            escritor.setDocumentXmpMetadata(metadadosXmp(m_titulo, m_config));
            if (parte.de < parte.ate)
                escritor.setPageLayout(
                    GeometriaPagina(m_relatorio.paginas.cabecalho(parte.de)).leiauteFolhaInteira());
            QPainter painter;
            if (!painter.begin(&escritor))
                throw ErroSistema(QStringLiteral("o PDF não pôde ser começado"));
            // Pictures (the issuer's logo) kept as they are, compressed without loss, so they
            // print as sharp as the file: Qt would otherwise store them as JPEG.
            painter.setRenderHint(QPainter::LosslessImageRendering);
            for (int i = parte.de; i < parte.ate; ++i) {
                PaginaPreparada pagina;
                {
                    std::unique_lock trava(m_trava);
                    m_mudou.wait(trava, [&] { return !parte.fila.empty() || m_parar; });
                    if (m_parar)
                        break;
                    pagina = std::move(parte.fila.front());
                    parte.fila.pop_front();
                }
                m_mudou.notify_all();
                if (i > parte.de) {
                    escritor.setPageLayout(GeometriaPagina(pagina).leiauteFolhaInteira());
                    escritor.newPage();
                }
                Renderizador::desenharPaginaEm(painter, fontes, imagens, pagina, resolucaoPdf);
                {
                    std::lock_guard trava(m_trava);
                    ++m_feitas;
                }
                m_mudou.notify_all();
            }
            painter.end();
            parte.arquivo.sincronizar();
        } catch (...) {
            std::lock_guard trava(m_trava);
            parte.erro = std::current_exception();
            m_mudou.notify_all();
        }
    }

    void pararTodos() {
        {
            std::lock_guard trava(m_trava);
            m_parar = true;
        }
        m_mudou.notify_all();
        for (std::thread &fio : m_fios)
            fio.join();
        m_fios.clear();
    }

    const RelatorioPreparado &m_relatorio;
    const QString m_titulo;
    const ConfigExportacaoPdf &m_config;
    std::vector<std::unique_ptr<Parte>> m_partes;
    std::vector<std::thread> m_fios;
    std::mutex m_trava;
    std::condition_variable m_mudou;
    int m_feitas = 0;
    bool m_parar = false;
};

// Reads a part drawn by Qt from its own start, as qpdf wants a file.
FILE *abrirParte(int descritor) {
    const int copia = dup(descritor);
    FILE *arquivo = copia >= 0 ? fdopen(copia, "rb") : nullptr;
    if (!arquivo) {
        if (copia >= 0)
            close(copia);
        throw ErroSistema(QStringLiteral("as páginas desenhadas não puderam ser lidas"));
    }
    rewind(arquivo);
    return arquivo;
}

void gravarPdf(const RelatorioPreparado &relatorio, const QString &arquivo,
               const ConfigExportacaoPdf &config, const Progresso &progresso) {
    const QString titulo = relatorio.titulo.isEmpty() ? relatorio.nome : relatorio.titulo;
    // The file chosen is checked first, so a folder that refuses it says so at once.
    SaidaArquivo saida(arquivo);
    // Qt draws the pages into temporary files; qpdf then writes the final file
    // from them once, with the document information, the viewer preferences,
    // the compression and the protection the settings ask for.
    DesenhoEmPartes desenho(relatorio, titulo, config);
    try {
        desenho.desenhar(progresso);
    } catch (const ErroSistema &e) {
        throw ErroDeArquivo::naoGravado(arquivo, e);
    }
    const std::vector<int> partes = desenho.arquivos();
    const int total = int(relatorio.paginas.size());

    // Joining the parts takes a while for a long report: the user may still cancel it,
    // the progress standing at the end of the pages.
    const auto seguir = [&] { informar(progresso, total, total); };
    SaidaPdf destino(saida);
    try {
        QPDF documento;
        documento.processFile("partes", abrirParte(partes.front()), true);
        // The other parts' pages are copied into the first as qpdf writes: their
        // documents stay open until then.
        std::vector<std::unique_ptr<QPDF>> outras;
        QPDFPageDocumentHelper paginas(documento);
        for (size_t k = 1; k < partes.size(); ++k) {
            seguir();
            outras.push_back(std::make_unique<QPDF>());
            outras.back()->processFile("partes", abrirParte(partes[k]), true);
            for (QPDFPageObjectHelper &pagina :
                 QPDFPageDocumentHelper(*outras.back()).getAllPages())
                paginas.addPage(pagina, false);
        }
        gravarInformacoes(documento, titulo, config);
        gravarPreferencias(documento, config);
        QPDFWriter escritor(documento);
        escritor.setOutputPipeline(&destino);
        // Compressed: Qt's streams are copied as they are; uncompressed: every stream
        // is decoded and written plain.
        escritor.setCompressStreams(config.compactado);
        escritor.setDecodeLevel(config.compactado ? qpdf_dl_none : qpdf_dl_generalized);
        escritor.setObjectStreamMode(qpdf_o_disable);
        escritor.registerProgressReporter(
            std::make_shared<QPDFWriter::FunctionProgressReporter>([&](int) { seguir(); }));
        protegerSePedido(escritor, config);
        escritor.write();
    } catch (const Cancelada &) {
        throw;
    } catch (const ErroSistema &) {
        throw;
    } catch (const std::exception &e) {
        // A failure of the output is the one to tell; qpdf's own comes after it.
        destino.conferir();
        throw ErroSistema(
            QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                .arg(QDir::toNativeSeparators(arquivo), QString::fromStdString(e.what())));
    }
    destino.conferir();
    seguir();
    saida.concluir();
}

} // namespace

QString programa() {
    return QStringLiteral("Talvano ") + QStringLiteral(TALVANO_VERSAO);
}

ConfigExportacaoPdf completar(ConfigExportacaoPdf config, const RelatorioPreparado &relatorio) {
    if (config.criador.isEmpty())
        config.criador = programa();
    if (config.assunto.isEmpty())
        config.assunto = relatorio.titulo.isEmpty() ? relatorio.nome : relatorio.titulo;
    return config;
}

ConfigExportacaoRtf completar(ConfigExportacaoRtf config) {
    if (config.criador.isEmpty())
        config.criador = programa();
    return config;
}

void pdf(const RelatorioPreparado &relatorio, const QString &arquivo,
         const ConfigExportacaoPdf &dadas, const Progresso &progresso) {
    const ConfigExportacaoPdf config = completar(dadas, relatorio);
    struct DevolverMemoria {
        // qpdf's hundreds of thousands of small objects of a long report leave the
        // heap large once freed; it goes back to the system instead of staying with
        // the program for the rest of its run.
        ~DevolverMemoria() {
#ifdef __GLIBC__
            malloc_trim(0);
#endif
        }
    } devolver;
    gravarPdf(relatorio, arquivo, config, progresso);
}

} // namespace Exportadores
