#pragma once
#include "JanelaRegistro.h"

#include <QList>

#include <memory>

namespace Ui {
class TFRrecibo;
}
class EsquemaEdicao;
class TColFocus;
class CampoCpfCnpj;
class QLabel;
class Relatorio;
struct TextosRecibo;

// The receipt window: issues, changes, deletes and prints receipts, the current record of the
// shared dataset Recibos. The receipt's kind decides which party is the issuer.
class TFRrecibo : public JanelaRegistro {
    Q_OBJECT
public:
    explicit TFRrecibo(QWidget *parent = nullptr);
    ~TFRrecibo() override;

    void restaura();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    void FormShow() override;
    void BTnovoClick();
    void BTsalvarClick();
    void BTalterarClick();
    void BTcancelarClick();
    void BTexcluirClick();
    void BTsairClick();
    void BTconsultarClick();
    void BTlocalizacaoClick();
    void DBvalorExit();
    void DBdataExit();
    void DBtipoChange();
    void DBtipoKeyDown();
    void DBtipoExit();
    void DBcpfcnpjemitenteExit();
    void DBcpfcnpjclienteExit();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Label6Click();
    void Label9Click();
    void Label19Click();

    // Leaving the browsing layout's party fields disabled, whichever kind was last arranged.
    void desabilitarPartes();

    std::unique_ptr<Ui::TFRrecibo> m_ui;
    TColFocus *ColFocus1;
    EsquemaEdicao *m_esquema;
    // The two tax numbers: punctuated when left, with the offer to register the party.
    CampoCpfCnpj *m_cpfCnpjEmitente;
    CampoCpfCnpj *m_cpfCnpjCliente;
    QList<QWidget *> m_campos;

    // Printing: the receipt as the window shows it, one copy or two per page.
    void sairDoCampoEditado(QWidget *botao);
    TextosRecibo textosDaJanela() const;
    std::unique_ptr<Relatorio> frxReport;
    std::unique_ptr<Relatorio> frxReport1;
};

extern TFRrecibo *FRrecibo;
