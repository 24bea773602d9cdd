#pragma once
#include "ModoInicio.h"

#include <QString>
#include <QStringList>

// Creates a new, empty database file with the program's tables, generators
// and starting rows. Throws ErroSistema, in Portuguese when the file exists.
// A creation that fails halfway leaves no file behind, so it can be tried again.
namespace Esquema {
// The mode the new file starts in.
using Modo = ::Modo;
void criarBanco(const QString &caminho, Modo modo);

// The data definition statements of a new database, in the order they run.
QStringList definicoes();
// As above, with the given data definition statements.
void criarBanco(const QString &caminho, Modo modo, const QStringList &definicoes);
} // namespace Esquema
