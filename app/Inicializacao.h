#pragma once
#include "AcessoBanco.h"

// The program's run: creates every window and the data module once, in a
// fixed order, reads the stored mode and runs full or simple mode. Returns
// the process's exit status; an error before the event loop shows its box
// and ends with a non-zero status.
// `acesso`: the embedded file, or the server's register with this desk's account.
int executarPrograma(const AcessoBanco &acesso);
