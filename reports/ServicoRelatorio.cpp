#include "ServicoRelatorio.h"

#include "Impressao.h"
#include "Preparador.h"
#include "TraducaoQt.h"
#include "UNpreview.h"
#include "VisaoPaginas.h"

#include <QPrinter>

namespace {

void mostrarPreview(Relatorio &relatorio, ExportacoesRelatorio &exportacoes, QWidget *pai) {
    // The standard windows the preview opens (files, printing) speak Portuguese.
    instalarTraducaoQt();
    relatorio.preparado().limpar();
    auto preparador = std::make_unique<Preparador>(relatorio.layout(), relatorio.origens(),
                                                   relatorio.preparado());
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
    instalarTraducaoQt();
    relatorio.prepararTudo();
    if (!Impressao::conferirImpressora())
        return;
    QPrinter impressora(QPrinter::HighResolution);
    Impressao::usarImpressoraPadrao(impressora);
    impressora.setCopyCount(relatorio.layout().copias);
    Impressao::imprimirComProgresso(relatorio.preparado(), impressora, 1,
                                    int(relatorio.preparado().paginas.size()), pai);
}
