#pragma once
#include <QMetaType>
#include <QString>
#include <compare>
#include <cstdint>
#include <optional>

// An exact amount in reais, held as a whole number of centavos: the value of a
// NUMERIC(18,2) column. No binary floating point is ever involved.
class Dinheiro {
public:
    constexpr Dinheiro() = default;
    static constexpr Dinheiro deCentavos(int64_t centavos) { return Dinheiro(centavos); }

    constexpr int64_t centavos() const { return m_centavos; }
    constexpr int64_t reais() const { return m_centavos / 100; }
    constexpr int centavosDoReal() const { return int(m_centavos % 100); }

    // Reads an amount as a Brazilian user types it ("1.234,56", "1234,5",
    // "-0,004", "1,005"): any number of decimals, rounded half away from zero
    // to the centavo. Empty when the text is not a number or does not fit.
    static std::optional<Dinheiro> lerTexto(const QString &texto);

    // "#,##0.00" with Brazilian separators: 1.234,50.
    QString formatado() const;

    constexpr auto operator<=>(const Dinheiro &) const = default;

private:
    constexpr explicit Dinheiro(int64_t centavos) : m_centavos(centavos) {}
    int64_t m_centavos = 0;
};

Q_DECLARE_METATYPE(Dinheiro)
