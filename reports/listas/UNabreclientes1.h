#pragma once
#include "DialogoRelatorio.h"
#include <memory>

namespace Ui {
class TFRabreclientes1;
}

// The client list report: "Relatório de Cadastro".
class TFRabreclientes1 : public DialogoRelatorio {
    Q_OBJECT
public:
    explicit TFRabreclientes1(QWidget *parent = nullptr);
    ~TFRabreclientes1() override;

protected:
    void showEvent(QShowEvent *evento) override;

private:
    void FormShow();
    void Button1Click();

    std::unique_ptr<Ui::TFRabreclientes1> m_ui;
};

extern TFRabreclientes1 *FRabreclientes1;
