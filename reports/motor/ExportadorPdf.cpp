#include "Exportadores.h"

#include "ErroSistema.h"
#include "Renderizador.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace Exportadores {

namespace {

// Resolution of the PDF's coordinates: layout pixels land on a fine grid.
constexpr int resolucaoPdf = 1200;

QPageLayout leiauteDaPagina(const PaginaPreparada &pagina) {
    const double menor = qMin(pagina.larguraMm, pagina.alturaMm);
    const double maior = qMax(pagina.larguraMm, pagina.alturaMm);
    const QPageSize tamanho(QSizeF(menor, maior), QPageSize::Millimeter, QString(),
                            QPageSize::FuzzyMatch);
    return QPageLayout(tamanho, pagina.paisagem ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

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

} // namespace

void pdf(const RelatorioPreparado &relatorio, const QString &arquivo,
         const ConfigExportacaoPdf &config, const Progresso &progresso) {
    QSaveFile saida(arquivo);
    if (!saida.open(QIODevice::WriteOnly))
        throw ErroSistema(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                              .arg(arquivo, saida.errorString()));
    {
        QPdfWriter escritor(&saida);
        escritor.setResolution(resolucaoPdf);
        escritor.setCreator(config.criador);
        escritor.setTitle(relatorio.nome);
        escritor.setDocumentXmpMetadata(metadadosXmp(relatorio, config));
        if (!relatorio.paginas.isEmpty())
            escritor.setPageLayout(leiauteDaPagina(relatorio.paginas.first()));

        QPainter painter;
        if (!painter.begin(&escritor))
            throw ErroSistema(QStringLiteral("Não foi possível gerar o PDF %1.").arg(arquivo));
        const int total = int(relatorio.paginas.size());
        for (int i = 0; i < total; ++i) {
            if (i > 0) {
                escritor.setPageLayout(leiauteDaPagina(relatorio.paginas[i]));
                escritor.newPage();
            }
            Renderizador::desenharPaginaEm(painter, relatorio, i, resolucaoPdf);
            if (progresso)
                progresso(i + 1, total);
        }
        painter.end();
    }
    if (!saida.commit())
        throw ErroSistema(QStringLiteral("Não foi possível gravar o arquivo %1: %2")
                              .arg(arquivo, saida.errorString()));
}

} // namespace Exportadores
