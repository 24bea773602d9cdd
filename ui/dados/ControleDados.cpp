#include "ControleDados.h"

#include "Conjunto.h"

#include <QtWidgets/QWidget>

void vincularControles(QWidget *janela, QObject *modulo) {
    if (!janela || !modulo)
        return;
    for (QWidget *w : janela->findChildren<QWidget *>())
        if (auto *c = dynamic_cast<ControleDados *>(w))
            c->vincular(modulo);
}

Conjunto *LigacaoCampo::conjunto() const {
    return m_fonte ? m_fonte->conjunto() : nullptr;
}

void LigacaoCampo::vincular(QObject *modulo) {
    if (!modulo || nomeFonte.isEmpty())
        return;
    vincular(modulo->findChild<FonteDados *>(nomeFonte), nomeCampo);
}

void LigacaoCampo::vincular(FonteDados *fonte, const QString &campo) {
    Campo *c = fonte && fonte->conjunto() ? fonte->conjunto()->campo(campo) : nullptr;
    if (fonte == m_fonte && c == m_campo && !m_conexoes.isEmpty())
        return;
    for (const auto &conexao : std::as_const(m_conexoes))
        disconnect(conexao);
    m_conexoes.clear();
    m_fonte = fonte;
    m_campo = c;
    if (Conjunto *cj = conjunto()) {
        m_conexoes << connect(cj, &Conjunto::reiniciado, this, &LigacaoCampo::mostrar)
                   << connect(cj, &Conjunto::registroMudou, this, &LigacaoCampo::mostrar)
                   << connect(cj, &Conjunto::estadoMudou, this, &LigacaoCampo::mostrar)
                   << connect(cj, &Conjunto::campoMudou, this, [this](Campo *mudou) {
                          if (mudou == m_campo)
                              mostrar();
                      });
    }
    if (m_entregaEm != conjunto()) {
        if (m_entregaEm)
            m_entregaEm->removerEntregador(this);
        m_entregaEm = conjunto();
        if (m_entregaEm)
            m_entregaEm->registrarEntregador(this);
    }
    mostrar();
}

LigacaoCampo::~LigacaoCampo() {
    if (m_entregaEm)
        m_entregaEm->removerEntregador(this);
}

void LigacaoCampo::entregarPendente() {
    if (aoEntregar && m_campo)
        aoEntregar();
}

bool LigacaoCampo::ativa() const {
    const Conjunto *cj = conjunto();
    return cj && cj->aberto() && m_campo;
}

bool LigacaoCampo::emEdicao() const {
    const Conjunto *cj = conjunto();
    return cj && cj->emEdicao();
}

bool LigacaoCampo::iniciarEdicao() {
    if (!ativa())
        return false;
    if (emEdicao())
        return true;
    if (!m_fonte->autoEdicao())
        return false;
    // The control already holds what the user typed: the dataset's notices must not
    // overwrite it with the stored value while the edit starts.
    m_iniciando = true;
    try {
        conjunto()->editar();
    } catch (...) {
        m_iniciando = false;
        throw;
    }
    m_iniciando = false;
    return emEdicao();
}

void LigacaoCampo::mostrar() {
    if (!m_iniciando && aoMostrar)
        aoMostrar();
}
