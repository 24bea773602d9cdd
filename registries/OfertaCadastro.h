#pragma once
#include <QString>

// The rule of the receipt window for a party typed by hand: a tax number that no registered
// client has brings the offer to register the party as a client. The search goes through the
// data module's index, not through the rows of Clientes. True when the question was asked.
bool oferecerCadastroDeCliente(const QString &nome, const QString &cpfCnpj);
