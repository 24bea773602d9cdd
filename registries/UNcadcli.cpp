#include "UNcadcli.h"

#include "Avisador.h"
#include "CampoCpfCnpj.h"
#include "ColFocus.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "EsquemaEdicao.h"
#include "Figuras.h"
#include "Protegido.h"
#include "UNconsultacli.h"
#include "ui_UNcadcli.h"

#include <QtGui/QCloseEvent>

TFRcadcli *FRcadcli = nullptr;

namespace {

const QStringList k_sqlClientes{QStringLiteral("SELECT * FROM CLIENTES"),
                                QStringLiteral("ORDER BY CLIENTE")};

} // namespace

TFRcadcli::TFRcadcli(QWidget *parent) : JanelaRegistro(parent), m_ui(new Ui::TFRcadcli) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);

    figurarColunaDeBotoes(this);

    m_campos = {m_ui->DBEdit2,  m_ui->DBEdit14, m_ui->DBEdit3, m_ui->DBEdit4, m_ui->DBEdit5,
                m_ui->DBEdit6,  m_ui->DBEdit13, m_ui->DBEdit8, m_ui->DBEdit9, m_ui->DBEdit10,
                m_ui->DBEdit11, m_ui->DBEdit12, m_ui->DBEdit7};
    QList<QWidget *> lista{m_ui->BTnovo,   m_ui->BTalterar,   m_ui->BTexcluir,
                           m_ui->BTsalvar, m_ui->BTconsultar, m_ui->BTcancelar};
    lista += m_campos;

    m_esquema = new EsquemaEdicao(this, m_ui->BTsalvar, m_ui->BTcancelar, lista);
    m_esquema->conjunto = [] { return TDatamodule1::instancia().Clientes; };
    m_esquema->confirmar = [] { TDatamodule1::instancia().confirmar(); };
    m_esquema->padroes = [] {
        TDatamodule1::instancia().ClientesPADRAO->definirValor(QStringLiteral("N"));
    };
    m_esquema->verificar = [this] { return nomePreenchido(); };
    m_esquema->primeiroCampo = m_ui->DBEdit2;
    m_esquema->campoChave = m_ui->DBEdit2;
    m_esquema->mensagemSalvo = QStringLiteral("Cliente salvo");
    m_esquema->perguntaExcluir = QStringLiteral("Deseja excluir o Cliente?");

    ColFocus1 = TColFocus::paraJanelaDeRegistro(this);
    m_cpfCnpj = new CampoCpfCnpj(m_ui->DBEdit14);

    ligar(m_ui->BTnovo, &QToolButton::clicked, this, &TFRcadcli::BTnovoClick);
    ligar(m_ui->BTalterar, &QToolButton::clicked, this, &TFRcadcli::BTalterarClick);
    ligar(m_ui->BTsalvar, &QToolButton::clicked, this, &TFRcadcli::BTsalvarClick);
    ligar(m_ui->BTcancelar, &QToolButton::clicked, this, &TFRcadcli::BTcancelarClick);
    ligar(m_ui->BTexcluir, &QToolButton::clicked, this, &TFRcadcli::BTexcluirClick);
    ligar(m_ui->BTsair, &QToolButton::clicked, this, &TFRcadcli::BTsairClick);
    ligar(m_ui->BTconsultar, &QToolButton::clicked, this, &TFRcadcli::BTconsultarClick);
    ligar(m_ui->DBEdit14, &TDBEdit::saiu, this, &TFRcadcli::DBEdit14Exit);
    vincular();
}

TFRcadcli::~TFRcadcli() {}

void TFRcadcli::closeEvent(QCloseEvent *evento) {
    try {
        FormClose();
    } catch (...) {
        // The post failed: the window stays open, editing, with the data layer's message.
        if (m_ui->BTsalvar->isEnabled())
            EsquemaEdicao::habilitar(m_campos, true);
        evento->ignore();
        tratarErro(std::current_exception());
        return;
    }
    JanelaRegistro::closeEvent(evento);
}

void TFRcadcli::restaura() {
    m_esquema->restaura();
}

void TFRcadcli::FormShow() {
    EsquemaEdicao::habilitar({m_ui->BTnovo, m_ui->BTalterar, m_ui->BTexcluir, m_ui->BTconsultar},
                             true);
    EsquemaEdicao::habilitar({m_ui->BTsalvar, m_ui->BTcancelar}, false);
    TDatamodule1::instancia().Clientes->substituirSql(k_sqlClientes);
}

void TFRcadcli::FormClose() {
    EsquemaEdicao::habilitar(m_campos, false);
    Conjunto &clientes = *TDatamodule1::instancia().Clientes;
    if (clientes.emEdicao()) {
        if (m_ui->DBEdit2->text().isEmpty())
            clientes.cancelar();
        else
            clientes.gravar();
    }
    TDatamodule1::instancia().confirmar();
    clientes.substituirSql(k_sqlClientes);
}

bool TFRcadcli::nomePreenchido() {
    if (!m_ui->DBEdit2->text().isEmpty())
        return true;
    Avisador::atual().mensagem(QStringLiteral("O campo NOME no cadastro é obrigatório"));
    m_ui->DBEdit2->setFocus(Qt::OtherFocusReason);
    return false;
}

void TFRcadcli::BTnovoClick() {
    m_esquema->novo();
}

void TFRcadcli::BTalterarClick() {
    m_esquema->alterar();
}

void TFRcadcli::BTsalvarClick() {
    m_esquema->salvar();
}

void TFRcadcli::BTcancelarClick() {
    m_esquema->cancelar();
}

void TFRcadcli::BTexcluirClick() {
    m_esquema->excluir();
}

void TFRcadcli::BTsairClick() {
    m_esquema->sair();
}

// The search leaves the chosen client current in Clientes, and this window shows it.
void TFRcadcli::BTconsultarClick() {
    if (FRconsultacli)
        FRconsultacli->exec();
}

void TFRcadcli::DBEdit14Exit() {
    m_cpfCnpj->sair();
}
