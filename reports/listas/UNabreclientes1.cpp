#include "UNabreclientes1.h"

#include "ui_UNabreclientes1.h"

TFRabreclientes1 *FRabreclientes1 = nullptr;

TFRabreclientes1::TFRabreclientes1(QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRabreclientes1) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRabreclientes1::~TFRabreclientes1() {
    delete m_ui;
}
