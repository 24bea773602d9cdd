#pragma once
#include "DialogoRelatorio.h"
#include <memory>

namespace Ui {
class TFRabrerecibos1;
}
class Conjunto;
class ModeloConjunto;

// The period dialog of the receipts of one client: "Recibos Emitidos por Cliente".
class TFRabrerecibos1 : public DialogoRelatorio {
    Q_OBJECT
public:
    explicit TFRabrerecibos1(QWidget *parent = nullptr);
    ~TFRabrerecibos1() override;

protected:
    void showEvent(QShowEvent *evento) override;
    void hideEvent(QHideEvent *evento) override;

private:
    void FormShow();
    void Button1Click();
    // The client picker offers the names of the client dataset's rows, in its order, read as
    // the list is scrolled or typed into; the name picked before stays picked.
    void listarClientes();

    std::unique_ptr<Ui::TFRabrerecibos1> m_ui;
    // The names of the clients of the shared dataset, read apart while the dialog is shown.
    std::unique_ptr<Conjunto> m_nomes;
    ModeloConjunto *m_clientes;
    // The name picked, kept while the dialog is hidden and the dataset serves other windows.
    QString m_escolhido;
};

extern TFRabrerecibos1 *FRabrerecibos1;
