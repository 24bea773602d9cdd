#include "UNcademitente.h"

#include "ui_UNcademitente.h"

TFRcademitente *FRcademitente = nullptr;

TFRcademitente::TFRcademitente(QWidget *parent) : JanelaFixa(parent), m_ui(new Ui::TFRcademitente)
{
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRcademitente::~TFRcademitente()
{
    delete m_ui;
}
