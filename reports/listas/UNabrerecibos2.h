#pragma once
#include "Janela.h"

namespace Ui {
class TFRabrerecibos2;
}

// The period dialog of all receipts.
class TFRabrerecibos2 : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRabrerecibos2(QWidget *parent = nullptr);
    ~TFRabrerecibos2() override;

private:
    Ui::TFRabrerecibos2 *m_ui;
};

extern TFRabrerecibos2 *FRabrerecibos2;
