// Child process of the durability test: from issuer number `primeiro` on, posts issuers with a
// logo, one after another, and commits after every third. It says on stdout when it starts
// each post (which writes the logo's BLOB) and each commit, and when the commit has returned,
// and goes on until it is killed.
#include "Datamodule1.h"
#include "Duravel.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv) {
    TDatamodule1::prepararAmbiente();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    TDatamodule1 dm(args.at(1));
    const int primeiro = args.at(2).toInt();
    dm.Emitente->abrir();
    std::printf("PRONTO\n");
    std::fflush(stdout);
    for (int n = primeiro;; ++n) {
        dm.Emitente->inserir();
        dm.EmitenteEMITENTE->definirValor(nomeDuravel(n));
        dm.EmitenteCIDADE->definirValor(cidadeDuravel(n));
        dm.EmitenteFOTO_MARC->definirValor(fotoDuravel(n));
        std::printf("GRAVANDO %d\n", n);
        std::fflush(stdout);
        dm.Emitente->gravar();
        if (n % 3 == 2) {
            std::printf("CONFIRMANDO %d\n", n);
            std::fflush(stdout);
            dm.confirmar();
            std::printf("CONFIRMADO %d\n", n);
            std::fflush(stdout);
        }
    }
}
