#pragma once
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The statements the searches run, built from the text typed in a search box. Widget-free:
// the windows replace the shared dataset's SQL text with these lines and reopen it.
namespace Consultas {

// The text inside an SQL string literal: every single quote doubled, so the literal always
// ends where it should.
QString literal(const QString &texto);

QStringList clientesTodos();
// Clients whose name (or stored tax number, punctuation included) begins with the text, by
// the database's LIKE: "%" and "_" typed act as wildcards. Always in name order.
QStringList clientesPorNome(const QString &texto);
QStringList clientesPorCpfCnpj(const QString &texto);

// Every receipt, newest first.
QStringList recibosTodos();
// Receipts whose CLIENTE column begins with the text, oldest first.
QStringList recibosPorNome(const QString &texto);
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
