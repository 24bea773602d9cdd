#pragma once
#include "Exportadores.h"
#include "PaginaPreparada.h"

#include <QString>

// Prepared reports saved by the preview and opened again: our own file, "TLVRPREP"
// followed by the format version (2), the length of the compressed pages, the size
// they have uncompressed, the pages as one zlib stream, and a CRC-16 of the
// compressed bytes (the size before them included). Both directions go one page
// at a time, so a list of any length costs the memory of a page.
namespace ArquivoRelatorio {

inline constexpr char extensao[] = ".trp";

// Writes through a temporary file that replaces the target only when complete
// (an existing file keeps its permissions; a new one gets those of any new file
// of the user). Throws ErroSistema when the file cannot be written and
// Exportadores::Cancelada when the progress answers false; the target is left
// as it was then.
void gravar(const RelatorioPreparado &relatorio, const QString &arquivo,
            const Exportadores::Progresso &progresso = {});

// Throws ErroSistema with a clear message when the file is not one of ours,
// comes from a newer version, or is truncated or damaged, and
// Exportadores::Cancelada when the progress answers false; nothing is returned
// then. The pages go straight into the compact page store as they are read.
RelatorioPreparado ler(const QString &arquivo, const Exportadores::Progresso &progresso = {});

} // namespace ArquivoRelatorio
