#include "UNrecibo.h"

#include "ui_UNrecibo.h"

TFRrecibo *FRrecibo = nullptr;

TFRrecibo::TFRrecibo(QWidget *parent) : JanelaFixa(parent), m_ui(new Ui::TFRrecibo)
{
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRrecibo::~TFRrecibo()
{
    delete m_ui;
}
