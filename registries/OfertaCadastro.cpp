#include "OfertaCadastro.h"

#include "Avisador.h"
#include "Datamodule1.h"

bool oferecerCadastroDeCliente(const QString &nome, const QString &cpfCnpj) {
    TDatamodule1 &dm = TDatamodule1::instancia();
    if (dm.clientePorCpfCnpj(cpfCnpj))
        return false;
    if (Avisador::atual().pergunta(
            QStringLiteral("Deseja efetuar este Cadastro para utilizar nos próximos RECIBOS?")))
        dm.cadastrarCliente(nome, cpfCnpj);
    return true;
}
