#include "ProcessoAuxiliar.h"

#include "AcessoBanco.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "Firebird.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr char k_copiar[] = "--talvano-auxiliar-copiar";
constexpr char k_restaurar[] = "--talvano-auxiliar-restaurar";
// What the helper writes before its figures and before its error, so that whatever the
// engine prints on the same channels is not taken for them.
constexpr char k_contagem[] = "TALVANO-CONTAGEM ";
constexpr char k_erro[] = "TALVANO-ERRO ";

volatile std::sig_atomic_t g_interrompido = 0;

QString usuario() {
    return QString::fromLatin1(TDatamodule1::usuario());
}
QString senha() {
    return QString::fromLatin1(TDatamodule1::senha());
}

ContagemBanco contarArquivo(const QString &banco) {
    const AcessoBanco acesso = AcessoBanco::para(banco);
    Fb::Conexao conexao;
    conexao.configurar(acesso.banco, acesso.usuario, acesso.senha, acesso.papel);
    conexao.conectar();
    return ContagemBanco::contar(conexao);
}

// A register on a server goes on being used by the desks while the server backs it up: the
// figures are read before and after, and a backup made while they changed is made again, so
// that the figures given are those of the backup.
ContagemBanco copiarDoServidor(const QString &origem, const QString &destino) {
    const AcessoBanco acesso = AcessoBanco::para(origem);
    Fb::Conexao conexao;
    conexao.configurar(acesso.banco, acesso.usuario, acesso.senha, acesso.papel);
    conexao.conectar();
    ContagemBanco antes = ContagemBanco::contar(conexao);
    for (int tentativa = 1;; ++tentativa) {
        Fb::copiarBanco(origem, destino, acesso.usuario, acesso.senha);
        const ContagemBanco depois = ContagemBanco::contar(conexao);
        if (depois == antes || tentativa == 3)
            return antes;
        antes = depois;
        QFile::remove(destino);
    }
}

int trabalhar(const char *acao, const QString &origem, const QString &destino) {
    int status = 0;
    try {
        ContagemBanco n;
        if (std::strcmp(acao, k_copiar) == 0 && AcessoBanco::enderecoDeServidor(origem)) {
            n = copiarDoServidor(origem, destino);
        } else if (std::strcmp(acao, k_copiar) == 0) {
            // The attachment holds the database while the backup reads it, so nobody changes it
            // between the count and the copy.
            Fb::Conexao conexao;
            conexao.configurar(origem, usuario(), senha());
            conexao.conectar();
            n = ContagemBanco::contar(conexao);
            Fb::copiarBanco(origem, destino, usuario(), senha());
        } else {
            const AcessoBanco acesso = AcessoBanco::para(destino);
            Fb::restaurarBanco(origem, destino, acesso.usuario, acesso.senha);
            // The engine may end a restore of a cut file without an error and leave no
            // database, or half of one: only reading it back tells.
            try {
                n = contarArquivo(destino);
            } catch (const ErroSistema &e) {
                throw ErroSistema(QStringLiteral("O arquivo de cópia %1 está incompleto ou "
                                                 "danificado: restaurado, não dá um banco de dados "
                                                 "que se possa ler.\n\n%2")
                                      .arg(QDir::toNativeSeparators(origem), e.mensagem()),
                                  e.codigos());
            }
        }
        std::fprintf(stdout, "\n%s%s\n", k_contagem, n.paraTexto().toUtf8().constData());
    } catch (const ErroSistema &e) {
        QString codigos;
        for (long c : e.codigos())
            codigos += QString::number(c) + u' ';
        std::fprintf(stderr, "\n%s%s\n%s", k_erro, codigos.toUtf8().constData(),
                     e.mensagem().toUtf8().constData());
        status = 1;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    Fb::encerrar();
    return status;
}

ContagemBanco executar(const char *acao, const QString &origem, const QString &destino) {
    if (g_interrompido)
        throw ErroSistema(QStringLiteral("O trabalho com a cópia de segurança foi interrompido."));
    QProcess auxiliar;
    auxiliar.setStandardInputFile(QProcess::nullDevice());
    auxiliar.setChildProcessModifier([] {
        // The helper goes with the program, whatever ends the program.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The engine does not open its files close-on-exec: a helper must not inherit the
        // database this process holds, nor the lock that comes with it.
        if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
            for (int fd = 3; fd < 4096; ++fd)
                ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    });
    auxiliar.start(QCoreApplication::applicationFilePath(),
                   {QString::fromLatin1(acao), origem, destino});
    if (!auxiliar.waitForStarted(30000))
        throw ErroSistema(QStringLiteral("Não foi possível iniciar o processo da cópia de "
                                         "segurança: %1")
                              .arg(auxiliar.errorString()));
    while (!auxiliar.waitForFinished(100)) {
        if (g_interrompido) {
            auxiliar.kill();
            auxiliar.waitForFinished(-1);
            throw ErroSistema(
                QStringLiteral("O trabalho com a cópia de segurança foi interrompido."));
        }
    }
    const QString saida = QString::fromUtf8(auxiliar.readAllStandardOutput());
    const QString erros = QString::fromUtf8(auxiliar.readAllStandardError());
    if (auxiliar.exitStatus() != QProcess::NormalExit)
        throw ErroSistema(
            std::strcmp(acao, k_restaurar) == 0
                ? QStringLiteral("O arquivo de cópia %1 está danificado: o banco de dados "
                                 "parou ao restaurá-lo.")
                      .arg(QDir::toNativeSeparators(origem))
                : QStringLiteral("O banco de dados parou ao fazer a cópia de %1. Veja se o "
                                 "programa não está aberto em outra sessão.")
                      .arg(QDir::toNativeSeparators(origem)));
    // A restore whose file ends early asks on the console for the next volume, and may
    // then end without an error: a cut file all the same.
    if (std::strcmp(acao, k_restaurar) == 0 &&
        (saida.contains(QLatin1String("Done with volume")) ||
         QString(saida + erros).contains(QLatin1String("Backup incomplete"))))
        throw ErroSistema(QStringLiteral("O arquivo de cópia %1 está incompleto: termina antes "
                                         "do fim da cópia.")
                              .arg(QDir::toNativeSeparators(origem)));
    const qsizetype inicioErro = erros.lastIndexOf(QLatin1String(k_erro));
    if (inicioErro >= 0) {
        const QString resto = erros.mid(inicioErro + qsizetype(std::strlen(k_erro)));
        std::vector<long> codigos;
        for (const QString &c : resto.section(u'\n', 0, 0).split(u' ', Qt::SkipEmptyParts))
            codigos.push_back(c.toLong());
        throw ErroSistema(resto.section(u'\n', 1).trimmed(), std::move(codigos));
    }
    if (auxiliar.exitCode() != 0)
        throw ErroSistema(erros.trimmed());
    const qsizetype inicio = saida.lastIndexOf(QLatin1String(k_contagem));
    const auto n =
        inicio < 0 ? std::nullopt
                   : ContagemBanco::deTexto(saida.mid(inicio + qsizetype(std::strlen(k_contagem)))
                                                .section(QLatin1Char('\n'), 0, 0));
    if (!n)
        throw ErroSistema(
            QStringLiteral("O processo da cópia de segurança terminou sem dar as contagens."));
    return *n;
}

} // namespace

namespace ProcessoAuxiliar {

std::optional<int> atender(int argc, char **argv) {
    if (argc != 4 ||
        (std::strcmp(argv[1], k_copiar) != 0 && std::strcmp(argv[1], k_restaurar) != 0))
        return std::nullopt;
    return trabalhar(argv[1], QFile::decodeName(argv[2]), QFile::decodeName(argv[3]));
}

ContagemBanco copiar(const QString &banco, const QString &arquivo) {
    return executar(k_copiar, banco, arquivo);
}

ContagemBanco restaurar(const QString &arquivo, const QString &banco) {
    return executar(k_restaurar, arquivo, banco);
}

void interromper() {
    g_interrompido = 1;
}

bool interrompido() {
    return g_interrompido != 0;
}

void retomar() {
    g_interrompido = 0;
}

} // namespace ProcessoAuxiliar
