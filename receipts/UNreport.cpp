#include "UNreport.h"

#include "Relatorio.h"
#include "ui_UNreport.h"

TFRreport *FRreport = nullptr;

TFRreport::TFRreport(QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRreport),
      m_report(std::make_unique<Relatorio>(QStringLiteral("recibo_rapido"))) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
}

TFRreport::~TFRreport() {}
