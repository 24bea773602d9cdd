#pragma once
#include "PaginaPreparada.h"

#include <QString>

// Prepared reports saved by the preview and opened again: our own file, "TLVRPREP"
// followed by the format version (1) and the compressed pages with a checksum.
namespace ArquivoRelatorio {

inline constexpr char extensao[] = ".trp";

// Throws ErroSistema when the file cannot be written.
void gravar(const RelatorioPreparado &relatorio, const QString &arquivo);

// Throws ErroSistema with a clear message when the file is not one of ours,
// comes from a newer version, or is truncated or damaged; nothing is returned then.
RelatorioPreparado ler(const QString &arquivo);

} // namespace ArquivoRelatorio
