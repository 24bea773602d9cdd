#include "UNconfiguracoes.h"

#include "ui_UNconfiguracoes.h"

TFRconfiguracoes *FRconfiguracoes = nullptr;

TFRconfiguracoes::TFRconfiguracoes(QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRconfiguracoes) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRconfiguracoes::~TFRconfiguracoes() {
    delete m_ui;
}
