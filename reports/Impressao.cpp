#include "Impressao.h"

#include "Avisador.h"
#include "ErroSistema.h"
#include "GeometriaPagina.h"
#include "PaginaPreparada.h"
#include "Renderizador.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

namespace Impressao {

bool haImpressora() {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool conferirImpressora() {
    if (haImpressora())
        return true;
    Avisador::atual().mensagem(semImpressora);
    return false;
}

void usarImpressoraPadrao(QPrinter &impressora) {
    impressora.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
}

void imprimir(const RelatorioPreparado &relatorio, QPrinter &impressora, int de, int ate,
              const std::function<bool(int, int)> &progresso) {
    de = qMax(1, de);
    ate = qMin(ate, int(relatorio.paginas.size()));
    if (de > ate)
        return;
    impressora.setFullPage(true);
    impressora.setPageLayout(
        GeometriaPagina(relatorio.paginas.cabecalho(de - 1)).leiauteFolhaInteira());
    QPainter painter;
    if (!painter.begin(&impressora))
        throw ErroSistema(QStringLiteral("Não foi possível iniciar a impressão em \"%1\".")
                              .arg(impressora.printerName()));
    const int total = ate - de + 1;
    for (int i = de - 1; i < ate; ++i) {
        if (i > de - 1) {
            impressora.setPageLayout(
                GeometriaPagina(relatorio.paginas.cabecalho(i)).leiauteFolhaInteira());
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

void imprimirComProgresso(const RelatorioPreparado &relatorio, QPrinter &impressora, int de,
                          int ate, QWidget *pai) {
    QProgressDialog progresso(QStringLiteral("Imprimindo..."), QStringLiteral("Cancelar"), 0,
                              qMax(0, ate - de + 1), pai);
    progresso.setWindowTitle(QStringLiteral("Impressão"));
    progresso.setWindowModality(Qt::WindowModal);
    progresso.setMinimumDuration(0);
    imprimir(relatorio, impressora, de, ate, [&](int feitas, int) {
        progresso.setValue(feitas);
        return !progresso.wasCanceled();
    });
}

} // namespace Impressao
