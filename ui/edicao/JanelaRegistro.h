#pragma once
#include "Janela.h"

// The base of the windows that edit a record of a shared dataset (the receipt, the client and
// the issuer registries): their controls are bound to the data module's fields as soon as it
// exists, at the latest when the window is shown, and every showing runs the window's
// FormShow, a failure of which is shown by the last-resort handler.
class JanelaRegistro : public JanelaFixa {
    Q_OBJECT
public:
    using JanelaFixa::JanelaFixa;

protected:
    // Binds the controls when the data module exists: the window calls it once its form is
    // set up. Created before the data module at start-up, it is bound again when shown.
    void vincular();
    virtual void FormShow() = 0;

    void showEvent(QShowEvent *evento) override;
};
