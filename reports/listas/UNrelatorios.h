#pragma once
#include "Janela.h"

namespace Ui {
class TFRrelatorios;
}

// The reports menu: one large button per list report.
class TFRrelatorios : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRrelatorios(QWidget *parent = nullptr);
    ~TFRrelatorios() override;

private:
    void SpeedButton3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void BTsairClick();

    Ui::TFRrelatorios *m_ui;
};

extern TFRrelatorios *FRrelatorios;
