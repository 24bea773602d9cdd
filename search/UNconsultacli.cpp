#include "UNconsultacli.h"

#include "Consultas.h"
#include "Datamodule1.h"
#include "Protegido.h"
#include "ui_UNconsultacli.h"

TFRconsultacli *FRconsultacli = nullptr;

void restaurarClientes() {
    TDatamodule1 &dm = TDatamodule1::instancia();
    Conjunto &clientes = *dm.Clientes;
    const int id =
        clientes.aberto() && !clientes.vazio() ? dm.ClientesID_CLIENTE->valor().toInt() : 0;
    Consultas::mostrarTodosOsClientes();
    if (id != 0)
        clientes.localizar(QStringLiteral("ID_CLIENTE"), id);
}

TFRconsultacli::TFRconsultacli(QWidget *parent)
    : JanelaConsulta(parent), m_ui(new Ui::TFRconsultacli) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    m_ui->DBGrid1->definirLarguras({257, 90, 90, 192});
    prepararConsulta(m_ui->DBGrid1, m_ui->Speedbutton6, {m_ui->EDlocalizar});
    ligar(m_ui->EDlocalizar, &QLineEdit::textChanged, this, &TFRconsultacli::EDlocalizarChange);
    vincularControles(this, Datamodule1);
}

TFRconsultacli::~TFRconsultacli() {}

void TFRconsultacli::FormShow() {
    Consultas::mostrarTodosOsClientes();
    esvaziar(m_ui->EDlocalizar);
    m_ui->EDlocalizar->setFocus(Qt::OtherFocusReason);
}

void TFRconsultacli::EDlocalizarChange() {
    buscar(Consultas::Busca::ClientesPorNome, m_ui->EDlocalizar->text());
}

void TFRconsultacli::DBGrid1DblClick() {
    close();
}

void TFRconsultacli::DBGrid1KeyPress(QKeyEvent *) {}

void TFRconsultacli::FormClose() {
    restaurarClientes();
}
