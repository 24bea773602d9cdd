#include "UNconsultarec.h"

#include "Consultas.h"
#include "Datamodule1.h"
#include "Protegido.h"
#include "UNconsultacli.h"
#include "ui_UNconsultarec.h"

TFRconsultarec *FRconsultarec = nullptr;

TFRconsultarec::TFRconsultarec(QWidget *parent)
    : JanelaConsulta(parent), m_ui(new Ui::TFRconsultarec) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    m_ui->DBGrid1->definirLarguras({55, 125, 352, 100});
    prepararConsulta(m_ui->DBGrid1, m_ui->Speedbutton6, {m_ui->EDlocalizar, m_ui->EDlocalizar2});
    ligar(m_ui->EDlocalizar, &QLineEdit::textChanged, this, &TFRconsultarec::EDlocalizarChange);
    ligar(m_ui->EDlocalizar2, &QLineEdit::textChanged, this, &TFRconsultarec::EDlocalizar2Change);
    vincularControles(this, Datamodule1);
}

TFRconsultarec::~TFRconsultarec() {}

void TFRconsultarec::FormShow() {
    Consultas::mostrarTodosOsRecibos();
    esvaziar(m_ui->EDlocalizar);
    esvaziar(m_ui->EDlocalizar2);
    m_ui->EDlocalizar->setFocus(Qt::OtherFocusReason);
}

void TFRconsultarec::EDlocalizarChange() {
    buscar(Consultas::Busca::RecibosPorNome, m_ui->EDlocalizar->text());
}

void TFRconsultarec::EDlocalizar2Change() {
    buscar(Consultas::Busca::RecibosPorNumero, m_ui->EDlocalizar2->text());
}

void TFRconsultarec::DBGrid1DblClick() {
    close();
}

void TFRconsultarec::DBGrid1KeyPress(QKeyEvent *) {}

// Recibos keeps the last search's selection and its current receipt.
void TFRconsultarec::FormClose() {
    restaurarClientes();
}
