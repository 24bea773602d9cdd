#include "MedidorDeTexto.h"

#include "Fontes.h"

#include <cmath>
#include <limits>

namespace {

constexpr double naoMedido = -1e300;
constexpr quint32 glifoNaoLido = 0xFFFFFFFF;
constexpr qint16 parNaoMedido = std::numeric_limits<qint16>::min();
// Texts shaped whole are remembered up to this many; then the memory starts again.
constexpr qsizetype formadasGuardadas = 20000;

bool letraSomavel(char16_t letra) {
    // Control characters and the soft hyphen have no advance of their own.
    return letra >= 0x20 && letra < 0x250 && letra != 0xAD;
}

} // namespace

MedidorDeTexto::MedidorDeTexto(const FontePreparada &fonte)
    : m_fonte(Fontes::criar(fonte, 96)), m_fm(m_fonte, Fontes::dispositivoDeMedida()),
      m_altura(m_fm.height()), m_ascendente(m_fm.ascent()),
      m_pares(size_t(ladoDosPares) * ladoDosPares, parNaoMedido) {
    m_avancos.fill(naoMedido);
    m_indices.fill(glifoNaoLido);
}

double MedidorDeTexto::avanco(char16_t letra) {
    double &a = m_avancos[letra];
    if (a == naoMedido)
        a = m_fm.horizontalAdvance(QString(QChar(letra)));
    return a;
}

double MedidorDeTexto::kerning(char16_t antes, char16_t depois) {
    if (antes < fimDosPares && depois < fimDosPares) {
        qint16 &k = m_pares[size_t(antes - inicioDosPares) * ladoDosPares +
                            size_t(depois - inicioDosPares)];
        if (k == parNaoMedido) {
            const QChar dois[2] = {QChar(antes), QChar(depois)};
            const double medido =
                m_fm.horizontalAdvance(QString(dois, 2)) - avanco(antes) - avanco(depois);
            // Kerning is a whole, small number of 1/64 pixel.
            if (medido * 64 != std::round(medido * 64) || std::abs(medido * 64) > 30000)
                return medido;
            k = qint16(std::lround(medido * 64));
        }
        return k / 64.0;
    }
    const quint32 par = (quint32(antes) << 16) | depois;
    const auto it = m_kerning.constFind(par);
    if (it != m_kerning.cend())
        return *it;
    const QChar dois[2] = {QChar(antes), QChar(depois)};
    const double k = m_fm.horizontalAdvance(QString(dois, 2)) - avanco(antes) - avanco(depois);
    m_kerning.insert(par, k);
    return k;
}

double MedidorDeTexto::formada(const QString &texto) {
    const auto it = m_formadas.constFind(texto);
    if (it != m_formadas.cend())
        return *it;
    if (m_formadas.size() >= formadasGuardadas)
        m_formadas.clear();
    const double l = m_fm.horizontalAdvance(texto);
    m_formadas.insert(texto, l);
    return l;
}

bool MedidorDeTexto::somaBasta(const char16_t *letras, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = letras[i];
        if (!letraSomavel(c))
            return false;
        // Ligatures: Qt draws fi, fl and ff as one glyph of its own width.
        if (i > 0 && letras[i - 1] == u'f' && (c == u'f' || c == u'i' || c == u'l'))
            return false;
    }
    return true;
}

double MedidorDeTexto::largura(const QString &texto) {
    const auto *p = reinterpret_cast<const char16_t *>(texto.utf16());
    const qsizetype n = texto.size();
    if (!somaBasta(p, n))
        return formada(texto);
    // Every advance and kerning is a whole number of 1/64 pixel, so the sum is exact.
    double soma = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0)
            soma += kerning(p[i - 1], p[i]);
        soma += avanco(p[i]);
    }
    return soma;
}

const QRawFont &MedidorDeTexto::fonteBruta() {
    if (!m_bruta.isValid())
        m_bruta = QRawFont::fromFont(m_fonte);
    return m_bruta;
}

bool MedidorDeTexto::glifos(const QString &texto, QList<quint32> &indices,
                            QList<QPointF> &posicoes) {
    const auto *p = reinterpret_cast<const char16_t *>(texto.utf16());
    const qsizetype n = texto.size();
    if (!somaBasta(p, n) || !fonteBruta().isValid())
        return false;
    indices.resize(n);
    posicoes.resize(n);
    double x = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        quint32 &glifo = m_indices[c];
        if (glifo == glifoNaoLido) {
            const QChar letra(c);
            int lidos = 1;
            if (!m_bruta.glyphIndexesForChars(&letra, 1, &glifo, &lidos) || lidos != 1)
                glifo = 0;
        }
        if (glifo == 0)
            return false; // a letter the face lacks: Qt's shaping finds it another face
        if (i > 0)
            x += kerning(p[i - 1], c);
        indices[i] = glifo;
        posicoes[i] = QPointF(x, 0);
        x += avanco(c);
    }
    return true;
}
