#pragma once
#include "Janela.h"

namespace Ui {
class TFRrecibo;
}

// The receipt window: issues, changes, deletes and prints stored receipts.
class TFRrecibo : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRrecibo(QWidget *parent = nullptr);
    ~TFRrecibo() override;

private:
    Ui::TFRrecibo *m_ui;
};

extern TFRrecibo *FRrecibo;
