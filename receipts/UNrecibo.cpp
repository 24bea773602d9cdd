#include "UNrecibo.h"

#include "Avisador.h"
#include "Calculad.h"
#include "CampoCpfCnpj.h"
#include "ColFocus.h"
#include "DataExtenso.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "EsquemaEdicao.h"
#include "Extens.h"
#include "Figuras.h"
#include "ImpressaoRecibo.h"
#include "OfertaCadastro.h"
#include "Protegido.h"
#include "Relatorio.h"
#include "ServicoRelatorio.h"
#include "UNcademitente.h"
#include "UNconsultacli2.h"
#include "UNconsultarec.h"
#include "ui_UNrecibo.h"

#include <QtGui/QFocusEvent>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QApplication>

TFRrecibo *FRrecibo = nullptr;

namespace {

const QStringList k_sqlRecibos{QStringLiteral("SELECT * FROM RECIBOS"),
                               QStringLiteral("ORDER BY ID_RECIBO DESC")};
const QStringList k_sqlEmitente{QStringLiteral("SELECT * FROM EMITENTE")};

const QColor k_azulMarinho(0x00, 0x00, 0x80);  // asks for input
const QColor k_verdeAzulado(0x00, 0x80, 0x80); // filled automatically

void pintar(QLabel *rotulo, const QColor &cor) {
    QPalette p = rotulo->palette();
    p.setColor(QPalette::WindowText, cor);
    rotulo->setPalette(p);
}

} // namespace

TFRrecibo::TFRrecibo(QWidget *parent) : JanelaRegistro(parent), m_ui(new Ui::TFRrecibo) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);

    figurarColunaDeBotoes(this);
    m_ui->BTlocalizacao->setIcon(figura(QStringLiteral("localizar")));
    m_ui->SpeedButton1->setIcon(figura(QStringLiteral("emitente")));
    m_ui->SpeedButton2->setIcon(figura(QStringLiteral("calculadora")));
    m_ui->Image1->setPixmap(figura(QStringLiteral("imprimir")).pixmap(50, 50));
    for (QLabel *l : {m_ui->Label5, m_ui->Label7, m_ui->Label15, m_ui->Label16})
        pintar(l, k_azulMarinho);

    m_campos = {m_ui->DBdata,      m_ui->DBvalor, m_ui->DBcliente, m_ui->DBcpfcnpjcliente,
                m_ui->DBreferente, m_ui->DBobs,   m_ui->DBtipo};
    QList<QWidget *> lista{m_ui->BTnovo,   m_ui->BTalterar,   m_ui->BTexcluir,
                           m_ui->BTsalvar, m_ui->BTconsultar, m_ui->BTcancelar};
    lista += m_campos;

    m_esquema = new EsquemaEdicao(this, m_ui->BTsalvar, m_ui->BTcancelar, lista);
    m_esquema->conjunto = [] { return TDatamodule1::instancia().Recibos; };
    m_esquema->confirmar = [] { TDatamodule1::instancia().confirmar(); };
    m_esquema->padroes = [] {
        TDatamodule1 &dm = TDatamodule1::instancia();
        dm.RecibosLOCAL->definirValor(dm.EmitenteCIDADE->valor());
        dm.RecibosDATA->definirValor(QDate::currentDate());
        dm.RecibosTIPO->definirValor(QStringLiteral("DEVEDOR"));
    };
    m_esquema->primeiroCampo = m_ui->DBvalor;
    m_esquema->campoChave = m_ui->DBvalor;
    m_esquema->mensagemSalvo = QStringLiteral("Recibo Gravado");
    m_esquema->perguntaExcluir = QStringLiteral("Deseja excluir o RECIBO?");
    // A party taken from the client search while browsing is a change Sair asks about.
    m_esquema->pendenteSemEdicao = true;

    ColFocus1 = TColFocus::paraJanelaDeRegistro(this);
    m_cpfCnpjEmitente =
        new CampoCpfCnpj(m_ui->DBcpfcnpjemitente, m_ui->DBemitente, oferecerCadastroDeCliente);
    m_cpfCnpjCliente =
        new CampoCpfCnpj(m_ui->DBcpfcnpjcliente, m_ui->DBcliente, oferecerCadastroDeCliente);

    ligar(m_ui->BTnovo, &QToolButton::clicked, this, &TFRrecibo::BTnovoClick);
    ligar(m_ui->BTsalvar, &QToolButton::clicked, this, &TFRrecibo::BTsalvarClick);
    ligar(m_ui->BTalterar, &QToolButton::clicked, this, &TFRrecibo::BTalterarClick);
    ligar(m_ui->BTcancelar, &QToolButton::clicked, this, &TFRrecibo::BTcancelarClick);
    ligar(m_ui->BTexcluir, &QToolButton::clicked, this, &TFRrecibo::BTexcluirClick);
    ligar(m_ui->BTsair, &QToolButton::clicked, this, &TFRrecibo::BTsairClick);
    ligar(m_ui->BTconsultar, &QToolButton::clicked, this, &TFRrecibo::BTconsultarClick);
    ligar(m_ui->BTlocalizacao, &QToolButton::clicked, this, &TFRrecibo::BTlocalizacaoClick);
    ligar(m_ui->DBvalor, &TDBEdit::saiu, this, &TFRrecibo::DBvalorExit);
    ligar(m_ui->DBdata, &TDBEdit::saiu, this, &TFRrecibo::DBdataExit);
    ligar(m_ui->DBcpfcnpjemitente, &TDBEdit::saiu, this, &TFRrecibo::DBcpfcnpjemitenteExit);
    ligar(m_ui->DBcpfcnpjcliente, &TDBEdit::saiu, this, &TFRrecibo::DBcpfcnpjclienteExit);
    ligar(m_ui->DBtipo, &QComboBox::activated, this, &TFRrecibo::DBtipoChange);
    ligar(m_ui->SpeedButton1, &QToolButton::clicked, this, &TFRrecibo::SpeedButton1Click);
    ligar(m_ui->SpeedButton2, &QToolButton::clicked, this, &TFRrecibo::SpeedButton2Click);
    ligar(m_ui->SpeedButton3, &QToolButton::clicked, this, &TFRrecibo::SpeedButton3Click);
    ligar(m_ui->SpeedButton4, &QToolButton::clicked, this, &TFRrecibo::SpeedButton4Click);
    for (QWidget *w : {static_cast<QWidget *>(m_ui->Label6), static_cast<QWidget *>(m_ui->Label9),
                       static_cast<QWidget *>(m_ui->Label19), static_cast<QWidget *>(m_ui->DBtipo)})
        w->installEventFilter(this);

    frxReport = std::make_unique<Relatorio>(QStringLiteral("recibo_1via"));
    frxReport1 = std::make_unique<Relatorio>(QStringLiteral("recibo_2vias"));

    vincular();
}

TFRrecibo::~TFRrecibo() {}

bool TFRrecibo::eventFilter(QObject *objeto, QEvent *evento) {
    if (evento->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(evento)->button() == Qt::LeftButton) {
        if (objeto == m_ui->Label6) {
            protegido([this] { Label6Click(); });
            return true;
        }
        if (objeto == m_ui->Label9) {
            protegido([this] { Label9Click(); });
            return true;
        }
        if (objeto == m_ui->Label19) {
            protegido([this] { Label19Click(); });
            return true;
        }
    }
    if (objeto == m_ui->DBtipo) {
        if (evento->type() == QEvent::KeyPress) {
            protegido([this] { DBtipoKeyDown(); });
        } else if (evento->type() == QEvent::FocusOut) {
            // Another window or the drop-down list taking the focus is not leaving the field,
            // nor is the field disabled by the end of the edit.
            const auto razao = static_cast<QFocusEvent *>(evento)->reason();
            const QWidget *foco = QApplication::focusWidget();
            // Opening the list with the mouse hands the focus to the list itself.
            const bool paraALista = foco && foco->window() == m_ui->DBtipo->view()->window();
            if (razao != Qt::ActiveWindowFocusReason && razao != Qt::PopupFocusReason &&
                !paraALista && m_ui->DBtipo->isEnabled())
                protegido([this] { DBtipoExit(); });
        }
    }
    return JanelaRegistro::eventFilter(objeto, evento);
}

void TFRrecibo::restaura() {
    m_esquema->restaura();
}

void TFRrecibo::desabilitarPartes() {
    EsquemaEdicao::habilitar(
        {m_ui->DBemitente, m_ui->DBcpfcnpjemitente, m_ui->DBcliente, m_ui->DBcpfcnpjcliente},
        false);
}

void TFRrecibo::FormShow() {
    EsquemaEdicao::habilitar({m_ui->BTnovo, m_ui->BTalterar, m_ui->BTexcluir, m_ui->BTconsultar},
                             true);
    EsquemaEdicao::habilitar({m_ui->BTsalvar, m_ui->BTcancelar}, false);
    EsquemaEdicao::habilitar(m_campos, false);
    desabilitarPartes();
    TDatamodule1 &dm = TDatamodule1::instancia();
    dm.Clientes->substituirSql(
        {QStringLiteral("SELECT * FROM CLIENTES"), QStringLiteral("ORDER BY CLIENTE")});
    dm.Emitente->substituirSql(k_sqlEmitente);
    dm.Recibos->substituirSql(k_sqlRecibos);
    dm.Tipo->substituirSql(
        {QStringLiteral("SELECT * FROM TIPO"), QStringLiteral("ORDER BY ID_TIPO")});
}

void TFRrecibo::BTnovoClick() {
    // The first row of EMITENTE is the issuer whose city the receipt takes.
    Conjunto &emitente = *TDatamodule1::instancia().Emitente;
    emitente.substituirSql(k_sqlEmitente);
    emitente.primeiro();
    m_esquema->novo();
}

void TFRrecibo::BTsalvarClick() {
    m_esquema->salvar();
    if (!m_esquema->editando())
        desabilitarPartes();
}

void TFRrecibo::BTalterarClick() {
    m_esquema->alterar();
}

void TFRrecibo::BTcancelarClick() {
    m_esquema->cancelar();
    // Ordered newest first, so the last row is the receipt with the lowest number.
    Conjunto &recibos = *TDatamodule1::instancia().Recibos;
    recibos.substituirSql(k_sqlRecibos);
    recibos.ultimo();
    desabilitarPartes();
}

void TFRrecibo::BTexcluirClick() {
    m_esquema->excluir();
}

void TFRrecibo::BTsairClick() {
    m_esquema->sair();
}

// The search reloads Recibos: a change the client search put into the receipt shown, while the
// window kept its browsing layout, is saved or dropped by the user's answer first, never lost
// without a word.
void TFRrecibo::BTconsultarClick() {
    if (!m_esquema->resolverPendente(QStringLiteral("Consultar")))
        return;
    if (FRconsultarec)
        FRconsultarec->exec();
}

// The chosen client lands on the side the kind box shows when the choice is made.
void TFRrecibo::BTlocalizacaoClick() {
    if (!FRconsultacli2)
        return;
    FRconsultacli2->tipoDoRecibo = [this] { return m_ui->DBtipo->currentText(); };
    FRconsultacli2->exec();
}

void TFRrecibo::DBvalorExit() {
    if (m_ui->DBvalor->text().isEmpty())
        return;
    TDatamodule1 &dm = TDatamodule1::instancia();
    dm.Recibos->editar();
    dm.RecibosVALOREXTENSO->definirValor(
        ValorPorExtenso(dm.RecibosVALOR->valor().value<Dinheiro>()));
    dm.RecibosDATARECIBO->definirValor(DataPorExtenso(QDate::currentDate()));
}

void TFRrecibo::DBdataExit() {
    TDatamodule1 &dm = TDatamodule1::instancia();
    if (dm.RecibosDATA->nulo())
        return;
    dm.Recibos->editar();
    dm.RecibosDATARECIBO->definirValor(DataPorExtenso(dm.RecibosDATA->valor().toDate()));
}

void TFRrecibo::DBtipoChange() {
    const int linha = m_ui->DBtipo->currentIndex();
    TDatamodule1 &dm = TDatamodule1::instancia();
    dm.Recibos->editar();
    if (linha >= 0)
        dm.RecibosTIPO->definirValor(m_ui->DBtipo->itemText(linha));
}

void TFRrecibo::DBtipoKeyDown() {
    DBtipoChange();
}

void TFRrecibo::DBtipoExit() {
    const QString tipo = m_ui->DBtipo->currentText();
    const bool devedor = tipo == QLatin1String("DEVEDOR");
    if (!devedor && tipo != QLatin1String("CREDOR"))
        return;
    TDatamodule1 &dm = TDatamodule1::instancia();
    dm.Recibos->editar();
    // The issuer pays on a "DEVEDOR" receipt and signs on a "CREDOR" one.
    Campo *nome = devedor ? dm.RecibosEMITENTE : dm.RecibosCLIENTE;
    Campo *cpfCnpj = devedor ? dm.RecibosCPFCNPJEMITENTE : dm.RecibosCPFCNPJCLIENTE;
    nome->definirValor(dm.EmitenteEMITENTE->valor());
    cpfCnpj->definirValor(dm.EmitenteCPFCNPJ->valor());

    const QColor pagador = devedor ? k_verdeAzulado : k_azulMarinho;
    const QColor assinante = devedor ? k_azulMarinho : k_verdeAzulado;
    pintar(m_ui->Label5, pagador);
    pintar(m_ui->Label7, pagador);
    pintar(m_ui->Label15, assinante);
    pintar(m_ui->Label16, assinante);
    EsquemaEdicao::habilitar({m_ui->DBemitente, m_ui->DBcpfcnpjemitente}, !devedor);
    EsquemaEdicao::habilitar({m_ui->DBcliente, m_ui->DBcpfcnpjcliente}, devedor);
    m_ui->BTlocalizacao->move(m_ui->BTlocalizacao->x(), devedor ? 429 : 69);
    m_ui->Label17->move(m_ui->Label17->x(), devedor ? 496 : 136);
}

void TFRrecibo::DBcpfcnpjemitenteExit() {
    m_cpfCnpjEmitente->sair();
}

void TFRrecibo::DBcpfcnpjclienteExit() {
    m_cpfCnpjCliente->sair();
}

void TFRrecibo::SpeedButton1Click() {
    if (FRcademitente)
        FRcademitente->exec();
}

void TFRrecibo::SpeedButton2Click() {
    if (FormCalculadora)
        FormCalculadora->exec();
}

void TFRrecibo::SpeedButton3Click() {
    sairDoCampoEditado(m_ui->SpeedButton3);
    ImpressaoRecibo::preencherUmaVia(*frxReport, textosDaJanela());
    ShowReport(*frxReport, TDatamodule1::instancia().Exportacoes, this);
}

void TFRrecibo::SpeedButton4Click() {
    sairDoCampoEditado(m_ui->SpeedButton4);
    ImpressaoRecibo::preencherDuasVias(*frxReport1, textosDaJanela());
    ShowReport(*frxReport1, TDatamodule1::instancia().Exportacoes, this);
}

// The print buttons take no focus when clicked, so the click takes it: the field being edited
// is left and its leave actions (amount and date in words, punctuation of the tax number, the
// parties of the kind) run before the texts are taken. A text the field cannot take stops the
// print with the field's own message, the focus back in the field.
void TFRrecibo::sairDoCampoEditado(QWidget *botao) {
    QWidget *campo = QApplication::focusWidget();
    if (!campo || campo == botao || campo->window() != this)
        return;
    botao->setFocus(Qt::MouseFocusReason);
    auto *edicao = qobject_cast<TDBEdit *>(campo);
    if (edicao && edicao->textoPendente()) {
        edicao->setFocus(Qt::OtherFocusReason);
        edicao->entregarTexto();
    }
}

TextosRecibo TFRrecibo::textosDaJanela() const {
    TextosRecibo r;
    r.valor = m_ui->DBvalor->text();
    r.recebi = m_ui->DBcliente->text();
    r.extenso = m_ui->DBvalorextenso->text();
    r.referente = m_ui->DBreferente->text();
    r.observacoes = m_ui->DBobs->text();
    r.local = m_ui->DBlocal->text();
    r.data = m_ui->DBdatarecibo->text();
    r.emitente = m_ui->DBemitente->text();
    r.cpfcnpjemitente = m_ui->DBcpfcnpjemitente->text();
    r.cpfcnpjcliente = m_ui->DBcpfcnpjcliente->text();
    r.logo = m_ui->DBImage1->imagem();
    return r;
}

void TFRrecibo::Label6Click() {
    Avisador::atual().mensagem(QStringLiteral(
        "Selecione RECIBO DEVEDOR-quando você ou a empresa está efetuando um pagamento OU "
        "selecione RECIBO CREDOR-quando você ou a empresa estiver recebendo algum valor !!!"));
}

void TFRrecibo::Label9Click() {
    Avisador::atual().mensagem(QStringLiteral("Clique aqui para alterar o seu Cadastro(Emitente)"));
}

void TFRrecibo::Label19Click() {
    Avisador::atual().mensagem(QStringLiteral(
        "Esta informação é selecionada automaticamente a partir do cadastro do emitente !!!"));
}
