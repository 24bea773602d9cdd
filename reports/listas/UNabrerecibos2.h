#pragma once
#include "DialogoRelatorio.h"
#include <memory>

namespace Ui {
class TFRabrerecibos2;
}

// The period dialog of all receipts: "Recibos Emitidos por Data".
class TFRabrerecibos2 : public DialogoRelatorio {
    Q_OBJECT
public:
    explicit TFRabrerecibos2(QWidget *parent = nullptr);
    ~TFRabrerecibos2() override;

protected:
    void showEvent(QShowEvent *evento) override;
    // A period holding an eighth or more of the receipts stored first is read in the stored
    // order.
    void escolherSql() override;

private:
    void FormShow();
    void Button1Click();

    std::unique_ptr<Ui::TFRabrerecibos2> m_ui;
};

extern TFRabrerecibos2 *FRabrerecibos2;
