// Run as an ordinary user on a machine where root has already used Firebird:
// creates a database in the user's home, stores a client, reads it back.
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "Esquema.h"
#include "Firebird.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    int falhas = 0;
    try {
        const QString caminho = TDatamodule1::caminhoPadrao();
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        {
            TDatamodule1 dm(caminho);
            dm.Clientes->abrir();
            dm.Clientes->inserir();
            dm.ClientesCLIENTE->definirValor(QStringLiteral("Usuário Comum"));
            dm.Clientes->gravar();
            dm.Tra->commitRetaining();
        }
        TDatamodule1 dm(caminho);
        dm.Clientes->abrir();
        if (dm.ClientesCLIENTE->valor().toString() != QStringLiteral("Usuário Comum"))
            ++falhas;
    } catch (const ErroSistema &e) {
        std::fprintf(stderr, "%s\n", e.mensagem().toLocal8Bit().constData());
        ++falhas;
    }
    Fb::encerrar();
    std::printf("%d passed, %d failed\n", falhas ? 0 : 1, falhas);
    return falhas ? 1 : 0;
}
