#include "Calculad.h"
#include "ui_Calculad.h"

TFormCalculadora *FormCalculadora = nullptr;

#include "Figuras.h"
#include "FontesCarregadas.h"
#include "Janela.h"
#include "Protegido.h"

#include <QKeyEvent>
#include <QtWidgets/QMenu>
#include <utility>

namespace {

// The window is drawn in pixels, so its fonts are too, whatever the screen's
// resolution: the sizes in the form are points at 96 pixels per inch.
void fontesEmPixels(QWidget *janela) {
    QList<QWidget *> widgets = janela->findChildren<QWidget *>();
    widgets.prepend(janela);
    for (QWidget *widget : std::as_const(widgets)) {
        if (!widget->testAttribute(Qt::WA_SetFont))
            continue;
        QFont fonte = widget->font();
        if (fonte.pointSizeF() > 0) {
            fonte.setPixelSize(qRound(fonte.pointSizeF() * 96 / 72));
            widget->setFont(fonte);
        }
    }
}

} // namespace

TFormCalculadora::TFormCalculadora(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TFormCalculadora>()) {
    // The keys' font comes with the program, outside the folders fontconfig searches.
    Fontes::garantirCarregadas();
    m_ui->setupUi(this);
    FormCreate();
}

TFormCalculadora::~TFormCalculadora() = default;

void TFormCalculadora::FormCreate() {
    fixarJanela(this, BotoesTitulo::SoFechar);
    setWindowIcon(figura(QStringLiteral("calculadora")));
    fontesEmPixels(this);
    m_ui->SpeedButton1->setIcon(figura(QStringLiteral("sair")));

    m_menuFita = new QMenu(this);
    m_menuFita->setObjectName(QStringLiteral("PopupMenu1"));
    m_menuFita->addAction(m_ui->LimparFita1);
    connect(m_ui->LimparFita1, &QAction::triggered, this, &TFormCalculadora::LimparFita1Click);
    for (ColunaFita *coluna : {m_ui->Fita, m_ui->FitaDigitos}) {
        coluna->installEventFilter(this);
        connect(
            coluna, &QWidget::customContextMenuRequested, this,
            [this, coluna](const QPoint &ponto) { m_menuFita->popup(coluna->mapToGlobal(ponto)); });
    }
    m_ui->EdVisor->installEventFilter(this);

    for (QPushButton *tecla : {m_ui->Btn0, m_ui->Btn1, m_ui->Btn2, m_ui->Btn3, m_ui->Btn4,
                               m_ui->Btn5, m_ui->Btn6, m_ui->Btn7, m_ui->Btn8, m_ui->Btn9})
        connect(tecla, &QPushButton::clicked, this, [this, tecla] { Btn7Click(tecla); });
    for (QPushButton *tecla : {m_ui->BtnDiv, m_ui->BtnMult, m_ui->BtnSub, m_ui->BtnAdic})
        connect(tecla, &QPushButton::clicked, this, [this, tecla] { BtnDivClick(tecla); });
    connect(m_ui->BtnVirgula, &QPushButton::clicked, this, &TFormCalculadora::BtnVirgulaClick);
    connect(m_ui->BtnIgual, &QPushButton::clicked, this, &TFormCalculadora::BtnIgualClick);
    connect(m_ui->BtnRaiz, &QPushButton::clicked, this, &TFormCalculadora::BtnRaizClick);
    connect(m_ui->BtnReciproca, &QPushButton::clicked, this, &TFormCalculadora::BtnReciprocaClick);
    connect(m_ui->BtnPorcentagem, &QPushButton::clicked, this,
            &TFormCalculadora::BtnPorcentagemClick);
    connect(m_ui->BtnSinal, &QPushButton::clicked, this, &TFormCalculadora::BtnSinalClick);
    connect(m_ui->BtnBackspace, &QPushButton::clicked, this, &TFormCalculadora::BtnBackspaceClick);
    connect(m_ui->BtnCE, &QPushButton::clicked, this, &TFormCalculadora::BtnCEClick);
    connect(m_ui->BtnC, &QPushButton::clicked, this, &TFormCalculadora::BtnCClick);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &TFormCalculadora::BitBtn1Click);
    connect(m_ui->SpeedButton1, &QToolButton::clicked, this, &TFormCalculadora::SpeedButton1Click);
    mostrar();
}

void TFormCalculadora::showEvent(QShowEvent *evento) {
    if (!evento->spontaneous())
        FormShow();
    QDialog::showEvent(evento);
}

void TFormCalculadora::FormShow() {
    executar([this] { m_motor.aoAbrir(); });
    centralizarNaTela(this);
    m_ui->EdVisor->setFocus();
}

void TFormCalculadora::done(int resultado) {
    FormClose();
    QDialog::done(resultado);
}

void TFormCalculadora::FormClose() {
    executar([this] { m_motor.aoFechar(); });
}

template <typename Passo> void TFormCalculadora::executar(Passo &&passo) {
    protegido(std::forward<Passo>(passo));
    mostrar();
}

void TFormCalculadora::mostrar() {
    m_ui->LbVisor->setText(m_motor.visor());
    m_ui->Fita->setLinhas(m_motor.Fita());
    m_ui->FitaDigitos->setLinhas(m_motor.FitaDigitos());
}

void TFormCalculadora::Btn7Click(QPushButton *tecla) {
    executar([this, tecla] { m_motor.teclaDigito(tecla->text().at(0)); });
}

void TFormCalculadora::BtnVirgulaClick() {
    executar([this] { m_motor.teclaVirgula(); });
}

void TFormCalculadora::BtnDivClick(QPushButton *tecla) {
    executar([this, tecla] { m_motor.teclaOperador(tecla->objectName()); });
}

void TFormCalculadora::BtnIgualClick() {
    executar([this] { m_motor.teclaOperador(m_ui->BtnIgual->objectName()); });
}

void TFormCalculadora::BtnRaizClick() {
    executar([this] { m_motor.teclaRaiz(); });
}

void TFormCalculadora::BtnReciprocaClick() {
    executar([this] { m_motor.teclaReciproca(); });
}

void TFormCalculadora::BtnPorcentagemClick() {
    executar([this] { m_motor.teclaPorcentagem(); });
}

void TFormCalculadora::BtnSinalClick() {
    executar([this] { m_motor.teclaSinal(); });
}

void TFormCalculadora::BtnBackspaceClick() {
    executar([this] { m_motor.teclaBackspace(); });
}

void TFormCalculadora::BtnCEClick() {
    executar([this] { m_motor.teclaCE(); });
}

void TFormCalculadora::BtnCClick() {
    executar([this] { m_motor.teclaC(); });
}

void TFormCalculadora::BitBtn1Click() {
    executar([this] { m_motor.zerarTudo(); });
}

void TFormCalculadora::SpeedButton1Click() {
    close();
}

void TFormCalculadora::LimparFita1Click() {
    executar([this] { m_motor.LimparFita(); });
}

void TFormCalculadora::FitaEnter() {
    m_ui->EdVisor->setFocus();
}

void TFormCalculadora::EdVisorKeyDown(int codigo) {
    bool fechar = false;
    executar([this, codigo, &fechar] {
        fechar = m_motor.teclar(codigo) == MotorCalculadora::Acao::Fechar;
    });
    if (fechar)
        close();
}

// Which characters the hidden entry box lets in; its text is never read.
bool TFormCalculadora::EdVisorKeyPress(QChar caractere) const {
    return caractere.isDigit() || caractere == u',' || caractere == u'.' || caractere == u'\b' ||
           caractere == u'\t' || caractere == u'\r';
}

bool TFormCalculadora::eventFilter(QObject *objeto, QEvent *evento) {
    if (objeto == m_ui->EdVisor && evento->type() == QEvent::KeyPress) {
        const auto *tecla = static_cast<QKeyEvent *>(evento);
        if (tecla->key() == Qt::Key_Tab || tecla->key() == Qt::Key_Backtab)
            return false;
        EdVisorKeyDown(MotorCalculadora::codigoDaTecla(tecla->key(), tecla->modifiers()));
        const QString texto = tecla->text();
        return texto.isEmpty() || !EdVisorKeyPress(texto.at(0));
    }
    if ((objeto == m_ui->Fita || objeto == m_ui->FitaDigitos) &&
        (evento->type() == QEvent::FocusIn || evento->type() == QEvent::FocusOut)) {
        FitaEnter();
        return false;
    }
    return QDialog::eventFilter(objeto, evento);
}

// Keys the hidden entry box passed on reach the window: Enter and Esc have
// already done their work as calculator keys, so they must not also press a
// default button or reject the window. With "Zerar TUDO" focused, Enter and
// Space press it and Esc does nothing.
void TFormCalculadora::keyPressEvent(QKeyEvent *evento) {
    const bool daCalculadora = focusWidget() == m_ui->EdVisor;
    const int tecla = evento->key();
    if (tecla == Qt::Key_Escape ||
        (daCalculadora && (tecla == Qt::Key_Return || tecla == Qt::Key_Enter))) {
        evento->accept();
        return;
    }
    QDialog::keyPressEvent(evento);
}
