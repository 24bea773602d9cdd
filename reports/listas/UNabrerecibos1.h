#pragma once
#include "Janela.h"

namespace Ui {
class TFRabrerecibos1;
}

// The period dialog of the receipts of one client.
class TFRabrerecibos1 : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRabrerecibos1(QWidget *parent = nullptr);
    ~TFRabrerecibos1() override;

private:
    Ui::TFRabrerecibos1 *m_ui;
};

extern TFRabrerecibos1 *FRabrerecibos1;
