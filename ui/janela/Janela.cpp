#include "Janela.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void fixarJanela(QWidget *janela, BotoesTitulo botoes) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    if (botoes == BotoesTitulo::MinimizarEFechar)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint;
    if (janela->windowType() == Qt::Dialog)
        flags = (flags & ~Qt::Window) | Qt::Dialog;
    janela->setWindowFlags(flags);
    janela->setFixedSize(janela->size());
}

void centralizarNaTela(QWidget *janela) {
    const QScreen *tela = janela->screen() ? janela->screen() : QGuiApplication::primaryScreen();
    if (!tela)
        return;
    QRect area = janela->frameGeometry();
    area.moveCenter(tela->availableGeometry().center());
    janela->move(area.topLeft());
}

void JanelaFixa::showEvent(QShowEvent *evento) {
    centralizarNaTela(this);
    QDialog::showEvent(evento);
}
