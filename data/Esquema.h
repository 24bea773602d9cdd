#pragma once
#include <QString>

// Creates a new, empty database file with the program's tables, generators
// and starting rows. Throws ErroSistema, in Portuguese when the file exists.
namespace Esquema {
enum class Modo { Simples, Completo };
void criarBanco(const QString &caminho, Modo modo);
} // namespace Esquema
