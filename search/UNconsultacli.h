#pragma once
#include "Janela.h"

namespace Ui {
class TFRconsultacli;
}

// The client search opened from the client registry.
class TFRconsultacli : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRconsultacli(QWidget *parent = nullptr);
    ~TFRconsultacli() override;

private:
    Ui::TFRconsultacli *m_ui;
};

extern TFRconsultacli *FRconsultacli;
