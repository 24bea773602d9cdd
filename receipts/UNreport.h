#pragma once
#include "Janela.h"

namespace Ui {
class TFRreport;
}

// Holder of the quick receipt print layout; never shown.
class TFRreport : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRreport(QWidget *parent = nullptr);
    ~TFRreport() override;

private:
    Ui::TFRreport *m_ui;
};

extern TFRreport *FRreport;
