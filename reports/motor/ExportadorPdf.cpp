#include "Exportadores.h"

#include "ErroSistema.h"
#include "GeometriaPagina.h"
#include "Renderizador.h"

#include <QBuffer>
#include <QDateTime>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>

namespace Exportadores {

namespace {

// Resolution of the PDF's coordinates: layout pixels land on a fine grid.
constexpr int resolucaoPdf = 1200;

QString escaparXml(const QString &texto) {
    return texto.toHtmlEscaped();
}

QByteArray metadadosXmp(const RelatorioPreparado &relatorio, const ConfigExportacaoPdf &config) {
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
            .arg(escaparXml(relatorio.nome), escaparXml(config.autor), escaparXml(config.assunto),
                 escaparXml(config.criador));
    return xmp.toUtf8();
}

// A PDF text string: UTF-16BE with its byte-order mark, in hex.
QByteArray textoPdf(const QString &texto) {
    QByteArray utf16("\xfe\xff", 2);
    for (const QChar c : texto) {
        utf16 += char(c.unicode() >> 8);
        utf16 += char(c.unicode() & 0xff);
    }
    return '<' + utf16.toHex() + '>';
}

// Qt writes only the title and the creator into the document information; an
// incremental update appended to the file gives it the author and the subject too.
QByteArray comInformacoes(const QByteArray &pdf, const RelatorioPreparado &relatorio,
                          const ConfigExportacaoPdf &config) {
    static const QRegularExpression trailer(
        QStringLiteral("trailer\\s*<<(.*?)>>\\s*startxref\\s*(\\d+)\\s*%%EOF\\s*$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QString fim = QString::fromLatin1(pdf.right(600));
    const auto m = trailer.match(fim);
    static const QRegularExpression tamanho(QStringLiteral("/Size\\s+(\\d+)"));
    static const QRegularExpression raiz(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)"));
    const auto t = tamanho.match(m.captured(1));
    const auto r = raiz.match(m.captured(1));
    if (!m.hasMatch() || !t.hasMatch() || !r.hasMatch())
        return pdf; // not the layout expected: the file stays as Qt wrote it
    const int objeto = t.captured(1).toInt();
    QByteArray saida = pdf;
    if (!saida.endsWith('\n'))
        saida += '\n';
    const qsizetype posicaoObjeto = saida.size();
    saida +=
        QByteArray::number(objeto) + " 0 obj\n<<\n/Title " + textoPdf(relatorio.nome) +
        "\n/Author " + textoPdf(config.autor) + "\n/Subject " + textoPdf(config.assunto) +
        "\n/Creator " + textoPdf(config.criador) + "\n/Producer " +
        textoPdf(QStringLiteral("Qt ") + QString::fromLatin1(qVersion())) + "\n/CreationDate (D:" +
        QDateTime::currentDateTimeUtc().toString(u"yyyyMMddHHmmss").toLatin1() + "Z)\n>>\nendobj\n";
    const qsizetype posicaoXref = saida.size();
    saida += "xref\n" + QByteArray::number(objeto) + " 1\n" +
             QByteArray::number(posicaoObjeto).rightJustified(10, '0') + " 00000 n \n";
    saida += "trailer\n<<\n/Size " + QByteArray::number(objeto + 1) + "\n/Root " +
             r.captured(1).toLatin1() + "\n/Info " + QByteArray::number(objeto) + " 0 R\n/Prev " +
             m.captured(2).toLatin1() + "\n>>\nstartxref\n" + QByteArray::number(posicaoXref) +
             "\n%%EOF\n";
    return saida;
}

} // namespace

void pdf(const RelatorioPreparado &relatorio, const QString &arquivo,
         const ConfigExportacaoPdf &config, const Progresso &progresso) {
    // Written in memory first, so the document information can be completed before saving.
    QByteArray documento;
    {
        QBuffer buffer(&documento);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter escritor(&buffer);
        escritor.setResolution(resolucaoPdf);
        escritor.setCreator(config.criador);
        escritor.setTitle(relatorio.nome);
        escritor.setDocumentXmpMetadata(metadadosXmp(relatorio, config));
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
    documento = comInformacoes(documento, relatorio, config);

    QSaveFile saida(arquivo);
    if (!saida.open(QIODevice::WriteOnly) || saida.write(documento) != documento.size() ||
        !saida.commit())
        throw ErroSistema(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                              .arg(arquivo, saida.errorString()));
}

} // namespace Exportadores
