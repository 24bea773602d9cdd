#pragma once
#include <QString>

// The program's run: creates every window and the data module once, in a
// fixed order, reads the stored mode and runs full or simple mode. Returns
// the process's exit status; an error before the event loop shows its box
// and ends with a non-zero status.
int executarPrograma(const QString &caminhoBanco);
