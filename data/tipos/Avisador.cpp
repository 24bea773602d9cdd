#include "Avisador.h"

namespace {

Avisador *g_instalado = nullptr;

// Before the program installs its message boxes, and in tools without windows.
class AvisadorMudo : public Avisador {
public:
    void mensagem(const QString &) override {}
    void erro(const QString &) override {}
    Resposta perguntar(const QString &) override { return Resposta::Nao; }
    void bipe() override {}
};

} // namespace

Avisador &Avisador::atual() {
    static AvisadorMudo mudo;
    return g_instalado ? *g_instalado : mudo;
}

void Avisador::instalar(Avisador *avisador) {
    g_instalado = avisador;
}
