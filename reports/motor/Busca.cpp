#include "Busca.h"

#include "Fontes.h"

#include <QFontMetricsF>

namespace Busca {

namespace {

QRectF areaDoAchado(const RelatorioPreparado &r, const TextoPreparado &t, const LinhaDeTexto &l,
                    int posicao, int tamanho) {
    const QFontMetricsF fm(Fontes::criar(r.fontes.value(t.fonte), 96),
                           Fontes::dispositivoDeMedida());
    const double x = l.base.x() + fm.horizontalAdvance(l.texto.left(posicao));
    const double largura = fm.horizontalAdvance(l.texto.mid(posicao, tamanho));
    return QRectF(x, l.base.y() - fm.ascent(), largura, fm.ascent() + fm.descent());
}

} // namespace

std::optional<Achado> localizar(const RelatorioPreparado &relatorio, const QString &texto,
                                const std::optional<Achado> &depois) {
    const int paginas = int(relatorio.paginas.size());
    if (texto.isEmpty() || paginas == 0)
        return std::nullopt;
    const int inicio = depois ? qBound(0, depois->pagina, paginas - 1) : 0;
    // One round over every page, starting where the last search stopped; the
    // starting page is visited twice so matches before the last one count too.
    for (int volta = 0; volta <= paginas; ++volta) {
        const int p = (inicio + volta) % paginas;
        const PaginaPreparada pagina = relatorio.paginas[p];
        const auto &elementos = pagina.elementos;
        for (int e = 0; e < elementos.size(); ++e) {
            const auto *t = std::get_if<TextoPreparado>(&elementos[e]);
            if (!t)
                continue;
            for (int l = 0; l < t->linhas.size(); ++l) {
                qsizetype de = 0;
                if (depois && volta == 0) {
                    // On the first visit, only what comes after the last match.
                    if (std::tie(e, l) < std::tie(depois->elemento, depois->linha))
                        continue;
                    if (e == depois->elemento && l == depois->linha)
                        de = depois->posicao + 1;
                }
                const qsizetype k = t->linhas[l].texto.indexOf(texto, de, Qt::CaseInsensitive);
                if (k < 0)
                    continue;
                return Achado{p, e, l, int(k),
                              areaDoAchado(relatorio, *t, t->linhas[l], int(k), int(texto.size()))};
            }
        }
    }
    return std::nullopt;
}

} // namespace Busca
