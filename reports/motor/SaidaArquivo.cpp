#include "SaidaArquivo.h"

#include "ArquivoTemporario.h"
#include "ErroDeArquivo.h"
#include "ErroSistema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString nativo(const QString &caminho) {
    return QDir::toNativeSeparators(caminho);
}

ErroSistema recusa(const QString &arquivo, const QString &motivo) {
    return ErroSistema(
        QStringLiteral("Não foi possível gravar o arquivo %1: %2.").arg(nativo(arquivo), motivo));
}

// Work files of ours that a kill may leave in a folder: ".talvano-<process>-<six letters>".
const QByteArray k_prefixo = ".talvano-";

QByteArray nomeDeTrabalho(const QByteArray &pasta) {
    static const char letras[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray sufixo(6, 'a');
    for (char &c : sufixo)
        c = letras[QRandomGenerator::global()->bounded(int(sizeof letras - 1))];
    return pasta + '/' + k_prefixo + QByteArray::number(qint64(getpid())) + '-' + sufixo;
}

// Removes the work files that programs of this user, killed while writing, left in the folder;
// once a run for each folder, which its own work files then fill.
void removerRestos(const QByteArray &pasta) {
    static std::mutex trava;
    static QSet<QByteArray> vistas;
    {
        const std::lock_guard guarda(trava);
        if (vistas.contains(pasta))
            return;
        vistas.insert(pasta);
    }
    const qint64 esteProcesso = getpid();
    DIR *dir = opendir(pasta.constData());
    if (!dir)
        return;
    while (const dirent *e = readdir(dir)) {
        const QByteArray nome(e->d_name);
        if (!nome.startsWith(k_prefixo))
            continue;
        const QList<QByteArray> partes = nome.mid(k_prefixo.size()).split('-');
        bool ok = false;
        const qint64 processo = partes.value(0).toLongLong(&ok);
        if (partes.size() != 2 || !ok || partes[1].size() != 6 || processo <= 0)
            continue;
        if (processo == esteProcesso || kill(pid_t(processo), 0) == 0 || errno != ESRCH)
            continue;
        const QByteArray caminho = pasta + '/' + nome;
        struct stat st;
        if (lstat(caminho.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid())
            unlink(caminho.constData());
    }
    closedir(dir);
}

struct Destino {
    QByteArray real;  // the file that will be replaced or created, links followed
    QByteArray pasta; // its folder
    bool existe = false;
    mode_t modo = 0; // of the file that exists
};

// Where the file chosen really goes, or why it may not be written.
Destino resolver(const QString &escolhido) {
    if (escolhido.isEmpty())
        throw ErroSistema(QStringLiteral("Nenhum nome de arquivo foi dado."));
    QByteArray caminho = QFile::encodeName(QFileInfo(escolhido).absoluteFilePath());
    for (int saltos = 0;; ++saltos) {
        const qsizetype barra = caminho.lastIndexOf('/');
        const QByteArray pasta = barra <= 0 ? QByteArray("/") : caminho.left(barra);
        const QByteArray nome = caminho.mid(barra + 1);
        if (nome.size() > NAME_MAX || caminho.size() >= PATH_MAX)
            throw recusa(escolhido, QStringLiteral("o nome é longo demais (um nome de arquivo "
                                                   "tem no máximo %1 bytes; letras acentuadas "
                                                   "contam dois)")
                                        .arg(NAME_MAX));
        struct stat st;
        if (lstat(caminho.constData(), &st) != 0) {
            if (errno != ENOENT)
                throw ErroDeArquivo::aoGravar(escolhido, errno);
            struct stat p;
            if (stat(pasta.constData(), &p) != 0 || !S_ISDIR(p.st_mode))
                throw recusa(
                    escolhido,
                    QStringLiteral("a pasta %1 não existe").arg(nativo(QFile::decodeName(pasta))));
            return {caminho, pasta, false, 0};
        }
        if (S_ISLNK(st.st_mode)) {
            struct stat p;
            if (stat(pasta.constData(), &p) == 0 && (p.st_mode & S_ISVTX) &&
                (p.st_mode & S_IWOTH) && st.st_uid != geteuid() && st.st_uid != p.st_uid)
                throw recusa(escolhido, QStringLiteral("é um atalho (link) de outro usuário numa "
                                                       "pasta compartilhada, e por segurança não é "
                                                       "seguido; escolha outro nome"));
            if (saltos >= 40)
                throw ErroDeArquivo::aoGravar(escolhido, ELOOP);
            char alvo[PATH_MAX];
            const ssize_t n = readlink(caminho.constData(), alvo, sizeof alvo - 1);
            if (n <= 0)
                throw ErroDeArquivo::aoGravar(escolhido, errno ? errno : EINVAL);
            const QByteArray destino(alvo, n);
            caminho = destino.startsWith('/') ? destino : pasta + '/' + destino;
            caminho = QFile::encodeName(QDir::cleanPath(QFile::decodeName(caminho)));
            continue;
        }
        if (S_ISDIR(st.st_mode))
            throw recusa(escolhido, QStringLiteral("é o nome de uma pasta"));
        if (!S_ISREG(st.st_mode))
            throw recusa(escolhido, QStringLiteral("não é um arquivo comum (é um dispositivo, "
                                                   "um canal ou um soquete)"));
        // Made read-only on purpose (no write permission at all), or not the user's to change.
        const bool semEscrita = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        if (semEscrita || access(caminho.constData(), W_OK) != 0)
            throw recusa(escolhido,
                         !semEscrita && errno == EROFS
                             ? ErroDeArquivo::motivo(EROFS)
                             : QStringLiteral("o arquivo que já existe é somente leitura, e foi "
                                              "mantido como estava"));
        return {caminho, pasta, true, mode_t(st.st_mode & 07777)};
    }
}

} // namespace

struct SaidaArquivo::Dados {
    QString escolhido;
    Destino destino;
    int fd = -1;
    qint64 fim = 0;     // bytes written: the next append goes there
    QByteArray nomeado; // the work file's name when the disk has no unnamed files
    std::unique_ptr<DispositivoDeEscrita> dispositivo;
    QByteArray pronto; // the finished file's own name, waiting to take the destination's

    [[noreturn]] void falhar(int erro) const { throw ErroDeArquivo::aoGravar(escolhido, erro); }
};

void SaidaArquivo::conferirDestino(const QString &destino) {
    resolver(destino);
}

SaidaArquivo::SaidaArquivo(const QString &destino) : d(std::make_unique<Dados>()) {
    d->escolhido = destino;
    d->destino = resolver(destino);
    removerRestos(d->destino.pasta);
    const mode_t modo = d->destino.existe ? 0600 : 0666;
    d->fd = open(d->destino.pasta.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, modo);
    if (d->fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A disk without unnamed files: a named one, which the next write in this folder
        // removes if a kill leaves it.
        for (int tentativa = 0; d->fd < 0 && tentativa < 20; ++tentativa) {
            d->nomeado = nomeDeTrabalho(d->destino.pasta);
            d->fd = open(d->nomeado.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, modo);
            if (d->fd < 0 && errno != EEXIST)
                break;
        }
        if (d->fd < 0)
            d->nomeado.clear();
    }
    if (d->fd < 0)
        d->falhar(errno);
    if (d->destino.existe && fchmod(d->fd, d->destino.modo) != 0)
        d->falhar(errno);
}

SaidaArquivo::~SaidaArquivo() {
    d->dispositivo.reset();
    if (d->fd >= 0)
        close(d->fd);
    if (!d->nomeado.isEmpty())
        unlink(d->nomeado.constData());
    if (!d->pronto.isEmpty())
        unlink(d->pronto.constData());
}

const QString &SaidaArquivo::destino() const {
    return d->escolhido;
}

void SaidaArquivo::escrever(const char *dados, qint64 tamanho) {
    escreverEm(d->fim, dados, tamanho);
}

void SaidaArquivo::escrever(const QByteArray &dados) {
    escrever(dados.constData(), dados.size());
}

void SaidaArquivo::escreverEm(qint64 posicao, const char *dados, qint64 tamanho) {
    while (tamanho > 0) {
        const ssize_t n = pwrite(d->fd, dados, size_t(tamanho), off_t(posicao));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            d->falhar(errno);
        }
        dados += n;
        tamanho -= n;
        posicao += n;
        d->fim = qMax(d->fim, posicao);
    }
}

void SaidaArquivo::copiarDe(const QString &arquivo) {
    const int origem = open(QFile::encodeName(arquivo).constData(), O_RDONLY | O_CLOEXEC);
    if (origem < 0)
        throw ErroSistema(QStringLiteral("Não foi possível ler o arquivo de trabalho %1: %2.")
                              .arg(nativo(arquivo), ErroDeArquivo::motivo(errno)));
    struct Fechar {
        int fd;
        ~Fechar() { close(fd); }
    } fechar{origem};
    copiarDe(origem);
}

void SaidaArquivo::copiarDe(int origem, qint64 inicio, qint64 quantos) {
    off_t posicao = off_t(inicio);
    qint64 faltam = quantos < 0 ? std::numeric_limits<qint64>::max() : quantos;
    // The kernel copies on its own where it can; plain reads and writes otherwise.
    while (faltam > 0) {
        off_t destino = off_t(d->fim);
        const ssize_t n = copy_file_range(origem, &posicao, d->fd, &destino,
                                          size_t(qMin<qint64>(faltam, qint64(1) << 30)), 0);
        if (n > 0) {
            d->fim = destino;
            faltam -= n;
            continue;
        }
        if (n == 0)
            return;
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)
            break;
        d->falhar(errno);
    }
    QByteArray bloco(1 << 20, Qt::Uninitialized);
    while (faltam > 0) {
        const ssize_t n =
            pread(origem, bloco.data(), size_t(qMin<qint64>(faltam, bloco.size())), posicao);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw ErroDeArquivo::naPastaTemporaria(QDir::tempPath(), errno);
        if (n == 0)
            return;
        escrever(bloco.constData(), n);
        posicao += n;
        faltam -= n;
    }
}

QIODevice &SaidaArquivo::dispositivo() {
    if (!d->dispositivo)
        d->dispositivo = std::make_unique<DispositivoDeEscrita>(
            [this](qint64 posicao, const char *dados, qint64 tamanho) {
                escreverEm(posicao, dados, tamanho);
            });
    return *d->dispositivo;
}

void SaidaArquivo::preparar() {
    if (d->dispositivo)
        d->dispositivo->conferir();
    // Delayed allocation may refuse the last blocks only now: nothing is put in place before
    // the disk says every byte is there.
    if (fsync(d->fd) != 0)
        d->falhar(errno);
    if (!d->nomeado.isEmpty()) {
        d->pronto = std::exchange(d->nomeado, {});
    } else {
        // An unnamed file gets a name of its own, which then replaces the earlier file in one
        // step; a kill in between leaves it for the next write in the folder to remove.
        const QByteArray proprio = "/proc/self/fd/" + QByteArray::number(d->fd);
        QByteArray nome;
        int erro = EEXIST;
        for (int tentativa = 0; erro == EEXIST && tentativa < 20; ++tentativa) {
            nome = nomeDeTrabalho(d->destino.pasta);
            erro = linkat(AT_FDCWD, proprio.constData(), AT_FDCWD, nome.constData(),
                          AT_SYMLINK_FOLLOW) == 0
                       ? 0
                       : errno;
            if (erro == ENOENT)
                erro =
                    linkat(d->fd, "", AT_FDCWD, nome.constData(), AT_EMPTY_PATH) == 0 ? 0 : errno;
        }
        if (erro != 0)
            d->falhar(erro);
        d->pronto = nome;
    }
    close(d->fd);
    d->fd = -1;
}

void SaidaArquivo::substituir() {
    if (rename(d->pronto.constData(), d->destino.real.constData()) != 0)
        d->falhar(errno);
    d->pronto.clear();
    // The new name itself on the disk too.
    const int pasta = open(d->destino.pasta.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (pasta >= 0) {
        fsync(pasta);
        close(pasta);
    }
}

void SaidaArquivo::concluir() {
    preparar();
    substituir();
}
