#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Conjunto;
namespace Fb {
class Transacao;
}

// The statements the searches run, built from the text typed in a search box. The search
// windows hand over what was typed (buscar, below); the statements themselves are for the data
// layer and its tests.
namespace Consultas {

// What a search box looks for.
enum class Busca {
    ClientesPorNome,
    ClientesPorCpfCnpj,
    RecibosPorNome,
    RecibosPorNumero,
};

// Gives the shared dataset the search fills (Clientes or Recibos) the rows matching the text
// typed, reopened in the search's order. The dataset is closed first: when the text is refused
// (ErroSistema naming the character) or the look that chooses the statement fails, the grid
// is empty too.
void buscar(Busca busca, const QString &texto);
// The shared dataset a search fills: Clientes or Recibos.
Conjunto &conjuntoDaBusca(Busca busca);
// Throws ErroSistema naming a character typed that no stored value holds; any other text is
// searched (one too long for the column finds nothing).
void verificarTexto(Busca busca, const QString &texto);
// The statement a search box runs for the text typed; the looks that choose it read through
// the transaction.
QStringList sqlDaBusca(Busca busca, Fb::Transacao &tra, const QString &texto);
// Every client in name order, or every receipt newest first, in the shared dataset.
void mostrarTodosOsClientes();
void mostrarTodosOsRecibos();

// The text inside an SQL string literal: every single quote doubled, so the literal always
// ends where it should. Nothing when the text asks for more characters than a column of
// `tamanho` holds ("%" matches none, every other character one): such a search finds
// nothing and is no error. A character no stored value holds (one outside the code page, a
// control character) throws ErroSistema naming it as typed.
std::optional<QString> literal(const QString &texto, int tamanho);

// The sizes of the columns searched.
constexpr int k_tamanhoNome = 50;    // CLIENTES.CLIENTE, RECIBOS.CLIENTE
constexpr int k_tamanhoCpfCnpj = 20; // CLIENTES.CPFCNPJ

// Rows of a first screen of a search's grid.
constexpr int k_telaDeLinhas = 25;
// How many clients, from the first in name order, the tax-number search looks at before
// it chooses its statement (below).
constexpr int k_clientesOlhados = 300;
// The receipt numbers the name search reads one by one before it turns to the index: enough
// for a screen of a name that one receipt in forty bears, few enough to read at once.
constexpr int k_recibosLidosEmOrdem = 1000;
// Fewer receipts than this bearing a name are listed by the index alone.
constexpr int k_recibosPoucos = 100;

QStringList clientesTodos();
// Clients whose name (or stored tax number, punctuation included) begins with the text, by
// the database's LIKE: "%" and "_" typed act as wildcards. Always in name order.
QStringList clientesPorNome(const QString &texto);
QStringList clientesPorCpfCnpj(const QString &texto);
// The same rows in the same order, read by walking the name index and testing each client's
// tax number: no list of the matches is built first, so when most clients match (all tax
// numbers of a register may begin with the same digit) the first screen comes at once; when
// few match, the walk reads every client to find them.
QStringList clientesPorCpfCnpjPelosNomes(const QString &texto);
// Which of the two a typed tax number runs: the walk when the first k_clientesOlhados
// clients in name order already hold a screen of matches, the tax-number index otherwise.
// Looking costs the reading of those first clients, which the walk then finds in the cache.
QStringList clientesPorCpfCnpj(Fb::Transacao &tra, const QString &texto);

// Every receipt, newest first.
QStringList recibosTodos();
// Receipts whose CLIENTE column begins with the text, oldest first.
QStringList recibosPorNome(const QString &texto);
// The same rows in the same order, read in two parts: the `lidosEmOrdem` numbers from
// `menorNumero`, the lowest stored, one by one, testing each name, so that a name many
// receipts bear fills the first screen without the list of all of them being built first;
// then the later numbers, the name index telling which to read, as a rarer name needs.
QStringList recibosPorNomeEmDuasPartes(const QString &texto, qint64 menorNumero,
                                       int lidosEmOrdem = k_recibosLidosEmOrdem);
// Which of the two a typed name runs: the plain statement when fewer than k_recibosPoucos
// receipts bear the name (the index lists them at once, where the first part would read its
// numbers in vain) and on an empty register; the two parts otherwise, and always for a text
// holding a wildcard, which no look of bounded cost can count. Looking reads the lowest
// number and at most k_recibosPoucos receipts through the name index.
QStringList recibosPorNome(Fb::Transacao &tra, const QString &texto);
// Receipts whose number written in decimal begins with the text, oldest first. A run of
// digits is answered through the primary key, range by range (below), without reading the
// table; any other text keeps the literal LIKE of the number.
QStringList recibosPorNumero(const QString &texto);

// A closed range of numbers.
struct Faixa {
    qint64 de;
    qint64 ate;
    bool operator==(const Faixa &) const = default;
};

// The numbers from 0 to `maior` whose decimal writing begins with `digitos`, as ranges in
// ascending order: 12 → 12, 120–129, 1200–1299, ... An empty list when none does (a leading
// zero other than "0" itself, a prefix past `maior`). Nothing when the text is not a run of
// digits (empty, a letter, a wildcard).
std::optional<std::vector<Faixa>> faixasDoPrefixo(const QString &digitos, qint64 maior);

// The largest receipt number the key column holds (INTEGER).
constexpr qint64 k_maiorNumeroRecibo = 2147483647;

} // namespace Consultas
