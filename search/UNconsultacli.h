#pragma once
#include "JanelaConsulta.h"
#include <memory>

namespace Ui {
class TFRconsultacli;
}

// The client search opened from the client registry: choosing a client closes the window,
// and the registry shows that client.
class TFRconsultacli : public JanelaConsulta {
    Q_OBJECT
public:
    explicit TFRconsultacli(QWidget *parent = nullptr);
    ~TFRconsultacli() override;

protected:
    void FormShow() override;
    void FormClose() override;
    void DBGrid1DblClick() override;
    void DBGrid1KeyPress(QKeyEvent *tecla) override;

private:
    void EDlocalizarChange();

    std::unique_ptr<Ui::TFRconsultacli> m_ui;
};

extern TFRconsultacli *FRconsultacli;

// What closing a client search does: reloads the full list of Clientes in name order and
// makes the client that was current before current again (the first client when it is gone).
void restaurarClientes();
