#include "Impressao.h"

#include "ErroSistema.h"
#include "PaginaPreparada.h"
#include "Renderizador.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace Impressao {

namespace {

QPageLayout leiaute(const PaginaPreparada &pagina) {
    const double menor = qMin(pagina.larguraMm, pagina.alturaMm);
    const double maior = qMax(pagina.larguraMm, pagina.alturaMm);
    return QPageLayout(
        QPageSize(QSizeF(menor, maior), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch),
        pagina.paisagem ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

} // namespace

bool haImpressora() {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

void imprimir(const RelatorioPreparado &relatorio, QPrinter &impressora, int de, int ate,
              const std::function<bool(int, int)> &progresso) {
    de = qMax(1, de);
    ate = qMin(ate, int(relatorio.paginas.size()));
    if (de > ate)
        return;
    impressora.setFullPage(true);
    impressora.setPageLayout(leiaute(relatorio.paginas[de - 1]));
    QPainter painter;
    if (!painter.begin(&impressora))
        throw ErroSistema(QStringLiteral("Não foi possível iniciar a impressão em \"%1\".")
                              .arg(impressora.printerName()));
    const int total = ate - de + 1;
    for (int i = de - 1; i < ate; ++i) {
        if (i > de - 1) {
            impressora.setPageLayout(leiaute(relatorio.paginas[i]));
            if (!impressora.newPage())
                throw ErroSistema(QStringLiteral("A impressora \"%1\" recusou uma nova página.")
                                      .arg(impressora.printerName()));
        }
        Renderizador::desenharPaginaEm(painter, relatorio, i, impressora.resolution());
        if (progresso && !progresso(i - de + 2, total)) {
            impressora.abort();
            break;
        }
    }
    painter.end();
}

} // namespace Impressao
