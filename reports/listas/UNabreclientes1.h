#pragma once
#include "Janela.h"

namespace Ui {
class TFRabreclientes1;
}

// The client list report.
class TFRabreclientes1 : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRabreclientes1(QWidget *parent = nullptr);
    ~TFRabreclientes1() override;

private:
    Ui::TFRabreclientes1 *m_ui;
};

extern TFRabreclientes1 *FRabreclientes1;
