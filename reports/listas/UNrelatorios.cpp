#include "UNrelatorios.h"

#include "Figuras.h"
#include "Protegido.h"
#include "UNabreclientes1.h"
#include "UNabrerecibos1.h"
#include "UNabrerecibos2.h"
#include "ui_UNrelatorios.h"

TFRrelatorios *FRrelatorios = nullptr;

TFRrelatorios::TFRrelatorios(QWidget *parent) : JanelaFixa(parent), m_ui(new Ui::TFRrelatorios) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::MinimizarEFechar);

    m_ui->SpeedButton3->setIcon(figura(QStringLiteral("relatorios")));
    m_ui->SpeedButton1->setIcon(figura(QStringLiteral("recibo")));
    m_ui->SpeedButton2->setIcon(figura(QStringLiteral("cadastro")));
    m_ui->BTsair->setIcon(figura(QStringLiteral("sair")));

    ligar(m_ui->SpeedButton3, &QToolButton::clicked, this, &TFRrelatorios::SpeedButton3Click);
    ligar(m_ui->SpeedButton1, &QToolButton::clicked, this, &TFRrelatorios::SpeedButton1Click);
    ligar(m_ui->SpeedButton2, &QToolButton::clicked, this, &TFRrelatorios::SpeedButton2Click);
    ligar(m_ui->BTsair, &QToolButton::clicked, this, &TFRrelatorios::BTsairClick);
}

TFRrelatorios::~TFRrelatorios() {}

void TFRrelatorios::SpeedButton3Click() {
    if (FRabrerecibos2)
        FRabrerecibos2->exec();
}

void TFRrelatorios::SpeedButton1Click() {
    if (FRabrerecibos1)
        FRabrerecibos1->exec();
}

void TFRrelatorios::SpeedButton2Click() {
    if (FRabreclientes1)
        FRabreclientes1->exec();
}

void TFRrelatorios::BTsairClick() {
    close();
}
