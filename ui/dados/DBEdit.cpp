#include "DBEdit.h"

#include "Campo.h"
#include "Conjunto.h"
#include "ErroSistema.h"
#include "Protegido.h"
#include "Win1252.h"

#include <QtGui/QFocusEvent>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>

TDBEdit::TDBEdit(QWidget *parent) : QLineEdit(parent), m_ligacao(new LigacaoCampo(this)) {
    m_ligacao->aoMostrar = [this] { mostrarValor(); };
    m_ligacao->aoEntregar = [this] { entregarTexto(); };
    connect(this, &QLineEdit::textEdited, this,
            [this](const QString &t) { protegido([&] { textoEditado(t); }); });
}

void TDBEdit::vincular(QObject *modulo) {
    m_ligacao->vincular(modulo);
}

void TDBEdit::vincular(FonteDados *fonte, const QString &campo) {
    m_ligacao->nomeCampo = campo;
    m_ligacao->vincular(fonte, campo);
}

QString TDBEdit::comCaixa(const QString &texto) const {
    switch (m_caixa) {
    case Maiusculas:
        return Win1252::maiusculas(texto);
    case Minusculas:
        return Win1252::minusculas(texto);
    case Normal:
        break;
    }
    return texto;
}

void TDBEdit::mostrarValor() {
    const Campo *c = campo();
    if (c) {
        m_mascara = MascaraEdicao::converter(c->mascaraEdicao());
        if (inputMask() != m_mascara.mascaraQt)
            setInputMask(m_mascara.mascaraQt);
        if (m_mascara.mascaraQt.isEmpty())
            setMaxLength(c->tamanho() > 0 ? c->tamanho() : 32767);
    }
    setReadOnly(!m_ligacao->ativa());
    m_pendente = false;
    setText(m_ligacao->ativa() ? c->texto() : QString());
    setCursorPosition(0);
}

void TDBEdit::textoEditado(const QString &texto) {
    const QString convertido = comCaixa(texto);
    if (convertido != texto) {
        const int cursor = cursorPosition();
        setText(convertido);
        setCursorPosition(cursor);
    }
    if (!m_ligacao->ativa())
        return;
    try {
        if (!m_ligacao->iniciarEdicao()) {
            mostrarValor();
            return;
        }
    } catch (...) {
        mostrarValor();
        throw;
    }
    m_pendente = true;
}

void TDBEdit::definirTextoDigitado(const QString &texto) {
    if (m_ligacao->ativa() && !m_ligacao->iniciarEdicao())
        return;
    setText(comCaixa(texto));
    m_pendente = true;
}

void TDBEdit::entregarTexto() {
    if (!m_pendente || !m_ligacao->emEdicao() || !campo())
        return;
    const QString t = text();
    if (!m_mascara.mascaraQt.isEmpty()) {
        if (m_mascara.vazio(t)) {
            campo()->definirTexto(QString());
            m_pendente = false;
            return;
        }
        if (!hasAcceptableInput())
            throw ErroSistema(QStringLiteral("\"%1\" não está completo no formato do campo. "
                                             "Complete os dígitos que faltam ou apague o campo.")
                                  .arg(displayText()));
        campo()->definirTexto(m_mascara.valorDoTexto(t));
    } else {
        campo()->definirTexto(t);
    }
    m_pendente = false;
}

void TDBEdit::focusOutEvent(QFocusEvent *evento) {
    QLineEdit::focusOutEvent(evento);
    // Another window taking the focus (a message box, a popup) is not leaving the field.
    if (evento->reason() == Qt::ActiveWindowFocusReason || evento->reason() == Qt::PopupFocusReason)
        return;
    // A field disabled while focused (the window leaving the editing layout) hands its text
    // over when the record is posted.
    if (!isEnabled())
        return;
    try {
        entregarTexto();
    } catch (...) {
        // Left for a button of the window, an unreadable text is the button's business:
        // Salvar refuses it once when it posts, Cancelar drops it without a complaint.
        const QWidget *destino = QApplication::focusWidget();
        if (qobject_cast<const QAbstractButton *>(destino) && destino->window() == window())
            return;
        // The text stays as typed and the user stays in the field to put it right.
        setFocus(Qt::OtherFocusReason);
        tratarErro(std::current_exception());
        return;
    }
    Q_EMIT saiu();
}
