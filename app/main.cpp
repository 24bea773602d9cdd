#include "Aplicacao.h"
#include "AvisadorCaixas.h"
#include "Datamodule1.h"
#include "Inicializacao.h"
#include "fb/Firebird.h"

int main(int argc, char **argv) {
    Fb::prepararAmbiente();
    Aplicacao app(argc, argv);
    AvisadorCaixas caixas;
    Avisador::instalar(&caixas);
    const int status = executarPrograma(TDatamodule1::caminhoPadrao());
    Fb::encerrar();
    return status;
}
