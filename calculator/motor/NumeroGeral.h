#pragma once
#include <QString>
#include <optional>

// Numbers as the calculator's display holds them: "," before the decimals and
// no grouping, written in the general format of 15 significant digits.
QString formatoGeral(long double valor);

// Reads a display text: blanks, a sign, at least one digit, an optional ","
// with optional decimals and an optional exponent. Nothing when the text is
// not a number or does not fit.
std::optional<long double> lerNumeroDoVisor(const QString &texto);
