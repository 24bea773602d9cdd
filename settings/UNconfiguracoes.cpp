#include "UNconfiguracoes.h"

#include "Avisador.h"
#include "Datamodule1.h"
#include "Figuras.h"
#include "Manual.h"
#include "Protegido.h"
#include "ui_UNconfiguracoes.h"

#include <QtGui/QMouseEvent>

TFRconfiguracoes *FRconfiguracoes = nullptr;

TFRconfiguracoes::TFRconfiguracoes(QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRconfiguracoes) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);
    m_ui->BTsair->setIcon(figura(QStringLiteral("ok")));
    m_ui->Label14->installEventFilter(this);
    ligar(m_ui->BTsair, &QToolButton::clicked, this, &TFRconfiguracoes::BTsairClick);
}

TFRconfiguracoes::~TFRconfiguracoes() {}

void TFRconfiguracoes::showEvent(QShowEvent *evento) {
    JanelaFixa::showEvent(evento);
    protegido([this] { FormShow(); });
}

bool TFRconfiguracoes::eventFilter(QObject *objeto, QEvent *evento) {
    if (objeto == m_ui->Label14 && evento->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(evento)->button() == Qt::LeftButton) {
        protegido([this] { Label14Click(); });
        return true;
    }
    return JanelaFixa::eventFilter(objeto, evento);
}

void TFRconfiguracoes::done(int resultado) {
    if (protegido([this] { FormClose(); }))
        JanelaFixa::done(resultado);
}

void TFRconfiguracoes::FormShow() {
    TDatamodule1 &dm = TDatamodule1::instancia();
    if (!dm.Configuracao->aberto())
        dm.Configuracao->abrir();
    vincularControles(this, &dm);
    m_valorAoMostrar = dm.ConfiguracaoCONFIGURACAO1->texto();
}

void TFRconfiguracoes::BTsairClick() {
    gravarConfiguracao();
    close();
}

// Saves the row even when nothing changed, so the close box keeps the box's state too.
void TFRconfiguracoes::FormClose() {
    gravarConfiguracao();
    const QString valor = TDatamodule1::instancia().ConfiguracaoCONFIGURACAO1->texto();
    if (valor == m_valorAoMostrar)
        return;
    Avisador::atual().mensagem(
        valor == QLatin1String("Y")
            ? QStringLiteral("Feche o sistema de RECIBO e abra novamente para que você tenha "
                             "acesso aos recursos avançados do TALVANO !!!!")
            : QStringLiteral("Feche o sistema de RECIBO e abra novamente para que você tenha "
                             "acesso ao BREVANO !!!!"));
}

void TFRconfiguracoes::gravarConfiguracao() {
    TDatamodule1 &dm = TDatamodule1::instancia();
    dm.Configuracao->editar();
    // A table left without its row gets it back under the key it was created with.
    if (dm.Configuracao->estado() == Conjunto::Estado::Inserindo &&
        dm.ConfiguracaoID_CONFIGURACAO->nulo())
        dm.ConfiguracaoID_CONFIGURACAO->definirValor(1);
    dm.Configuracao->gravar();
    dm.confirmar();
}

void TFRconfiguracoes::Label14Click() {
    abrirManual(QStringLiteral("modo-simples"));
}
