#include "Aplicacao.h"
#include "AvisadorCaixas.h"
#include "Datamodule1.h"
#include "Inicializacao.h"

int main(int argc, char **argv) {
    TDatamodule1::prepararAmbiente();
    Aplicacao app(argc, argv);
    AvisadorCaixas caixas;
    Avisador::instalar(&caixas);
    const int status = executarPrograma(TDatamodule1::caminhoPadrao());
    TDatamodule1::encerrarBanco();
    return status;
}
