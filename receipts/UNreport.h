#pragma once
#include "Janela.h"

#include <memory>

namespace Ui {
class TFRreport;
}
class Relatorio;

// Holder of the quick receipt print layout; never shown.
class TFRreport : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRreport(QWidget *parent = nullptr);
    ~TFRreport() override;

    // The quick layout; its labels keep the last texts set until the next preview or print.
    Relatorio &report() { return *m_report; }

private:
    std::unique_ptr<Ui::TFRreport> m_ui;
    std::unique_ptr<Relatorio> m_report;
};

extern TFRreport *FRreport;
