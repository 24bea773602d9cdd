#include "UNabrerecibos2.h"

#include "ConsultaRelatorio.h"
#include "Datamodule1.h"
#include "Protegido.h"
#include "RecibosPorData.h"
#include "ui_UNabrerecibos2.h"

TFRabrerecibos2 *FRabrerecibos2 = nullptr;

TFRabrerecibos2::TFRabrerecibos2(QWidget *parent)
    : DialogoRelatorio(QStringLiteral("recibos_por_periodo"), RecibosPorData::sql(), parent),
      m_ui(new Ui::TFRabrerecibos2) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    prepararTeclas(m_ui->Button1, m_ui->Medtini, m_ui->Medtfim);
    ligar(m_ui->Button1, &QPushButton::clicked, this, &TFRabrerecibos2::Button1Click);
}

TFRabrerecibos2::~TFRabrerecibos2() {}

void TFRabrerecibos2::showEvent(QShowEvent *evento) {
    protegido([this] { FormShow(); });
    DialogoRelatorio::showEvent(evento);
}

void TFRabrerecibos2::FormShow() {
    abrirClientesPorNome();
    m_ui->Medtini->setDate(QDate::currentDate());
    m_ui->Medtfim->setDate(QDate::currentDate());
    m_ui->Button1->setEnabled(true);
}

void TFRabrerecibos2::escolherSql() {
    trocarSql(RecibosPorData::sqlDoPeriodo(m_ui->Medtini->date(), m_ui->Medtfim->date()));
}

void TFRabrerecibos2::Button1Click() {
    visualizar([this](ConsultaRelatorio &q) {
        q.definirParametro(QStringLiteral("pini"), inicio());
        q.definirParametro(QStringLiteral("pfim"), fim());
    });
}
