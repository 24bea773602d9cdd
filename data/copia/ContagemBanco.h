#pragma once
#include "Dinheiro.h"

#include <QString>
#include <optional>

namespace Fb {
class Conexao;
}

// What a backup must bring back: the rows of each of the five tables and the sum of the
// receipts' amounts. A restored copy that gives other figures than the database it was made
// from is not a good copy.
struct ContagemBanco {
    qint64 clientes = 0, emitente = 0, recibos = 0, configuracoes = 0, tipo = 0;
    Dinheiro somaValor;

    bool operator==(const ContagemBanco &) const = default;

    // Read in one transaction of its own on an attached database.
    static ContagemBanco contar(Fb::Conexao &conexao);

    // One line of numbers, as a backup's record and a helper process keep it.
    QString paraTexto() const;
    static std::optional<ContagemBanco> deTexto(const QString &texto);

    // For the user: "1.000.000 recibos somando R$ 1.234,50; 2 clientes; ...".
    QString descrever() const;
};
