#pragma once
#include "ConfigExportacao.h"
#include "Relatorio.h"

class QWidget;

// The operations of the report service that show or print a layout. Errors met
// before the preview opens are thrown as ErroSistema; errors inside the
// preview's own commands are shown by the preview in its message boxes.

// Discards the earlier run of the layout, prepares its first page from the
// current rows of its datasets and opens the preview (modal, maximised, 100 %),
// which goes on preparing the rest. Returns when the preview is closed. It
// neither opens nor closes the datasets.
void ShowReport(Relatorio &relatorio, ExportacoesRelatorio &exportacoes, QWidget *pai = nullptr);

// The quick layout: prepares it and shows it in the preview.
void Preview(Relatorio &relatorio, ExportacoesRelatorio &exportacoes, QWidget *pai = nullptr);

// The quick layout: prepares it and prints it at once on the default printer,
// without a print dialog, with a progress window. With no printer installed
// it says so in a message box.
void Print(Relatorio &relatorio, QWidget *pai = nullptr);
