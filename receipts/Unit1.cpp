#include "Unit1.h"

#include "ui_Unit1.h"

TFRrecibogratis *FRrecibogratis = nullptr;

TFRrecibogratis::TFRrecibogratis(QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRrecibogratis) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRrecibogratis::~TFRrecibogratis() {
    delete m_ui;
}
