#include "Janela.h"

#include <utility>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// The MS Sans Serif the windows are drawn in is a bitmap face with one regular size: it can be
// neither bold nor italic, and its captions in bold or italic came out plain. Those captions
// take the metric-compatible Arial instead, at the size asked.
void negritoEItalicoDesenhaveis(QWidget *janela) {
    QList<QWidget *> controles = janela->findChildren<QWidget *>();
    controles.prepend(janela);
    for (QWidget *w : std::as_const(controles)) {
        if (!w->testAttribute(Qt::WA_SetFont))
            continue;
        QFont fonte = w->font();
        if (fonte.family() != QLatin1String("MS Sans Serif") || (!fonte.bold() && !fonte.italic()))
            continue;
        const int pixels =
            fonte.pixelSize() > 0 ? fonte.pixelSize() : qRound(fonte.pointSizeF() * 96 / 72);
        fonte.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        fonte.setPixelSize(pixels);
        w->setFont(fonte);
    }
}

} // namespace

void fixarJanela(QWidget *janela, BotoesTitulo botoes) {
    negritoEItalicoDesenhaveis(janela);
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

namespace {

std::function<void()> &janelasAdiadas() {
    static std::function<void()> criar;
    return criar;
}

} // namespace

void adiarJanelas(std::function<void()> criar) {
    janelasAdiadas() = std::move(criar);
}

void garantirJanelas() {
    // Taken before it runs: it runs once, and a window it builds may ask again.
    if (const std::function<void()> criar = std::exchange(janelasAdiadas(), nullptr))
        criar();
}
