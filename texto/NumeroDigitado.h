#pragma once
#include <QString>
#include <optional>

// A number as it is typed into a value field under Brazilian settings: an optional sign,
// integer digits that may be grouped in thousands with "." (1.234), an optional "," with
// decimals, an optional exponent ("1,5E3", "2e-2"), blanks around it ignored. It is kept as
// exact decimal digits, so no binary rounding ever changes what was typed.
class NumeroDigitado {
public:
    // Empty when the text is not such a number, or lies beyond what a value field can hold
    // (10^308 and above).
    static std::optional<NumeroDigitado> ler(const QString &texto);

    // Plain decimal text, without thousands or exponent ("-1500,25"), as ValorPorExtenso reads
    // it. Decimals past the twentieth are not kept; when any of them was not zero a final 1
    // stands for them, so the side of the range the number lies on never changes.
    QString decimal() const;

    // Thousands grouped with "." and two decimals after ",", rounded half away from zero:
    // 1234,5 gives 1.234,50. Nothing that rounds to zero carries a sign.
    QString formatado() const;

private:
    bool m_negativo = false;
    QString m_inteiros = QStringLiteral("0"); // no leading zeros
    QString m_decimais;                       // no trailing zeros
};
