// Figures for the backup of a large register: the engine's backup, its verification by a
// restore into a scratch database, and the restore a user asks for, with the backup's size.
// Works on a copy of the database it is given, which stays as it was.
//
//   build/bench/bench_copia ARQUIVO_OU_PASTA   (a DADOS.GDB filled by bench_dados)
#include "Copias.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "ProcessoAuxiliar.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {

double segundos(const QElapsedTimer &relogio) {
    return double(relogio.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv) {
    if (const auto status = ProcessoAuxiliar::atender(argc, argv))
        return *status;
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::puts("Uso: bench_copia ARQUIVO_OU_PASTA (um DADOS.GDB preenchido por bench_dados)");
        return 0;
    }
    QString origem = QFile::decodeName(argv[1]);
    if (QFileInfo(origem).isDir())
        origem = QDir(origem).filePath(QStringLiteral("DADOS.GDB"));
    QTemporaryDir pasta;
    const QString banco = pasta.filePath(QStringLiteral("DADOS.GDB"));
    if (!pasta.isValid() || !QFile::copy(origem, banco)) {
        std::fprintf(stderr, "não foi possível copiar %s\n", qPrintable(origem));
        return 1;
    }
    int status = 0;
    try {
        Copias copias(banco);
        const QString arquivo = copias.arquivoDoDia(QDate::currentDate());
        QDir().mkpath(copias.pasta());
        QElapsedTimer relogio;
        relogio.start();
        const ContagemBanco contagem = ProcessoAuxiliar::copiar(banco, arquivo);
        const double copia = segundos(relogio);
        relogio.restart();
        const auto motivo = copias.verificar(arquivo, contagem);
        const double verificacao = segundos(relogio);
        std::printf("%s\n", qPrintable(contagem.descrever()));
        std::printf("cópia do motor: %.1f s, %.1f MB (banco de %.1f MB)\n", copia,
                    double(QFileInfo(arquivo).size()) / 1e6, double(QFileInfo(banco).size()) / 1e6);
        std::printf("verificação (restauração em banco de rascunho e contagens): %.1f s, %s\n",
                    verificacao, motivo ? qPrintable(*motivo) : "confere");
        std::printf("cópia verificada, como ao fechar o programa: %.1f s\n", copia + verificacao);

        relogio.restart();
        const Copias::Restauracao r = copias.restaurar(arquivo);
        std::printf("restauração pedida (talvano-copia --restaurar): %.1f s, %s\n",
                    segundos(relogio), r.contagem == contagem ? "confere" : "NÃO CONFERE");
    } catch (const ErroSistema &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.mensagem()));
        status = 1;
    }
    TDatamodule1::encerrarBanco();
    return status;
}
