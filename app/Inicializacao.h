#pragma once
#include <QString>
#include <QVariant>

// The program's run: creates every window and the data module once, in a
// fixed order, reads the stored mode and runs full or simple mode. Returns
// the process's exit status; an error before the event loop shows its box
// and ends with a non-zero status.
int executarPrograma(const QString &caminhoBanco);

enum class Modo { Simples, Completo };
// Exactly "N" is simple mode; anything else, NULL included, is full mode.
Modo modoDaConfiguracao(const QVariant &configuracao1);
