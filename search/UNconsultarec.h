#pragma once
#include "Janela.h"

namespace Ui {
class TFRconsultarec;
}

// The receipt search.
class TFRconsultarec : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRconsultarec(QWidget *parent = nullptr);
    ~TFRconsultarec() override;

private:
    Ui::TFRconsultarec *m_ui;
};

extern TFRconsultarec *FRconsultarec;
