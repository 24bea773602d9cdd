// Child process of the durability test: posts one client, commits it or not,
// says so on stdout and waits to be killed.
#include "Datamodule1.h"
#include "fb/Firebird.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    TDatamodule1 dm(args.at(1));
    dm.Clientes->abrir();
    dm.Clientes->inserir();
    dm.ClientesCLIENTE->definirValor(QStringLiteral("Gravado Antes Do Fim"));
    dm.Clientes->gravar();
    if (args.at(2) == QLatin1String("commit"))
        dm.Tra->commitRetaining();
    std::printf("PRONTO\n");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}
