// A desk at work on a register on a server, as a process of its own: issues receipts through
// the data module as the receipt window does (insert, post, commit) and prints each number it
// was given, with the time each save took. The password comes on stdin, never on the command
// line.
//
// mesa_servidor ENDERECO CONTA RECIBOS MARCA [INICIO]
// INICIO: the moment (nanoseconds of the real-time clock) at which to issue the first receipt,
// so that several desks started one after another work at the same time.
#include "AcessoBanco.h"
#include "Datamodule1.h"
#include "Dinheiro.h"
#include "ErroSistema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "uso: mesa_servidor ENDERECO CONTA RECIBOS MARCA [INICIO]\n");
        return 2;
    }
    std::string senha;
    std::getline(std::cin, senha);
    const AcessoBanco acesso{QString::fromUtf8(argv[1]), QString::fromUtf8(argv[2]),
                             QString::fromStdString(senha), AcessoBanco::papelDasMesas()};
    const int recibos = std::atoi(argv[3]);
    const QString marca = QString::fromUtf8(argv[4]);
    int status = 0;
    try {
        TDatamodule1 dm(acesso);
        dm.Recibos->substituirSql({QStringLiteral("SELECT * FROM RECIBOS WHERE 1 = 0")});
        dm.garantirConexao();
        const qint64 inicio = argc == 6 ? QByteArray(argv[5]).toLongLong() : 0;
        while (QDateTime::currentMSecsSinceEpoch() * 1000000 < inicio)
            QThread::usleep(500);
        QElapsedTimer relogio;
        for (int i = 0; i < recibos; ++i) {
            relogio.start();
            dm.Recibos->inserir();
            dm.RecibosCLIENTE->definirValor(marca);
            dm.RecibosVALOR->definirValor(QVariant::fromValue(Dinheiro::deCentavos(100 + i)));
            dm.RecibosREFERENTE->definirValor(QStringLiteral("%1 nº %2").arg(marca).arg(i));
            dm.RecibosTIPO->definirValor(QStringLiteral("DEVEDOR"));
            dm.Recibos->gravar();
            dm.confirmar();
            std::printf("%d %lld\n", dm.RecibosID_RECIBO->valor().toInt(),
                        static_cast<long long>(relogio.nsecsElapsed()));
        }
    } catch (const ErroSistema &e) {
        std::fprintf(stderr, "%s\n", e.mensagem().toUtf8().constData());
        status = 1;
    }
    std::fflush(stdout);
    TDatamodule1::encerrarBanco();
    return status;
}
