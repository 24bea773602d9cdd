// Figures for a 100,000-row list of receipts in the period report's layout:
// preparation speed, time to the first page in the preview, PDF export speed
// and size, peak memory. Prints them; it is not a test.
#include "Dinheiro.h"
#include "Exportadores.h"
#include "FonteEmMemoria.h"
#include "Preparador.h"
#include "Relatorio.h"
#include "UNpreview.h"
#include "VisaoPaginas.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

long picoDeMemoriaKb() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return uso.ru_maxrss;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int linhas = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;

    FonteEmMemoria fonte({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    for (int i = 1; i <= linhas; ++i)
        fonte.adicionar({i, QStringLiteral("Cliente de número %1 da lista").arg(i),
                         QVariant::fromValue(Dinheiro::deCentavos(qint64(i) * 137 % 10000000)),
                         QDate(2011, 1, 1).addDays(i % 3650)});
    std::printf("linhas: %d\n", linhas);
    std::printf("memória com as linhas carregadas: %.1f MB\n", picoDeMemoriaKb() / 1024.0);

    Relatorio relatorio(QStringLiteral("recibos_por_periodo"));
    relatorio.ligarFonte(QStringLiteral("ibqEvento"), &fonte);

    QElapsedTimer relogio;
    relogio.start();
    relatorio.prepararTudo();
    const double sPreparo = relogio.nsecsElapsed() / 1e9;
    const int paginas = int(relatorio.preparado().paginas.size());
    std::printf("preparação: %d páginas em %.2f s = %.0f páginas/s\n", paginas, sPreparo,
                paginas / sPreparo);
    std::printf("memória após preparar: %.1f MB\n", picoDeMemoriaKb() / 1024.0);

    {
        relogio.restart();
        relatorio.preparado().limpar();
        auto preparador = std::make_unique<Preparador>(relatorio.layout(), relatorio.fontes(),
                                                       relatorio.preparado());
        preparador->continuar(1);
        TFRpreview preview;
        preview.resize(1280, 900);
        preview.mostrar(&relatorio.preparado(), std::move(preparador), nullptr);
        preview.show();
        while (preview.visao()->ultimasPintadas().isEmpty())
            QApplication::processEvents();
        std::printf("primeira página na visualização: %.1f ms\n", relogio.nsecsElapsed() / 1e6);
        relogio.restart();
        while (preview.preparando())
            QApplication::processEvents();
        std::printf("restante preparado com a janela aberta: %.2f s (%d páginas)\n",
                    relogio.nsecsElapsed() / 1e9, preview.paginasProntas());
        relogio.restart();
        preview.ultimaPagina();
        preview.visao()->viewport()->repaint();
        std::printf("ir à última página e pintá-la: %.1f ms\n", relogio.nsecsElapsed() / 1e6);
    }

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("lista.pdf"));
    relogio.restart();
    Exportadores::pdf(relatorio.preparado(), pdf, ConfigExportacaoPdf{});
    const double sPdf = relogio.nsecsElapsed() / 1e9;
    const qint64 tamanho = QFileInfo(pdf).size();
    std::printf("PDF: %.2f s = %.0f páginas/s; %.1f MB, %.1f KB por página\n", sPdf, paginas / sPdf,
                tamanho / 1048576.0, tamanho / 1024.0 / paginas);

    relogio.restart();
    Exportadores::xlsx(relatorio.preparado(), dir.filePath(QStringLiteral("lista.xlsx")),
                       ConfigExportacaoExcel{});
    std::printf("Excel: %.2f s; %.1f MB\n", relogio.nsecsElapsed() / 1e9,
                QFileInfo(dir.filePath(QStringLiteral("lista.xlsx"))).size() / 1048576.0);
    std::printf("pico de memória: %.1f MB\n", picoDeMemoriaKb() / 1024.0);
    return 0;
}
