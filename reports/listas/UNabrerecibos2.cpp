#include "UNabrerecibos2.h"

#include "ConsultaRelatorio.h"
#include "Protegido.h"
#include "ui_UNabrerecibos2.h"

TFRabrerecibos2 *FRabrerecibos2 = nullptr;

namespace {

const QStringList k_sql{QStringLiteral("select"), QStringLiteral("  * from"),
                        QStringLiteral("RECIBOS"),
                        QStringLiteral("where (Data>=:pini and Data<=:pfim) ")};

} // namespace

TFRabrerecibos2::TFRabrerecibos2(QWidget *parent)
    : DialogoRelatorio(QStringLiteral("recibos_por_periodo"), k_sql, parent),
      m_ui(new Ui::TFRabrerecibos2) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    prepararTeclas(m_ui->Button1);
    ligar(m_ui->Button1, &QPushButton::clicked, this, &TFRabrerecibos2::Button1Click);
}

TFRabrerecibos2::~TFRabrerecibos2() {
    delete m_ui;
}

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

void TFRabrerecibos2::Button1Click() {
    visualizar([this](ConsultaRelatorio &q) {
        q.definirParametro(QStringLiteral("pini"), m_ui->Medtini->date());
        q.definirParametro(QStringLiteral("pfim"), m_ui->Medtfim->date());
    });
}
