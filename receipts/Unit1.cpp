#include "Unit1.h"

#include "Calculad.h"
#include "ColFocus.h"
#include "DataExtenso.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "Extens.h"
#include "Figuras.h"
#include "NumeroDigitado.h"
#include "Protegido.h"
#include "ReciboRapido.h"
#include "ServicoRelatorio.h"
#include "UNconfiguracoes.h"
#include "UNreport.h"
#include "Win1252.h"
#include "ui_Unit1.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtGui/QFocusEvent>
#include <QtGui/QKeyEvent>

TFRrecibogratis *FRrecibogratis = nullptr;

TFRrecibogratis::TFRrecibogratis(QWidget *parent)
    : JanelaFixa(parent), m_ui(new Ui::TFRrecibogratis) {
    m_ui->setupUi(this);
    fixarJanela(this, BotoesTitulo::SoFechar);

    m_ui->SpeedButton3->setIcon(figura(QStringLiteral("ampliar")));
    m_ui->SpeedButton1->setIcon(figura(QStringLiteral("imprimir")));
    m_ui->SpeedButton2->setIcon(figura(QStringLiteral("calculadora")));
    m_ui->SpeedButton9->setIcon(figura(QStringLiteral("configuracoes")));
    m_ui->SpeedButton4->setIcon(figura(QStringLiteral("excluir")));
    m_ui->SpeedButton5->setIcon(figura(QStringLiteral("sair")));

    m_campos = {m_ui->LabeledEdit2, m_ui->LabeledEdit3, m_ui->Memo1,
                m_ui->Memo2,        m_ui->LabeledEdit4, m_ui->LabeledEdit9,
                m_ui->LabeledEdit6, m_ui->Memo3,        m_ui->Memo4};
    for (QLineEdit *campo : m_campos)
        campo->installEventFilter(this);

    // A red ring around the focused field; its own colours stay.
    ColFocus1 = new TColFocus(this);
    ColFocus1->setAtivaBorda(true);
    ColFocus1->setBordaColor(Qt::red);
    ColFocus1->setAtivaColor(false);
    ColFocus1->setAtivaFontColor(false);

    ligar(m_ui->SpeedButton3, &QToolButton::clicked, this, &TFRrecibogratis::SpeedButton3Click);
    ligar(m_ui->SpeedButton1, &QToolButton::clicked, this, &TFRrecibogratis::SpeedButton1Click);
    ligar(m_ui->SpeedButton2, &QToolButton::clicked, this, &TFRrecibogratis::SpeedButton2Click);
    ligar(m_ui->SpeedButton9, &QToolButton::clicked, this, &TFRrecibogratis::SpeedButton9Click);
    ligar(m_ui->SpeedButton4, &QToolButton::clicked, this, &TFRrecibogratis::SpeedButton4Click);
    ligar(m_ui->SpeedButton5, &QToolButton::clicked, this, &TFRrecibogratis::SpeedButton5Click);
}

TFRrecibogratis::~TFRrecibogratis() {}

const QStringList &TFRrecibogratis::calculadorasDoSistema() {
    static const QStringList programas = {QStringLiteral("gnome-calculator"),
                                          QStringLiteral("kcalc"),
                                          QStringLiteral("galculator"),
                                          QStringLiteral("mate-calc"),
                                          QStringLiteral("qalculate-gtk"),
                                          QStringLiteral("qalculate-qt"),
                                          QStringLiteral("xcalc")};
    return programas;
}

void TFRrecibogratis::showEvent(QShowEvent *evento) {
    JanelaFixa::showEvent(evento);
    protegido([this] { FormShow(); });
}

// The window sees Enter and Esc before its fields do, and the dialog never takes them for
// its default button or for closing.
void TFRrecibogratis::keyPressEvent(QKeyEvent *evento) {
    const int tecla = evento->key();
    if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter || tecla == Qt::Key_Escape) {
        protegido([&] { FormKeyPress(tecla); });
        return;
    }
    JanelaFixa::keyPressEvent(evento);
}

bool TFRrecibogratis::eventFilter(QObject *objeto, QEvent *evento) {
    if (evento->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent *>(evento)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter || tecla == Qt::Key_Escape) {
            protegido([&] { FormKeyPress(tecla); });
            return true;
        }
    } else if (evento->type() == QEvent::FocusOut && objeto == m_ui->LabeledEdit2) {
        // Another window taking the focus (a message box, the preview) is not leaving the field,
        // and the buttons take no focus: only another field of this window counts.
        const auto razao = static_cast<QFocusEvent *>(evento)->reason();
        if (razao != Qt::ActiveWindowFocusReason && razao != Qt::PopupFocusReason)
            protegido([this] { LabeledEdit2Exit(); });
    }
    return JanelaFixa::eventFilter(objeto, evento);
}

void TFRrecibogratis::FormShow() {
    m_ui->LabeledEdit2->setFocus(Qt::OtherFocusReason);
    m_ui->LabeledEdit6->setText(DataPorExtenso(QDate::currentDate()));
}

// Enter moves to the next tab stop and Esc to the previous one, wrapping at either end; the
// two automatic fields are not tab stops and are passed over.
void TFRrecibogratis::FormKeyPress(int tecla) {
    const int passo = tecla == Qt::Key_Escape ? -1 : 1;
    const int total = int(m_campos.size());
    int i = int(m_campos.indexOf(qobject_cast<QLineEdit *>(focusWidget())));
    if (i < 0)
        i = passo > 0 ? total - 1 : 0;
    for (int n = 0; n < total; ++n) {
        i = (i + passo + total) % total;
        if (m_campos[i]->focusPolicy() & Qt::TabFocus) {
            m_campos[i]->setFocus(passo > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

// Reads the value as typed, writes the amount in words and the value in the "1.234,50" form.
// A text that is not a number changes nothing and keeps the focus in the field.
void TFRrecibogratis::LabeledEdit2Exit() {
    const QString digitado = m_ui->LabeledEdit2->text();
    if (digitado.isEmpty())
        return;
    const std::optional<NumeroDigitado> numero = NumeroDigitado::ler(digitado);
    if (!numero) {
        m_ui->LabeledEdit2->setFocus(Qt::OtherFocusReason);
        throw ErroSistema(
            QStringLiteral("'%1' não é um valor válido.").arg(Win1252::textoLegivel(digitado)));
    }
    m_ui->Memo1->setText(ValorPorExtenso(numero->decimal()).value_or(QString()));
    m_ui->LabeledEdit2->setText(numero->formatado());
}

// The texts go exactly as the fields hold them: nothing is recomputed here.
void TFRrecibogratis::prepararRelatorio() {
    TextosReciboRapido r;
    r.valor = m_ui->LabeledEdit2->text();
    r.recebi = m_ui->LabeledEdit3->text();
    r.extenso = m_ui->Memo1->text();
    r.referente = m_ui->Memo2->text();
    r.observacoes = m_ui->LabeledEdit4->text();
    r.local = m_ui->LabeledEdit9->text();
    r.data = m_ui->LabeledEdit6->text();
    r.emitente = m_ui->Memo3->text();
    r.dadosEmitente = m_ui->Memo4->text();
    preencherReciboRapido(FRreport->report(), r);
}

void TFRrecibogratis::SpeedButton3Click() {
    garantirJanelas();
    prepararRelatorio();
    Preview(FRreport->report(), TDatamodule1::instancia().Exportacoes, this);
}

void TFRrecibogratis::SpeedButton1Click() {
    garantirJanelas();
    prepararRelatorio();
    Print(FRreport->report(), this);
}

// The desktop's own calculator; where none is installed, the program's calculator instead,
// so the button always opens one.
void TFRrecibogratis::SpeedButton2Click() {
    for (const QString &programa : calculadorasDoSistema()) {
        const QString caminho = QStandardPaths::findExecutable(programa);
        if (!caminho.isEmpty() && QProcess::startDetached(caminho, {}))
            return;
    }
    garantirJanelas();
    if (FormCalculadora)
        FormCalculadora->exec();
}

void TFRrecibogratis::SpeedButton9Click() {
    garantirJanelas();
    if (FRconfiguracoes)
        FRconfiguracoes->exec();
}

void TFRrecibogratis::SpeedButton4Click() {
    for (QLineEdit *campo : m_campos)
        if (campo != m_ui->LabeledEdit6)
            campo->clear();
    m_ui->LabeledEdit2->setFocus(Qt::OtherFocusReason);
}

void TFRrecibogratis::SpeedButton5Click() {
    close();
}
