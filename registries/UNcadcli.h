#pragma once
#include "JanelaRegistro.h"

#include <QList>
#include <memory>

namespace Ui {
class TFRcadcli;
}
class EsquemaEdicao;
class TColFocus;
class CampoCpfCnpj;

// The client registry: one client at a time, the current record of the shared dataset
// Clientes, kept with the button column of the record windows.
class TFRcadcli : public JanelaRegistro {
    Q_OBJECT
public:
    explicit TFRcadcli(QWidget *parent = nullptr);
    ~TFRcadcli() override;

    void restaura();

protected:
    void closeEvent(QCloseEvent *evento) override;

private:
    void FormShow() override;
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

    std::unique_ptr<Ui::TFRcadcli> m_ui;
    TColFocus *ColFocus1;
    EsquemaEdicao *m_esquema;
    // Punctuated when left.
    CampoCpfCnpj *m_cpfCnpj;
    // The data fields of the layout switch, disabled again on every close.
    QList<QWidget *> m_campos;
};

extern TFRcadcli *FRcadcli;
