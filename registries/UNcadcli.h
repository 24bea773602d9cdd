#pragma once
#include "Janela.h"

namespace Ui {
class TFRcadcli;
}

// The client registry.
class TFRcadcli : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRcadcli(QWidget *parent = nullptr);
    ~TFRcadcli() override;

private:
    Ui::TFRcadcli *m_ui;
};

extern TFRcadcli *FRcadcli;
