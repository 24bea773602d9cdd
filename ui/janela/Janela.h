#pragma once

class QWidget;
class QShowEvent;

// Every window is built one way: the form gives the fixed size and the
// widgets' fixed geometry; this sets the title-bar buttons and a fixed border
// and fixes the size, and gives captions in a bold or italic MS Sans Serif a face
// that can draw them so. The one way a window is made fixed: call it in the
// constructor once the form is set up.
enum class BotoesTitulo {
    SoFechar,         // only the close box
    MinimizarEFechar, // system menu, minimise and close; no maximise
};
void fixarJanela(QWidget *janela, BotoesTitulo botoes);

// Places a window at the centre of the desktop; windows call it when shown.
void centralizarNaTela(QWidget *janela);

#include <functional>

// Start-up builds the windows the first one does not need once that one has painted. A
// handler that shows one of them calls garantirJanelas first: a click that comes sooner
// (a slow machine, a quick hand) finds them built, at once, instead of nothing.
void adiarJanelas(std::function<void()> criar);
void garantirJanelas();

#include <QDialog>

// The base of the modal windows: fixed size from its form, centred when shown.
class JanelaFixa : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    void showEvent(QShowEvent *evento) override;
};
