#pragma once
#include "Dinheiro.h"

#include <QString>
#include <QStringView>
#include <optional>

// The amount in words printed after "a quantia de", and the punctuation of
// CPF and CNPJ tax numbers. Plain functions: no window, no database.

// The words of an amount from 0 to 999.999,99 ("Um Real, e Um Centavo.").
// Zero gives empty text. An amount below zero or above 999.999,99 makes the
// routine itself show the range message through Avisador::atual() and gives
// empty text; the caller stores or shows whatever comes back.
QString ValorPorExtenso(Dinheiro valor);

// The same for the amount as the user typed it ("1.234,5", "1,005"), with any
// number of decimals. The range is judged on the exact typed value and the
// words are written for that value rounded half away from zero to the
// centavo. Empty optional, and no message, when the text is not a number: the
// caller tells the user and leaves its fields as they were.
std::optional<QString> ValorPorExtenso(const QString &valorDigitado);

// Amounts are exact; a binary floating-point number would not be.
QString ValorPorExtenso(double) = delete;

// The words of one group of three digits, hundreds first ("121" gives
// "Cento e Vinte e Um"); "000", and anything but three digits, give empty text.
QString TrioPorExtenso(QStringView digitos);
