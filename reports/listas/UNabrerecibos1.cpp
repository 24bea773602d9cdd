#include "UNabrerecibos1.h"

#include "ui_UNabrerecibos1.h"

TFRabrerecibos1 *FRabrerecibos1 = nullptr;

TFRabrerecibos1::TFRabrerecibos1(QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRabrerecibos1) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRabrerecibos1::~TFRabrerecibos1() {
    delete m_ui;
}
