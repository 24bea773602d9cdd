#pragma once
#include "MotorCalculadora.h"

#include <QtWidgets/QDialog>
#include <memory>

namespace Ui {
class TFormCalculadora;
}
class QMenu;
class QPushButton;

// The desk calculator with its paper tape. Created once and reused: the
// receipt window shows it modally; closing only hides it.
class TFormCalculadora : public QDialog {
    Q_OBJECT
public:
    explicit TFormCalculadora(QWidget *parent = nullptr);
    ~TFormCalculadora() override;

    // Every way of closing (Sair, Esc, the title bar) passes through here.
    void done(int resultado) override;

protected:
    void showEvent(QShowEvent *evento) override;
    void keyPressEvent(QKeyEvent *evento) override;
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void Btn7Click(QPushButton *tecla);
    void BtnVirgulaClick();
    void BtnDivClick(QPushButton *tecla);
    void BtnIgualClick();
    void BtnRaizClick();
    void BtnReciprocaClick();
    void BtnPorcentagemClick();
    void BtnSinalClick();
    void BtnBackspaceClick();
    void BtnCEClick();
    void BtnCClick();
    void BitBtn1Click();
    void SpeedButton1Click();
    void LimparFita1Click();
    void FitaEnter();
    void EdVisorKeyDown(int codigo);
    bool EdVisorKeyPress(QChar caractere) const;

    // Runs one step of a handler, keeps any failure from unwinding into Qt
    // and shows the engine's state.
    template <typename Passo> void executar(Passo &&passo);
    void mostrar();

    std::unique_ptr<Ui::TFormCalculadora> m_ui;
    MotorCalculadora m_motor;
    QMenu *m_menuFita = nullptr;
};

// The one calculator, created at start-up.
extern TFormCalculadora *FormCalculadora;
