#include "UNconsultacli2.h"

#include "Consultas.h"
#include "Datamodule1.h"
#include "Protegido.h"
#include "UNconsultacli.h"
#include "ui_UNconsultacli2.h"

TFRconsultacli2 *FRconsultacli2 = nullptr;

TFRconsultacli2::TFRconsultacli2(QWidget *parent)
    : JanelaConsulta(parent), m_ui(new Ui::TFRconsultacli2) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    m_ui->DBGrid1->definirLarguras({354, 278});
    prepararConsulta(m_ui->DBGrid1, m_ui->Speedbutton6, {m_ui->EDlocalizar, m_ui->EDlocalizar2});
    ligar(m_ui->EDlocalizar, &QLineEdit::textChanged, this, &TFRconsultacli2::EDlocalizarChange);
    ligar(m_ui->EDlocalizar2, &QLineEdit::textChanged, this, &TFRconsultacli2::EDlocalizar2Change);
    vincularControles(this, Datamodule1);
}

TFRconsultacli2::~TFRconsultacli2() {}

void TFRconsultacli2::FormShow() {
    Consultas::mostrarTodosOsClientes();
    // The tax-number box keeps what an earlier use left in it.
    esvaziar(m_ui->EDlocalizar);
    m_ui->EDlocalizar->setFocus(Qt::OtherFocusReason);
}

void TFRconsultacli2::EDlocalizarChange() {
    buscar(Consultas::Busca::ClientesPorNome, m_ui->EDlocalizar->text());
}

void TFRconsultacli2::EDlocalizar2Change() {
    buscar(Consultas::Busca::ClientesPorCpfCnpj, m_ui->EDlocalizar2->text());
}

void TFRconsultacli2::DBGrid1DblClick() {
    escolherCliente();
}

void TFRconsultacli2::DBGrid1KeyPress(QKeyEvent *) {
    escolherCliente();
}

void TFRconsultacli2::escolherCliente() {
    const QString tipo = tipoDoRecibo ? tipoDoRecibo() : QString();
    const bool devedor = tipo == QLatin1String("DEVEDOR");
    if (devedor || tipo == QLatin1String("CREDOR")) {
        TDatamodule1 &dm = TDatamodule1::instancia();
        const bool temCliente = dm.Clientes->aberto() && !dm.Clientes->vazio();
        const QVariant nome = temCliente ? dm.ClientesCLIENTE->valor() : QVariant();
        const QVariant cpfCnpj = temCliente ? dm.ClientesCPFCNPJ->valor() : QVariant();
        // The signer on a "DEVEDOR" receipt, the payer on a "CREDOR" one.
        dm.Recibos->editar();
        (devedor ? dm.RecibosCLIENTE : dm.RecibosEMITENTE)->definirValor(nome);
        (devedor ? dm.RecibosCPFCNPJCLIENTE : dm.RecibosCPFCNPJEMITENTE)->definirValor(cpfCnpj);
    }
    close();
}

void TFRconsultacli2::FormClose() {
    restaurarClientes();
}
