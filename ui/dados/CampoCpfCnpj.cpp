#include "CampoCpfCnpj.h"

#include "DBEdit.h"
#include "FormatarCpfCnpj.h"

#include <QTimer>
#include <QtGui/QFocusEvent>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>

#include <utility>

CampoCpfCnpj::CampoCpfCnpj(TDBEdit *cpfCnpj, TDBEdit *nome, Oferta oferta)
    : QObject(cpfCnpj), m_cpfCnpj(cpfCnpj), m_nome(nome), m_oferta(std::move(oferta)) {
    // Sees how the focus leaves, before the field announces it was left.
    cpfCnpj->installEventFilter(this);
}

void CampoCpfCnpj::sair() {
    const bool peloMouse = std::exchange(m_saiuPeloMouse, false);
    m_cpfCnpj->definirTextoDigitado(FormatarCpfCnpj(m_cpfCnpj->text()));
    m_cpfCnpj->entregarTexto();
    if (!m_nome || !m_oferta)
        return;
    const QString nome = m_nome->text();
    const QString numero = m_cpfCnpj->text();
    if (nome.isEmpty() || numero.isEmpty())
        return;
    const QPointer<QAbstractButton> botao = peloMouse ? botaoQueTirouOFoco() : nullptr;
    if (m_oferta(nome, numero) && botao)
        seguirClique(botao);
}

QAbstractButton *CampoCpfCnpj::botaoQueTirouOFoco() const {
    // While the field is being left the focus already sits on where it went.
    auto *botao = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
    if (!botao || !botao->isEnabled() || botao->window() != m_cpfCnpj->window())
        return nullptr;
    return botao;
}

void CampoCpfCnpj::seguirClique(QAbstractButton *botao) {
    desarmar();
    m_botaoPendente = botao;
    botao->installEventFilter(this);
    // The press comes as soon as the leave handler returns; a focus given without a press
    // brings none, and the next turn of the event loop gives up waiting.
    QTimer::singleShot(0, this, [this, botao] {
        if (m_botaoPendente == botao)
            desarmar();
    });
}

void CampoCpfCnpj::desarmar() {
    if (m_botaoPendente)
        m_botaoPendente->removeEventFilter(this);
    m_botaoPendente = nullptr;
}

bool CampoCpfCnpj::eventFilter(QObject *objeto, QEvent *evento) {
    if (objeto == m_cpfCnpj) {
        if (evento->type() == QEvent::FocusOut)
            m_saiuPeloMouse = static_cast<QFocusEvent *>(evento)->reason() == Qt::MouseFocusReason;
        return false;
    }
    if (m_botaoPendente && objeto == m_botaoPendente &&
        evento->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(evento)->button() == Qt::LeftButton) {
        // The release went to the question box: the press alone stands for the click.
        const QPointer<QAbstractButton> botao = m_botaoPendente;
        desarmar();
        if (botao->isEnabled())
            botao->click();
        return true;
    }
    return QObject::eventFilter(objeto, evento);
}
