#pragma once
#include <QString>

#include <functional>

class QPrinter;
class QWidget;
struct RelatorioPreparado;

// Printing prepared pages on a real printer, each page on paper of its own size.
namespace Impressao {

// Whether the system knows any printer at all.
bool haImpressora();
inline const QString semImpressora =
    QStringLiteral("Nenhuma impressora está instalada neste computador. Instale uma impressora "
                   "para poder imprimir.");
// With no printer installed, says so in a message box and answers false.
bool conferirImpressora();

// Points a printer object at the system's default printer.
void usarImpressoraPadrao(QPrinter &impressora);

// Prints pages de..ate (1-based, inclusive): drawn whole first, then sent to the printer (or
// written to the file the print dialog named) as one job. The callback is told each page drawn
// and, while the job is being sent, the last page again; answering false stops it, and
// Exportadores::Cancelada is thrown with nothing sent. Throws ErroSistema when the printer
// or the temporary folder fails.
void imprimir(const RelatorioPreparado &relatorio, QPrinter &impressora, int de, int ate,
              const std::function<bool(int feitas, int total)> &progresso = {});

// The same with the report service's progress window over `pai`, whose Cancel stops it with
// nothing printed.
void imprimirComProgresso(const RelatorioPreparado &relatorio, QPrinter &impressora, int de,
                          int ate, QWidget *pai);

} // namespace Impressao
