#include "Avisador.h"

namespace {
Avisador *g_instalado = nullptr;
}

Avisador &Avisador::atual() {
    static AvisadorGravador mudo;
    return g_instalado ? *g_instalado : mudo;
}

void Avisador::instalar(Avisador *avisador) {
    g_instalado = avisador;
}
