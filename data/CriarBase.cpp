// talvano-criar-base: creates the database file the program works on.
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "Esquema.h"
#include "Firebird.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream saida(stdout), erro(stderr);
    const QString uso =
        QStringLiteral("Uso: talvano-criar-base [--modo simples|completo] [CAMINHO]\n");

    Esquema::Modo modo = Esquema::Modo::Simples;
    QString caminho;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--modo") && i + 1 < args.size()) {
            const QString m = args[++i];
            if (m == QLatin1String("simples"))
                modo = Esquema::Modo::Simples;
            else if (m == QLatin1String("completo"))
                modo = Esquema::Modo::Completo;
            else {
                erro << "Modo desconhecido: " << m << "\n" << uso;
                return 2;
            }
        } else if (a == QLatin1String("--ajuda") || a == QLatin1String("-h") ||
                   a == QLatin1String("--help")) {
            saida << uso;
            return 0;
        } else if (a.startsWith(QLatin1Char('-')) || !caminho.isEmpty()) {
            erro << "Argumento inválido: " << a << "\n" << uso;
            return 2;
        } else {
            caminho = a;
        }
    }
    if (caminho.isEmpty())
        caminho = TDatamodule1::caminhoPadrao();

    int status = 0;
    try {
        Esquema::criarBanco(caminho, modo);
        saida << "Banco de dados criado em " << QDir::toNativeSeparators(caminho) << "\n";
    } catch (const ErroSistema &e) {
        erro << "Erro: " << e.mensagem() << "\n";
        status = 1;
    }
    Fb::encerrar();
    return status;
}
