#pragma once
#include "Janela.h"

#include <QList>
#include <memory>

namespace Ui {
class TFRrecibogratis;
}
class QLineEdit;
class TColFocus;

// The quick receipt window of simple mode: types, previews and prints a receipt without storing
// it. Nothing in it is bound to the database; closing it ends the program.
class TFRrecibogratis : public JanelaFixa {
    Q_OBJECT
public:
    explicit TFRrecibogratis(QWidget *parent = nullptr);
    ~TFRrecibogratis() override;

    // The calculator programs of the common desktops, in the order they are looked for.
    static const QStringList &calculadorasDoSistema();

protected:
    void showEvent(QShowEvent *evento) override;
    void keyPressEvent(QKeyEvent *evento) override;
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    void FormShow();
    void FormKeyPress(int tecla);
    void LabeledEdit2Exit();
    void SpeedButton3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton9Click();
    void SpeedButton4Click();
    void SpeedButton5Click();

    void prepararRelatorio();

    std::unique_ptr<Ui::TFRrecibogratis> m_ui;
    TColFocus *ColFocus1;
    // Every field in tab order; Enter and Esc step through the ones that are tab stops.
    QList<QLineEdit *> m_campos;
};

extern TFRrecibogratis *FRrecibogratis;
