#pragma once
#include "FontesCarregadas.h"
#include "PaginaPreparada.h"

#include <QFont>

class QPaintDevice;

// The faces the layouts name, found on this machine (FontesCarregadas.h), as the report engine
// measures and draws them.
namespace Fontes {

// The font whose em is pontos * 96 / 72 units of a painter that draws in
// layout pixels on a device of the given logical resolution.
QFont criar(const FontePreparada &fonte, double dpiDispositivo = 96);

// A 96-dpi device on which the preparation measures text.
const QPaintDevice *dispositivoDeMedida();

} // namespace Fontes
