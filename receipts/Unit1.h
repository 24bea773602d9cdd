#pragma once
#include "Janela.h"

namespace Ui {
class TFRrecibogratis;
}

// The quick receipt window of simple mode: types, previews and prints a receipt without storing it.
class TFRrecibogratis : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRrecibogratis(QWidget *parent = nullptr);
    ~TFRrecibogratis() override;

private:
    Ui::TFRrecibogratis *m_ui;
};

extern TFRrecibogratis *FRrecibogratis;
