#include "Aplicacao.h"
#include "AvisadorCaixas.h"
#include "Datamodule1.h"
#include "FimDoPrograma.h"
#include "Inicializacao.h"
#include "ProcessoAuxiliar.h"

int main(int argc, char **argv) {
    // The program started again as the helper that backs up or restores the database.
    if (const auto status = ProcessoAuxiliar::atender(argc, argv))
        return *status;
    TDatamodule1::prepararAmbiente();
    // The engine starts while Qt and the windows do.
    TDatamodule1::anteciparConexao(TDatamodule1::caminhoPadrao());
    Aplicacao app(argc, argv);
    AvisadorCaixas caixas;
    Avisador::instalar(&caixas);
    const int status = executarPrograma(TDatamodule1::caminhoPadrao());
    TDatamodule1::encerrarBanco();
    // The windows are gone: the backup keeps nobody waiting in front of the screen.
    if (status == 0)
        FimDoPrograma::copiaDoDia(TDatamodule1::caminhoPadrao());
    return status;
}
