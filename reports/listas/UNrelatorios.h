#pragma once
#include "Janela.h"
#include <memory>

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

    std::unique_ptr<Ui::TFRrelatorios> m_ui;
};

extern TFRrelatorios *FRrelatorios;
