#include "UNconsultacli2.h"

#include "ui_UNconsultacli2.h"

TFRconsultacli2 *FRconsultacli2 = nullptr;

TFRconsultacli2::TFRconsultacli2(QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRconsultacli2) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRconsultacli2::~TFRconsultacli2() {
    delete m_ui;
}
