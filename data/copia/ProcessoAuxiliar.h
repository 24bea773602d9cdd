#pragma once
#include "ContagemBanco.h"

#include <QString>
#include <optional>

// The engine's backup and restore run in a process of their own, the program started again
// with an argument of this module: a damaged backup file, or a database held by an engine
// with other lock files, can bring the engine down with its process, and then only the helper
// goes; the program tells what happened and loses nothing.
namespace ProcessoAuxiliar {

// Every program that makes or restores backups calls this first thing in main(): in a helper
// it does the helper's work and gives the exit status; otherwise nothing.
std::optional<int> atender(int argc, char **argv);

// Backs the database up into `arquivo` and gives the figures of the database it copied, read
// while the backup held it. Throws ErroSistema with the engine's or the system's words.
ContagemBanco copiar(const QString &banco, const QString &arquivo);

// Restores `arquivo` into the new database file `banco` and gives its figures. Throws
// ErroSistema; a helper that ended by a crash is told as a damaged backup file.
ContagemBanco restaurar(const QString &arquivo, const QString &banco);

// Called from a signal handler (async-signal-safe): the helper running is ended at once and
// its call throws; no new one starts.
void interromper();
bool interrompido();
// After an interruption the user asked for (the backups window's "Cancelar"), helpers may run
// again.
void retomar();

} // namespace ProcessoAuxiliar
