#pragma once
#include "PaginaPreparada.h"

#include <QRectF>
#include <optional>

// Finding text in prepared pages, for the preview's "Localizar".
namespace Busca {

struct Achado {
    int pagina = 0;
    int elemento = 0;
    int linha = 0;
    int posicao = 0;
    // Where the found letters stand on the page, in layout pixels.
    QRectF area;
};

// The next occurrence after `depois` (from the start when empty), letter case
// ignored, going round to the first page after the last; nothing when absent.
std::optional<Achado> localizar(const RelatorioPreparado &relatorio, const QString &texto,
                                const std::optional<Achado> &depois = std::nullopt);

} // namespace Busca
