#include "UNabrerecibos2.h"

#include "ui_UNabrerecibos2.h"

TFRabrerecibos2 *FRabrerecibos2 = nullptr;

TFRabrerecibos2::TFRabrerecibos2(QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRabrerecibos2) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRabrerecibos2::~TFRabrerecibos2() {
    delete m_ui;
}
