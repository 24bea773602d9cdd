#include "DBLookupComboBox.h"

#include "Campo.h"
#include "Conjunto.h"
#include "Protegido.h"

TDBLookupComboBox::TDBLookupComboBox(QWidget *parent)
    : QComboBox(parent), m_ligacao(new LigacaoCampo(this)), m_lista(new LigacaoCampo(this)) {
    m_ligacao->aoMostrar = [this] { mostrarValor(); };
    m_lista->aoMostrar = [this] { recarregarLista(); };
    connect(this, &QComboBox::activated, this, [this](int i) { protegido([&] { escolhido(i); }); });
}

void TDBLookupComboBox::vincular(QObject *modulo) {
    m_lista->vincular(modulo);
    m_ligacao->vincular(modulo);
}

void TDBLookupComboBox::recarregarLista() {
    // The list dataset moves its current row when browsed elsewhere; only its rows matter.
    Conjunto *lista = m_lista->conjunto();
    const Campo *chave = m_lista->campo();
    const Campo *mostrado =
        lista ? lista->campo(m_campoLista.isEmpty() ? m_lista->nomeCampo : m_campoLista) : nullptr;
    m_recarregando = true;
    clear();
    if (m_lista->ativa() && mostrado) {
        lista->carregarTudo();
        for (int i = 0; i < lista->linhasCarregadas(); ++i)
            addItem(Campo::formatar(mostrado->tipo(), lista->valor(i, mostrado->indice())),
                    lista->valor(i, chave->indice()));
    }
    m_recarregando = false;
    mostrarValor();
}

void TDBLookupComboBox::mostrarValor() {
    if (m_recarregando)
        return;
    const Campo *c = campo();
    setCurrentIndex(m_ligacao->ativa() && !c->nulo() ? findData(c->valor()) : -1);
}

void TDBLookupComboBox::escolhido(int indice) {
    if (indice < 0 || !m_ligacao->iniciarEdicao()) {
        mostrarValor();
        return;
    }
    campo()->definirValor(itemData(indice));
}
