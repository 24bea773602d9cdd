// A program that prepares a long list and exports it, for the tests that kill an export half
// way: exportar_filho FORMATO ARQUIVO LINHAS. Says "exportando" once it starts writing.
#include "RelatoriosDeTeste.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    if (argc < 4)
        return 2;
    const QString formato = QString::fromLocal8Bit(argv[1]);
    const QString arquivo = QString::fromLocal8Bit(argv[2]);
    ListaDeClientes lista(QByteArray(argv[3]).toInt());
    const RelatorioPreparado &r = lista.preparado();
    std::printf("exportando\n");
    std::fflush(stdout);
    exportarNoFormato(formato, r, arquivo);
    return 0;
}
