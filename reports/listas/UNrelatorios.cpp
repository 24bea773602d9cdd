#include "UNrelatorios.h"

#include "ui_UNrelatorios.h"

TFRrelatorios *FRrelatorios = nullptr;

TFRrelatorios::TFRrelatorios(QWidget *parent) : JanelaFixa(parent), m_ui(new Ui::TFRrelatorios) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::MinimizarEFechar);
}

TFRrelatorios::~TFRrelatorios() {
    delete m_ui;
}
