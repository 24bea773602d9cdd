#include "UNabreclientes1.h"

#include "Protegido.h"
#include "ui_UNabreclientes1.h"

TFRabreclientes1 *FRabreclientes1 = nullptr;

namespace {

const QStringList k_sql{QStringLiteral("select"), QStringLiteral("  * from"),
                        QStringLiteral("CLIENTES"), QStringLiteral("order by "),
                        QStringLiteral("CLIENTE")};

} // namespace

TFRabreclientes1::TFRabreclientes1(QWidget *parent)
    : DialogoRelatorio(QStringLiteral("clientes"), k_sql, parent), m_ui(new Ui::TFRabreclientes1) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    prepararTeclas(m_ui->Button1, nullptr, nullptr);
    ligar(m_ui->Button1, &QPushButton::clicked, this, &TFRabreclientes1::Button1Click);
}

TFRabreclientes1::~TFRabreclientes1() {}

void TFRabreclientes1::showEvent(QShowEvent *evento) {
    protegido([this] { FormShow(); });
    DialogoRelatorio::showEvent(evento);
}

void TFRabreclientes1::FormShow() {
    abrirClientesPorNome();
    m_ui->Button1->setEnabled(true);
}

// Closed and opened again, so the report shows the clients as they are now.
void TFRabreclientes1::Button1Click() {
    visualizar({});
}
