#include "RecibosPorData.h"

#include "Datamodule1.h"
#include "Firebird.h"

#include <QDate>

namespace RecibosPorData {

const QStringList &sql() {
    static const QStringList linhas{QStringLiteral("select"), QStringLiteral("  * from"),
                                    QStringLiteral("RECIBOS"),
                                    QStringLiteral("where (Data>=:pini and Data<=:pfim) ")};
    return linhas;
}

const QStringList &sqlNaOrdemGuardada() {
    static const QStringList linhas = sql() + QStringList{QStringLiteral("plan (RECIBOS natural)")};
    return linhas;
}

bool lerNaOrdemGuardada(Fb::Transacao &tra, const QDate &inicio, const QDate &fim) {
    if (!tra.ativa())
        return false;
    // FIRST without an order reads the table as stored, as the report would.
    Fb::Comando olhar(tra, QStringLiteral("select count(*), count(iif(DATA >= :PINI and DATA <= "
                                          ":PFIM, 1, null)) from (select first %1 DATA from "
                                          "RECIBOS) R")
                               .arg(k_recibosOlhados));
    olhar.definir(QStringLiteral("PINI"), inicio);
    olhar.definir(QStringLiteral("PFIM"), fim);
    const Fb::Linha visto = olhar.executar();
    const qint64 olhados = visto.size() == 2 ? visto[0].toLongLong() : 0;
    const qint64 noPeriodo = visto.size() == 2 ? visto[1].toLongLong() : 0;
    return olhados > 0 && noPeriodo * 8 >= olhados;
}

QStringList sqlDoPeriodo(const QDate &inicio, const QDate &fim) {
    return lerNaOrdemGuardada(*TDatamodule1::instancia().Tra, inicio, fim) ? sqlNaOrdemGuardada()
                                                                           : sql();
}

} // namespace RecibosPorData
