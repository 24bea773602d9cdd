#pragma once
#include <QStringList>

class QDate;
namespace Fb {
class Transacao;
}

// The query of the receipts of a period and how it is best read.
namespace RecibosPorData {

// The query as the by-date dialog stores it: no ordering clause, so the receipts come in the
// order they are stored.
const QStringList &sql();
// The same query reading the table in its stored order and testing each date, instead of
// listing every receipt of the period through the DATA index before the first row: the same
// rows in the same order, since the index's list is also read in the stored order.
const QStringList &sqlNaOrdemGuardada();

// How many of the first receipts stored the choice below looks at.
constexpr int k_recibosOlhados = 10000;

// True when an eighth or more of the first receipts stored fall within the period: the
// stored order then reaches a page of them at once, where the index's list of the period,
// made before the first row, could take longer than the page may. False on an empty
// register and without a transaction.
bool lerNaOrdemGuardada(Fb::Transacao &tra, const QDate &inicio, const QDate &fim);

// The query the period's report runs over the shared connection: sqlNaOrdemGuardada() when
// the choice above says so, sql() otherwise.
QStringList sqlDoPeriodo(const QDate &inicio, const QDate &fim);

} // namespace RecibosPorData
