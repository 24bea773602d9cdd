#pragma once
#include "Janela.h"

#include <QString>
#include <memory>

namespace Ui {
class TFRconfiguracoes;
}

// The settings panel: full or simple mode for the next start. Whichever way it is closed it
// saves the settings row, and says when the mode changed that the program must be opened again.
class TFRconfiguracoes : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRconfiguracoes(QWidget *parent = nullptr);
    ~TFRconfiguracoes() override;

    // Every way of closing ("OK", the close box, Esc) passes through here; a save that fails
    // keeps the panel open.
    void done(int resultado) override;

protected:
    void showEvent(QShowEvent *evento) override;
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    void FormShow();
    void BTsairClick();
    void FormClose();
    void Label14Click();

    void gravarConfiguracao();

    std::unique_ptr<Ui::TFRconfiguracoes> m_ui;
    QString m_valorAoMostrar; // CONFIGURACAO1 when the panel was shown
};

extern TFRconfiguracoes *FRconfiguracoes;
