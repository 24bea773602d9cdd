#include "Exportadores.h"

#include "ErroSistema.h"
#include "GeometriaPagina.h"
#include "Renderizador.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QUuid>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

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

} // namespace

void pdf(const RelatorioPreparado &relatorio, const QString &arquivo,
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
    // Qt draws the pages into a temporary file, page by page; qpdf then writes the
    // final file from it once, with the document information, the viewer
    // preferences, the compression and the protection the settings ask for.
    QTemporaryFile rascunho(QDir::temp().filePath(QStringLiteral("talvano-pdf-XXXXXX.pdf")));
    if (!rascunho.open())
        throw falha(rascunho.errorString());
    {
        QPdfWriter escritor(&rascunho);
        escritor.setResolution(resolucaoPdf);
        escritor.setCreator(config.criador);
        escritor.setTitle(titulo);
        escritor.setDocumentXmpMetadata(metadadosXmp(titulo, config));
        if (!relatorio.paginas.isEmpty())
            escritor.setPageLayout(
                GeometriaPagina(relatorio.paginas.first()).leiauteFolhaInteira());

        QPainter painter;
        if (!painter.begin(&escritor))
            throw ErroSistema(QStringLiteral("Não foi possível gerar o PDF %1.").arg(arquivo));
        const int total = int(relatorio.paginas.size());
        for (int i = 0; i < total; ++i) {
            if (i > 0) {
                escritor.setPageLayout(GeometriaPagina(relatorio.paginas[i]).leiauteFolhaInteira());
                escritor.newPage();
            }
            Renderizador::desenharPaginaEm(painter, relatorio, i, resolucaoPdf);
            if (progresso)
                progresso(i + 1, total);
        }
        painter.end();
    }
    if (!rascunho.flush())
        throw falha(rascunho.errorString());

    try {
        QPDF documento;
        documento.processFile(QFile::encodeName(rascunho.fileName()).constData());
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

} // namespace Exportadores
