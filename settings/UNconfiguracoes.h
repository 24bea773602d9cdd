#pragma once
#include "Janela.h"

namespace Ui {
class TFRconfiguracoes;
}

// The settings panel: full or simple mode for the next start.
class TFRconfiguracoes : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRconfiguracoes(QWidget *parent = nullptr);
    ~TFRconfiguracoes() override;

private:
    Ui::TFRconfiguracoes *m_ui;
};

extern TFRconfiguracoes *FRconfiguracoes;
