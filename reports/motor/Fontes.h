#pragma once
#include "PaginaPreparada.h"

#include <QFont>

class QPaintDevice;

// The faces the layouts name, found on this machine: Arial by its metric twin
// Liberation Sans, Tahoma and MS Sans Serif from the Wine font files, loaded
// by hand when fontconfig does not list them.
namespace Fontes {

// Loads the faces the program brings along; the one place that does, for the
// program (at start), the windows and the tests alike. Once per run.
void garantirCarregadas();

// The font whose em is pontos * 96 / 72 units of a painter that draws in
// layout pixels on a device of the given logical resolution.
QFont criar(const FontePreparada &fonte, double dpiDispositivo = 96);

// A 96-dpi device on which the preparation measures text.
const QPaintDevice *dispositivoDeMedida();

} // namespace Fontes
