#pragma once
#include "Exportadores.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TFRconfigexportacao;
}
struct ExportacoesRelatorio;

// The settings window of one export format, shown before the file is chosen;
// OK writes the values shown back into the settings it was given.
class TFRconfigexportacao : public QDialog {
    Q_OBJECT

public:
    TFRconfigexportacao(FormatoExportacao formato, ExportacoesRelatorio &configuracoes,
                        QWidget *pai = nullptr);
    ~TFRconfigexportacao() override;

    // Copies what the window shows into the settings (OK does it too).
    void gravar();

private:
    void carregar();
    void BTokClick();

    std::unique_ptr<Ui::TFRconfigexportacao> m_ui;
    FormatoExportacao m_formato;
    ExportacoesRelatorio &m_config;
};
