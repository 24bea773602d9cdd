#pragma once
#include "ModeloLayout.h"

#include <QString>
#include <QVariant>

// Placeholder values turned into text the Brazilian way, exactly: amounts come
// as Dinheiro (centavos) and are never routed through binary floating point.
namespace Formatacao {

// A number given as valor / 10^casasValor, rounded half away from zero to
// `casas` decimals, grouped with "." and with "," before the decimals.
QString numero(qint64 valor, int casasValor, int casas);

// A value read as an exact scaled number (Dinheiro, integers, doubles rounded
// to the centavo). False for text, dates and NULL.
bool comoNumero(const QVariant &valor, qint64 &escalado, int &casas);

// The text a value prints as under the display format.
QString texto(const QVariant &valor, const FormatoExibicao &formato);

} // namespace Formatacao
