#include "UNabrerecibos1.h"

#include "ConsultaRelatorio.h"
#include "Datamodule1.h"
#include "Protegido.h"
#include "ui_UNabrerecibos1.h"

#include "Conjunto.h"
#include "DBGrid.h"

#include <QSignalBlocker>
#include <QtWidgets/QListView>

TFRabrerecibos1 *FRabrerecibos1 = nullptr;

namespace {

const QStringList k_sql{QStringLiteral("select"), QStringLiteral("  * from"),
                        QStringLiteral("RECIBOS"),
                        QStringLiteral("where (Data>=:pini and Data<=:pfim)  and (Cliente=:cli)"),
                        QStringLiteral("order by id_recibo")};

} // namespace

TFRabrerecibos1::TFRabrerecibos1(QWidget *parent)
    : DialogoRelatorio(QStringLiteral("recibos_por_cliente"), k_sql, parent),
      m_ui(new Ui::TFRabrerecibos1), m_clientes(new ModeloConjunto(this)) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    m_ui->DBcliente->setModel(m_clientes);
    m_ui->DBcliente->setCurrentIndex(-1);
    // Every client is listed: rows of one height keep a long list quick to open and scroll.
    if (auto *lista = qobject_cast<QListView *>(m_ui->DBcliente->view()))
        lista->setUniformItemSizes(true);
    connect(m_ui->DBcliente, &QComboBox::currentIndexChanged, this, [this] {
        if (isVisible())
            m_escolhido = m_ui->DBcliente->currentText();
    });
    prepararTeclas(m_ui->Button1, m_ui->Medtini, m_ui->Medtfim);
    ligar(m_ui->Button1, &QPushButton::clicked, this, &TFRabrerecibos1::Button1Click);
}

TFRabrerecibos1::~TFRabrerecibos1() {}

void TFRabrerecibos1::showEvent(QShowEvent *evento) {
    protegido([this] { FormShow(); });
    DialogoRelatorio::showEvent(evento);
}

void TFRabrerecibos1::hideEvent(QHideEvent *evento) {
    // Hidden, the picker holds no statement open: the names are read again at the next showing.
    m_clientes->definirConjunto(nullptr);
    m_nomes.reset();
    DialogoRelatorio::hideEvent(evento);
}

void TFRabrerecibos1::FormShow() {
    abrirClientesPorNome();
    listarClientes();
    m_ui->Medtini->setDate(QDate::currentDate());
    m_ui->Medtfim->setDate(QDate::currentDate());
    m_ui->Button1->setEnabled(true);
}

void TFRabrerecibos1::listarClientes() {
    // The picker's own choice of a first row, as the rows come, is no choice of the user's.
    const QSignalBlocker calado(m_ui->DBcliente);
    m_clientes->definirConjunto(nullptr);
    m_nomes = TDatamodule1::instancia().nomesDosClientes();
    m_clientes->definirConjunto(m_nomes.get());
    m_ui->DBcliente->setCurrentIndex(
        m_escolhido.isEmpty() ? -1
                              : m_ui->DBcliente->findText(m_escolhido, Qt::MatchFixedString |
                                                                           Qt::MatchCaseSensitive));
}

void TFRabrerecibos1::Button1Click() {
    visualizar([this](ConsultaRelatorio &q) {
        q.definirParametro(QStringLiteral("pini"), inicio());
        q.definirParametro(QStringLiteral("pfim"), fim());
        q.definirParametro(QStringLiteral("cli"), m_ui->DBcliente->currentText());
    });
}
