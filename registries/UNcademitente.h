#pragma once
#include "Janela.h"

namespace Ui {
class TFRcademitente;
}

// The issuer registry.
class TFRcademitente : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRcademitente(QWidget *parent = nullptr);
    ~TFRcademitente() override;

private:
    Ui::TFRcademitente *m_ui;
};

extern TFRcademitente *FRcademitente;
