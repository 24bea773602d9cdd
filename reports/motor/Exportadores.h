#pragma once
#include "ConfigExportacao.h"
#include "PaginaPreparada.h"

#include <QFileDevice>
#include <QString>
#include <QStringList>

#include <functional>

// Writers of prepared reports into files, a page at a time. Each writes through a
// temporary file that replaces the target only when complete (an existing file is
// replaced without a question, keeping its permissions; a new one gets those of
// any new file of the user) and throws ErroSistema when it cannot write.
// The export formats, in the order the preview lists them.
enum class FormatoExportacao { Pdf, Excel, Rtf, Jpeg, Bmp };

namespace Exportadores {

// Called after each page: pages done, pages in all (and with none done during a
// first pass over the pages, so that this pass can be given up as well); answers
// false when the user cancels, and the writer stops at the next page.
using Progresso = std::function<bool(int feitas, int total)>;

// Thrown by a writer whose progress answered false. Nothing of the run is left
// behind: an earlier file of that name is as it was, no temporary file remains.
// Not an error to show: the user asked for it.
struct Cancelada {};

// Tells the progress how far the run got; throws Cancelada when the user cancelled.
inline void informar(const Progresso &progresso, int feitas, int total) {
    if (progresso && !progresso(feitas, total))
        throw Cancelada{};
}

// Document information, viewer preferences, compression and AES-256 protection
// with the passwords and permissions as the settings give them.
void pdf(const RelatorioPreparado &relatorio, const QString &arquivo,
         const ConfigExportacaoPdf &config, const Progresso &progresso = {});

// An Excel workbook (.xlsx) with one sheet: the texts of the pages in a grid
// built from their edges, numbers as numbers, the pictures as pictures.
void xlsx(const RelatorioPreparado &relatorio, const QString &arquivo,
          const ConfigExportacaoExcel &config, const Progresso &progresso = {});

// A rich text document: each page's texts, lines and pictures in their places,
// a page break between pages.
void rtf(const RelatorioPreparado &relatorio, const QString &arquivo,
         const ConfigExportacaoRtf &config, const Progresso &progresso = {});

// One picture per page: name.jpg, name_2.jpg, ... Returns the files written. The
// pictures replace the files of those names only once every page is written.
QStringList jpeg(const RelatorioPreparado &relatorio, const QString &arquivo,
                 const ConfigExportacaoJpeg &config, const Progresso &progresso = {});
QStringList bmp(const RelatorioPreparado &relatorio, const QString &arquivo,
                const ConfigExportacaoBmp &config, const Progresso &progresso = {});

// The program and its version, as documents name their creator: "Talvano 2.2.2".
QString programa();
// The document information the settings leave empty, filled: the creator is this program, the
// subject the report's title; the author stays as given (the preview gives the issuer).
ConfigExportacaoPdf completar(ConfigExportacaoPdf config, const RelatorioPreparado &relatorio);
ConfigExportacaoRtf completar(ConfigExportacaoRtf config);

// What a new file of the user gets: read and write for all, less the user's umask.
QFileDevice::Permissions permissoesDeArquivoNovo();

// The name of the file of a page: the first page keeps the name chosen.
QString arquivoDaPagina(const QString &arquivo, int pagina);

} // namespace Exportadores
