#include "Aplicacao.h"
#include "AvisadorCaixas.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "FimDoPrograma.h"
#include "Inicializacao.h"
#include "ProcessoAuxiliar.h"
#include "Protegido.h"

int main(int argc, char **argv) {
    // The program started again as the helper that backs up or restores the database.
    if (const auto status = ProcessoAuxiliar::atender(argc, argv))
        return *status;
    TDatamodule1::prepararAmbiente();
    // The embedded file, or the server this desk was set to use.
    AcessoBanco acesso;
    std::exception_ptr erroDaMesa;
    try {
        acesso = AcessoBanco::daMesa();
        // The engine starts while Qt and the windows do.
        TDatamodule1::anteciparConexao(acesso);
    } catch (const ErroSistema &) {
        erroDaMesa = std::current_exception();
    }
    Aplicacao app(argc, argv);
    AvisadorCaixas caixas;
    Avisador::instalar(&caixas);
    if (erroDaMesa) {
        tratarErro(erroDaMesa);
        return 1;
    }
    const int status = executarPrograma(acesso);
    TDatamodule1::encerrarBanco();
    // The windows are gone: the backup keeps nobody waiting in front of the screen. A
    // register on a server is backed up on the server.
    if (status == 0 && !acesso.noServidor())
        FimDoPrograma::copiaDoDia(acesso.banco);
    return status;
}
