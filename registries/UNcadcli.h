#pragma once
#include "Janela.h"

#include <QList>

namespace Ui {
class TFRcadcli;
}
class EsquemaEdicao;
class TColFocus;
class CampoCpfCnpj;

// The client registry: one client at a time, the current record of the shared dataset
// Clientes, kept with the button column of the record windows.
class TFRcadcli : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRcadcli(QWidget *parent = nullptr);
    ~TFRcadcli() override;

    void restaura();

protected:
    void showEvent(QShowEvent *evento) override;
    void closeEvent(QCloseEvent *evento) override;

private:
    void FormShow();
    void FormClose();
    void BTnovoClick();
    void BTalterarClick();
    void BTsalvarClick();
    void BTcancelarClick();
    void BTexcluirClick();
    void BTsairClick();
    void BTconsultarClick();
    void DBEdit14Exit();
    bool nomePreenchido();

    Ui::TFRcadcli *m_ui;
    TColFocus *ColFocus1;
    EsquemaEdicao *m_esquema;
    // Punctuated when left.
    CampoCpfCnpj *m_cpfCnpj;
    // The data fields of the layout switch, disabled again on every close.
    QList<QWidget *> m_campos;
};

extern TFRcadcli *FRcadcli;
