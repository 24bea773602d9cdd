#pragma once
#include "JanelaConsulta.h"

#include <functional>
#include <memory>

namespace Ui {
class TFRconsultacli2;
}

// The client search opened from the receipt window: choosing a client copies its name and
// tax number into the receipt shown, on the side the receipt's kind says.
class TFRconsultacli2 : public JanelaConsulta {
    Q_OBJECT
public:
    explicit TFRconsultacli2(QWidget *parent = nullptr);
    ~TFRconsultacli2() override;

    // The text the receipt window's kind box DBtipo shows, read at each choice.
    std::function<QString()> tipoDoRecibo;

protected:
    void FormShow() override;
    void FormClose() override;
    void DBGrid1DblClick() override;
    void DBGrid1KeyPress(QKeyEvent *tecla) override;

private:
    void EDlocalizarChange();
    void EDlocalizar2Change();
    void escolherCliente();

    std::unique_ptr<Ui::TFRconsultacli2> m_ui;
};

extern TFRconsultacli2 *FRconsultacli2;
