#pragma once
#include "PaginaPreparada.h"

#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <array>

// How wide texts are in one font, in layout pixels, to the last 1/64 of a pixel
// as Qt's shaping gives them, without shaping each text: the advance of every
// letter and the kerning of every pair of letters are measured once and added
// up. Texts that a sum cannot tell (f ligatures, letters past the Latin ranges)
// are shaped once each and remembered.
class MedidorDeTexto {
public:
    explicit MedidorDeTexto(const FontePreparada &fonte);

    double largura(const QString &texto);
    const QFontMetricsF &metricas() const { return m_fm; }

private:
    double avanco(char16_t letra);
    double kerning(char16_t antes, char16_t depois);
    double formada(const QString &texto);

    static constexpr char16_t fimDaTabela = 0x250; // Latin-1 and Latin Extended A and B
    QFontMetricsF m_fm;
    std::array<double, fimDaTabela> m_avancos;
    QHash<quint32, double> m_kerning;
    QHash<QString, double> m_formadas;
};
