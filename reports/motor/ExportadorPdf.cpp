#include "Exportadores.h"

#include "ErroSistema.h"
#include "GeometriaPagina.h"
#include "Renderizador.h"

#include "Fontes.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>
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
            "<dc:creator><rdf:Seq><rdf:li>%2</rdf:li></rdf:Seq></dc:creator>\n"
            "<dc:description><rdf:Alt><rdf:li "
            "xml:lang='x-default'>%3</rdf:li></rdf:Alt></dc:description>\n"
            "<xmp:CreatorTool>%4</xmp:CreatorTool>\n"
            "</rdf:Description>\n"
            "</rdf:RDF>\n"
            "</x:xmpmeta>\n"
            "<?xpacket end='w'?>\n")
            .arg(escaparXml(titulo), escaparXml(config.autor), escaparXml(config.assunto),
                 escaparXml(config.criador));
    return xmp.toUtf8();
}

// qpdf writes the final file into the save file, which replaces the target only
// when complete. Its many small pieces are gathered into large writes.
class SaidaQSaveFile : public Pipeline {
public:
    explicit SaidaQSaveFile(QSaveFile &arquivo) : Pipeline("saida", nullptr), m_arquivo(arquivo) {
        m_bloco.reserve(tamanhoBloco);
    }
    void write(unsigned char const *dados, size_t tamanho) override {
        m_bloco.append(reinterpret_cast<const char *>(dados), qsizetype(tamanho));
        if (m_bloco.size() >= tamanhoBloco)
            esvaziar();
    }
    void finish() override { esvaziar(); }

private:
    static constexpr qsizetype tamanhoBloco = 1 << 20;
    void esvaziar() {
        if (m_arquivo.write(m_bloco) != m_bloco.size())
            throw std::runtime_error(m_arquivo.errorString().toStdString());
        m_bloco.resize(0);
    }
    QSaveFile &m_arquivo;
    QByteArray m_bloco;
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
    info.replaceKey("/Author", QPDFObjectHandle::newUnicodeString(utf8(config.autor)));
    info.replaceKey("/Subject", QPDFObjectHandle::newUnicodeString(utf8(config.assunto)));
    info.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(utf8(config.criador)));
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
        for (auto &parte : m_partes)
            if (!parte->arquivo.open())
                throw ErroSistema(parte->arquivo.errorString());
        Fontes::garantirCarregadas();
        for (auto &parte : m_partes)
            m_fios.emplace_back([this, p = parte.get()] { desenharParte(*p); });
        const int total = int(m_relatorio.paginas.size());
        int avisadas = 0;
        std::unique_lock trava(m_trava);
        for (;;) {
            for (const auto &parte : m_partes)
                if (!parte->erro.isEmpty())
                    throw ErroSistema(parte->erro);
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
    }

    QStringList arquivos() const {
        QStringList nomes;
        for (const auto &parte : m_partes)
            nomes << parte->arquivo.fileName();
        return nomes;
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
        QString erro;
        QTemporaryFile arquivo{QDir::temp().filePath(QStringLiteral("talvano-pdf-XXXXXX.pdf"))};
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

            QPdfWriter escritor(&parte.arquivo);
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
            if (!parte.arquivo.flush())
                throw ErroSistema(parte.arquivo.errorString());
        } catch (const ErroSistema &e) {
            falhou(parte, e.mensagem());
        } catch (const std::exception &e) {
            falhou(parte, QString::fromLocal8Bit(e.what()));
        }
    }

    void falhou(Parte &parte, const QString &motivo) {
        std::lock_guard trava(m_trava);
        parte.erro = motivo.isEmpty() ? QStringLiteral("erro desconhecido") : motivo;
        m_mudou.notify_all();
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

void gravarPdf(const RelatorioPreparado &relatorio, const QString &arquivo,
               const ConfigExportacaoPdf &config, const Progresso &progresso) {
    const QString titulo = relatorio.titulo.isEmpty() ? relatorio.nome : relatorio.titulo;
    auto falha = [&](const QString &motivo) {
        return ErroSistema(
            QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(arquivo, motivo));
    };
    // The file chosen is opened first, so a folder that refuses it says so at once.
    QSaveFile saida(arquivo);
    if (!saida.open(QIODevice::WriteOnly))
        throw falha(saida.errorString());
    // Qt draws the pages into temporary files; qpdf then writes the final file
    // from them once, with the document information, the viewer preferences,
    // the compression and the protection the settings ask for.
    DesenhoEmPartes desenho(relatorio, titulo, config);
    try {
        desenho.desenhar(progresso);
    } catch (const ErroSistema &e) {
        throw falha(e.mensagem());
    }
    const QStringList partes = desenho.arquivos();

    try {
        QPDF documento;
        documento.processFile(QFile::encodeName(partes.first()).constData());
        // The other parts' pages are copied into the first as qpdf writes: their
        // documents stay open until then.
        std::vector<std::unique_ptr<QPDF>> outras;
        QPDFPageDocumentHelper paginas(documento);
        for (qsizetype k = 1; k < partes.size(); ++k) {
            outras.push_back(std::make_unique<QPDF>());
            outras.back()->processFile(QFile::encodeName(partes[k]).constData());
            for (QPDFPageObjectHelper &pagina :
                 QPDFPageDocumentHelper(*outras.back()).getAllPages())
                paginas.addPage(pagina, false);
        }
        gravarInformacoes(documento, titulo, config);
        gravarPreferencias(documento, config);
        SaidaQSaveFile destino(saida);
        QPDFWriter escritor(documento);
        escritor.setOutputPipeline(&destino);
        // Compressed: Qt's streams are copied as they are; uncompressed: every stream
        // is decoded and written plain.
        escritor.setCompressStreams(config.compactado);
        escritor.setDecodeLevel(config.compactado ? qpdf_dl_none : qpdf_dl_generalized);
        escritor.setObjectStreamMode(qpdf_o_disable);
        protegerSePedido(escritor, config);
        escritor.write();
        destino.finish();
    } catch (const std::exception &e) {
        throw falha(QString::fromStdString(e.what()));
    }
    if (!saida.commit())
        throw falha(saida.errorString());
}

} // namespace

void pdf(const RelatorioPreparado &relatorio, const QString &arquivo,
         const ConfigExportacaoPdf &config, const Progresso &progresso) {
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
