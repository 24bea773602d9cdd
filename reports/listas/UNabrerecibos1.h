#pragma once
#include "DialogoRelatorio.h"
#include <memory>

namespace Ui {
class TFRabrerecibos1;
}
class QStringListModel;

// The period dialog of the receipts of one client: "Recibos Emitidos por Cliente".
class TFRabrerecibos1 : public DialogoRelatorio {
    Q_OBJECT
public:
    explicit TFRabrerecibos1(QWidget *parent = nullptr);
    ~TFRabrerecibos1() override;

protected:
    void showEvent(QShowEvent *evento) override;

private:
    void FormShow();
    void Button1Click();
    // The client picker offers the names of the client dataset's rows, in its order; the
    // name picked before stays picked.
    void listarClientes();

    std::unique_ptr<Ui::TFRabrerecibos1> m_ui;
    QStringListModel *m_clientes;
};

extern TFRabrerecibos1 *FRabrerecibos1;
