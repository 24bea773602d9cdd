#pragma once

// The faces the program brings along, loaded by hand where fontconfig does not list them:
// Tahoma and MS Sans Serif from Debian's Wine font files. Arial is met by its metric twin
// Liberation Sans, which fontconfig knows.
namespace Fontes {

// The one place that loads them, for the program (at start), the windows, the report engine
// and the tests alike. Once per run; needs the application object.
void garantirCarregadas();

} // namespace Fontes
