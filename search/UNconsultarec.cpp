#include "UNconsultarec.h"

#include "ui_UNconsultarec.h"

TFRconsultarec *FRconsultarec = nullptr;

TFRconsultarec::TFRconsultarec(QWidget *parent) : JanelaFixa(parent), m_ui(new Ui::TFRconsultarec) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRconsultarec::~TFRconsultarec() {
    delete m_ui;
}
