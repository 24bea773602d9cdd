#include "ServicoRelatorio.h"

#include "Avisador.h"
#include "Impressao.h"
#include "Preparador.h"
#include "UNpreview.h"
#include "VisaoPaginas.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QTranslator>

namespace {

// The standard windows the preview opens (files, printing) speak Portuguese
// whatever the machine's language.
void garantirTraducao() {
    static bool instalada = false;
    if (instalada)
        return;
    instalada = true;
    auto *tradutor = new QTranslator(QCoreApplication::instance());
    if (tradutor->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(tradutor);
}

void mostrarPreview(Relatorio &relatorio, ExportacoesRelatorio &exportacoes, QWidget *pai) {
    garantirTraducao();
    relatorio.preparado().limpar();
    auto preparador =
        std::make_unique<Preparador>(relatorio.layout(), relatorio.fontes(), relatorio.preparado());
    // The first page is there when the window appears; the rest follow.
    preparador->continuar(1);
    TFRpreview preview(pai);
    preview.mostrar(&relatorio.preparado(), std::move(preparador), &exportacoes);
    preview.visao()->definirZoom(relatorio.layout().zoomInicial);
    preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    preview.exec();
}

} // namespace

void ShowReport(Relatorio &relatorio, ExportacoesRelatorio &exportacoes, QWidget *pai) {
    mostrarPreview(relatorio, exportacoes, pai);
}

void Preview(Relatorio &relatorio, ExportacoesRelatorio &exportacoes, QWidget *pai) {
    mostrarPreview(relatorio, exportacoes, pai);
}

void Print(Relatorio &relatorio, QWidget *pai) {
    garantirTraducao();
    relatorio.prepararTudo();
    if (!Impressao::haImpressora()) {
        Avisador::atual().mensagem(Impressao::semImpressora);
        return;
    }
    QPrinter impressora(QPrinter::HighResolution);
    impressora.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
    impressora.setCopyCount(relatorio.layout().copias);
    const int total = int(relatorio.preparado().paginas.size());
    QProgressDialog progresso(QStringLiteral("Imprimindo..."), QStringLiteral("Cancelar"), 0, total,
                              pai);
    progresso.setWindowTitle(QStringLiteral("Impressão"));
    progresso.setWindowModality(Qt::WindowModal);
    progresso.setMinimumDuration(0);
    Impressao::imprimir(relatorio.preparado(), impressora, 1, total, [&](int feitas, int) {
        progresso.setValue(feitas);
        return !progresso.wasCanceled();
    });
}
