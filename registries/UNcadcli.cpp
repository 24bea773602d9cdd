#include "UNcadcli.h"

#include "ui_UNcadcli.h"

TFRcadcli *FRcadcli = nullptr;

TFRcadcli::TFRcadcli(QWidget *parent) : JanelaFixa(parent), m_ui(new Ui::TFRcadcli)
{
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRcadcli::~TFRcadcli()
{
    delete m_ui;
}
