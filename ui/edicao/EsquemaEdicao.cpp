#include "EsquemaEdicao.h"

#include "Avisador.h"
#include "Conjunto.h"
#include "ErroSistema.h"

#include <QtGui/QKeyEvent>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>

EsquemaEdicao::EsquemaEdicao(QWidget *janela, QAbstractButton *BTsalvar,
                             QAbstractButton *BTcancelar, const QList<QWidget *> &listaRestaura)
    : QObject(janela), m_janela(janela), m_salvar(BTsalvar), m_cancelar(BTcancelar) {
    for (QWidget *w : listaRestaura)
        m_lista << w;
    // The window sees every key before its controls do.
    qApp->installEventFilter(this);
}

EsquemaEdicao::~EsquemaEdicao() {
    qApp->removeEventFilter(this);
}

Conjunto &EsquemaEdicao::dataset() const {
    Conjunto *c = conjunto ? conjunto() : nullptr;
    if (!c)
        throw ErroSistema(QStringLiteral("O módulo de dados não foi criado."));
    return *c;
}

void EsquemaEdicao::restaura() {
    for (const auto &w : std::as_const(m_lista))
        if (w)
            w->setEnabled(!w->isEnabled());
}

void EsquemaEdicao::habilitar(const QList<QWidget *> &controles, bool habilitado) {
    for (QWidget *w : controles)
        if (w)
            w->setEnabled(habilitado);
}

bool EsquemaEdicao::editando() const {
    return m_salvar && m_salvar->isEnabled();
}

void EsquemaEdicao::focarPrimeiro() {
    if (primeiroCampo && primeiroCampo->isEnabled())
        primeiroCampo->setFocus(Qt::OtherFocusReason);
}

void EsquemaEdicao::novo() {
    dataset().inserir();
    if (padroes)
        padroes();
    restaura();
    focarPrimeiro();
}

void EsquemaEdicao::alterar() {
    dataset().editar();
    restaura();
    focarPrimeiro();
}

void EsquemaEdicao::salvar() {
    if (verificar && !verificar())
        return;
    Conjunto &c = dataset();
    c.editar();
    c.gravar();
    if (confirmar)
        confirmar();
    Avisador::atual().mensagem(mensagemSalvo);
    restaura();
}

void EsquemaEdicao::cancelar() {
    dataset().cancelar();
    restaura();
}

void EsquemaEdicao::excluir() {
    if (!Avisador::atual().pergunta(perguntaExcluir))
        return;
    dataset().excluir();
    // Nothing can take a deletion back: it is made permanent at once.
    if (confirmar)
        confirmar();
}

void EsquemaEdicao::sair() {
    if (editando()) {
        if (campoChave && campoChave->text().isEmpty()) {
            m_janela->close();
            return;
        }
        // Through the buttons' click, so both paths behave exactly as a click. Only "Não"
        // drops what was typed: a question put away leaves the window as it was.
        switch (
            Avisador::atual().perguntar(QStringLiteral("Deseja salvar os dados antes de Sair?"))) {
        case Avisador::Resposta::Sim:
            m_salvar->click();
            // A save that failed or was refused told why, and the record is still there to
            // put right: the window stays.
            if (editando())
                return;
            break;
        case Avisador::Resposta::Nao:
            m_cancelar->click();
            break;
        case Avisador::Resposta::Desistiu:
            return;
        }
    } else if (pendenteSemEdicao && !resolverPendente(QStringLiteral("Sair"))) {
        return;
    }
    m_janela->close();
}

bool EsquemaEdicao::resolverPendente(const QString &acao) {
    Conjunto &c = dataset();
    if (!c.emEdicao())
        return true;
    switch (Avisador::atual().perguntar(
        QStringLiteral("Deseja salvar os dados antes de %1?").arg(acao))) {
    case Avisador::Resposta::Sim:
        c.gravar();
        if (confirmar)
            confirmar();
        Avisador::atual().mensagem(mensagemSalvo);
        return true;
    case Avisador::Resposta::Nao:
        c.cancelar();
        return true;
    case Avisador::Resposta::Desistiu:
        break;
    }
    return false;
}

bool EsquemaEdicao::focarProximo(QWidget *janela) {
    QWidget *inicio = QApplication::focusWidget();
    if (!inicio || inicio->window() != janela)
        inicio = janela;
    for (QWidget *w = inicio->nextInFocusChain(); w && w != inicio; w = w->nextInFocusChain()) {
        if (w == janela || w->window() != janela)
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isEnabled() &&
            w->isVisibleTo(janela) && !w->focusProxy()) {
            w->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

bool EsquemaEdicao::FormKeyPress(QKeyEvent *evento) {
    if (evento->key() != Qt::Key_Return && evento->key() != Qt::Key_Enter)
        return false;
    focarProximo(m_janela);
    return true;
}

bool EsquemaEdicao::eventFilter(QObject *objeto, QEvent *evento) {
    if (evento->type() != QEvent::KeyPress || !objeto->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(objeto);
    if (w->window() != m_janela)
        return false;
    auto *tecla = static_cast<QKeyEvent *>(evento);
    // A record window is left with Sair or the close box only.
    if (tecla->key() == Qt::Key_Escape && tecla->modifiers() == Qt::NoModifier)
        return true;
    return FormKeyPress(tecla);
}
