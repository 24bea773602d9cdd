#pragma once
#include <QString>

// How the run ends when it is ended from outside. SIGTERM, SIGINT and SIGHUP (a logout,
// `kill`, Ctrl+C in the terminal) end it as "Sair" does: the event loops return, the windows
// and the data module go, and the transaction commits. A run cut short through exit() (the
// display gone: Qt's X11 plugin exits when its connection breaks) commits what was posted
// before the process ends.
namespace FimDoPrograma {

// Call once the database is attached: the engine's client library installs its own handlers
// for SIGINT and SIGTERM on first use, which shut the engine down and leave the windows on
// screen; these replace them.
void instalar();

// Whether one of those signals ended the run: a logout waits for no backup.
bool porSinal();

// At a normal end, once the windows and the data module are gone: the day's verified backup
// of the database (Copias), unless there is one already; a signal during it ends it at once,
// leaving nothing half written. Says on stderr what it did, with its time and size.
void copiaDoDia(const QString &caminhoBanco);

} // namespace FimDoPrograma
