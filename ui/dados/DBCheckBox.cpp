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

// A value that is neither flag shows the box undetermined; a click then ticks it.
void TDBCheckBox::mostrarValor() {
    const QString valor = m_ligacao->ativa() ? campo()->texto().trimmed() : m_desmarcado;
    const bool marcado = valor.compare(m_marcado, Qt::CaseInsensitive) == 0;
    if (!marcado && valor.compare(m_desmarcado, Qt::CaseInsensitive) != 0) {
        setCheckState(Qt::PartiallyChecked);
        return;
    }
    setTristate(false);
    setChecked(marcado);
}

void TDBCheckBox::clicado(bool marcado) {
    try {
        if (!m_ligacao->iniciarEdicao()) {
            mostrarValor();
            return;
        }
        campo()->definirValor(marcado ? m_marcado : m_desmarcado);
        // Leaves the undetermined state once a flag is written.
        mostrarValor();
    } catch (...) {
        mostrarValor();
        throw;
    }
}
