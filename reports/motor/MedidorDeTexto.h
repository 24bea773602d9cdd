#pragma once
#include "PaginaPreparada.h"

#include <QFontMetricsF>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>

#include <array>
#include <vector>

// How wide texts are in one font, in layout pixels, to the last 1/64 of a pixel
// as Qt's shaping gives them, without shaping each text: the advance of every
// letter and the kerning of every pair of letters are measured once and added
// up. Texts that a sum cannot tell (f ligatures, letters past the Latin ranges)
// are shaped once each and remembered.
class MedidorDeTexto {
public:
    explicit MedidorDeTexto(const FontePreparada &fonte);

    double largura(const QString &texto);
    // The glyphs of a text and where each starts, from the same tables, for
    // drawing without shaping; false for the texts that need Qt's shaping.
    bool glifos(const QString &texto, QList<quint32> &indices, QList<QPointF> &posicoes);
    // The face at the size those glyphs and positions are for.
    const QRawFont &fonteBruta();
    const QFontMetricsF &metricas() const { return m_fm; }
    // Asked once: the font's metrics answer through a lock and a lookup each time.
    double altura() const { return m_altura; }
    double ascendente() const { return m_ascendente; }

private:
    double avanco(char16_t letra);
    double kerning(char16_t antes, char16_t depois);
    double formada(const QString &texto);
    static bool somaBasta(const char16_t *letras, qsizetype n);

    static constexpr char16_t fimDaTabela = 0x250; // Latin-1 and Latin Extended A and B
    // Pairs of letters up to Latin Extended A have their kerning in a flat table, in
    // 1/64 pixel; the rarer rest in a hash.
    static constexpr char16_t fimDosPares = 0x180;
    static constexpr char16_t inicioDosPares = 0x20;
    static constexpr int ladoDosPares = fimDosPares - inicioDosPares;
    QFont m_fonte;
    QFontMetricsF m_fm;
    QRawFont m_bruta;
    std::array<quint32, fimDaTabela> m_indices;
    double m_altura = 0;
    double m_ascendente = 0;
    std::array<double, fimDaTabela> m_avancos;
    std::vector<qint16> m_pares;
    QHash<quint32, double> m_kerning;
    QHash<QString, double> m_formadas;
};
