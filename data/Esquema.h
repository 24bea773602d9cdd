#pragma once
#include "AcessoBanco.h"
#include "ModoInicio.h"

#include <QList>

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

// A desk's account on a server: its name (letters, digits, "_") and password.
struct Conta {
    QString nome, senha;
};
// Creates the register on a server through the server's administrator account (`admin`: the
// server's address and SYSDBA), with the role every desk works in and its rights on the
// tables and generators, and the desks' accounts in that role. Throws ErroSistema when the
// database exists (nothing is changed) or the server refuses.
void criarNoServidor(const AcessoBanco &admin, Modo modo, const QList<Conta> &contas);
// Creates (or gives a new password to) desks' accounts of a register on a server, in the role.
void cadastrarContas(const AcessoBanco &admin, const QList<Conta> &contas);
// Throws ErroSistema naming the first name that cannot be an account: 1 to 31 letters,
// digits or "_", starting with a letter.
void verificarNomesDeConta(const QStringList &nomes);
} // namespace Esquema
