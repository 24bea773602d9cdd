#include "DBCheckBox.h"

#include "Campo.h"
#include "Protegido.h"

TDBCheckBox::TDBCheckBox(QWidget *parent) : QCheckBox(parent), m_ligacao(new LigacaoCampo(this)) {
    m_ligacao->aoMostrar = [this] { mostrarValor(); };
    connect(this, &QCheckBox::clicked, this, [this](bool m) { protegido([&] { clicado(m); }); });
}

void TDBCheckBox::vincular(QObject *modulo) {
    m_ligacao->vincular(modulo);
}

void TDBCheckBox::mostrarValor() {
    setChecked(m_ligacao->ativa() &&
               campo()->texto().trimmed().compare(m_marcado, Qt::CaseInsensitive) == 0);
}

void TDBCheckBox::clicado(bool marcado) {
    try {
        if (!m_ligacao->iniciarEdicao()) {
            mostrarValor();
            return;
        }
        campo()->definirValor(marcado ? m_marcado : m_desmarcado);
    } catch (...) {
        mostrarValor();
        throw;
    }
}
