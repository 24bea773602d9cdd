#pragma once
#include "Janela.h"

namespace Ui {
class TFRrelatorios;
}

// The reports menu.
class TFRrelatorios : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRrelatorios(QWidget *parent = nullptr);
    ~TFRrelatorios() override;

private:
    Ui::TFRrelatorios *m_ui;
};

extern TFRrelatorios *FRrelatorios;
