#pragma once
#include "Janela.h"

namespace Ui {
class TFRconsultacli2;
}

// The client search that fills a party of the receipt.
class TFRconsultacli2 : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRconsultacli2(QWidget *parent = nullptr);
    ~TFRconsultacli2() override;

private:
    Ui::TFRconsultacli2 *m_ui;
};

extern TFRconsultacli2 *FRconsultacli2;
