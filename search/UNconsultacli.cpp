#include "UNconsultacli.h"

#include "ui_UNconsultacli.h"

TFRconsultacli *FRconsultacli = nullptr;

TFRconsultacli::TFRconsultacli(QWidget *parent) : JanelaFixa(parent), m_ui(new Ui::TFRconsultacli) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRconsultacli::~TFRconsultacli() {
    delete m_ui;
}
