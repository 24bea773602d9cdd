#include "ColunaFita.h"

#include "MotorCalculadora.h"

#include <QPainter>

ColunaFita::ColunaFita(QWidget *parent) : QWidget(parent) {
    // It takes the focus only to hand it straight back to the calculator.
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void ColunaFita::setLinhas(const QStringList &linhas) {
    if (linhas == m_linhas)
        return;
    m_linhas = linhas;
    update();
}

void ColunaFita::paintEvent(QPaintEvent *) {
    QPainter pintor(this);
    pintor.fillRect(rect(), palette().color(QPalette::Base));
    pintor.setPen(palette().color(QPalette::Text));
    const int altura = height() / MotorCalculadora::LinhasDaFita;
    for (qsizetype i = 0; i < m_linhas.size() && i < MotorCalculadora::LinhasDaFita; ++i) {
        // A text wider than the column shows its right-hand end.
        const QRect linha(0, int(i) * altura, width() - 2, altura);
        pintor.drawText(linha, Qt::AlignRight | Qt::AlignVCenter, m_linhas[i]);
    }
}
