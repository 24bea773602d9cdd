#pragma once
#include "JanelaConsulta.h"
#include <memory>

namespace Ui {
class TFRconsultarec;
}

// The receipt search opened by "Consultar" of the receipt window: the receipt under the
// grid's cursor when it closes is the current receipt of Recibos, which keeps the selection
// of the last search.
class TFRconsultarec : public JanelaConsulta {
    Q_OBJECT
public:
    explicit TFRconsultarec(QWidget *parent = nullptr);
    ~TFRconsultarec() override;

protected:
    void FormShow() override;
    void FormClose() override;
    void DBGrid1DblClick() override;
    void DBGrid1KeyPress(QKeyEvent *tecla) override;

private:
    void EDlocalizarChange();
    void EDlocalizar2Change();

    std::unique_ptr<Ui::TFRconsultarec> m_ui;
};

extern TFRconsultarec *FRconsultarec;
