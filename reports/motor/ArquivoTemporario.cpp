#include "ArquivoTemporario.h"

#include "ErroDeArquivo.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void falhar(int erro) {
    throw ErroDeArquivo::naPastaTemporaria(QDir::tempPath(), erro);
}

} // namespace

ArquivoTemporario::ArquivoTemporario() {
    const QByteArray pasta = QFile::encodeName(QDir::tempPath());
    m_fd = open(pasta.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A disk without unnamed files: a named one, its name taken away at once.
        QByteArray nome = pasta + "/talvano-XXXXXX";
        m_fd = mkostemp(nome.data(), O_CLOEXEC);
        if (m_fd >= 0)
            unlink(nome.constData());
    }
    if (m_fd < 0)
        falhar(errno);
}

ArquivoTemporario::~ArquivoTemporario() {
    m_dispositivo.reset();
    if (m_fd >= 0)
        close(m_fd);
}

void ArquivoTemporario::escreverEm(qint64 posicao, const char *dados, qint64 tamanho) {
    while (tamanho > 0) {
        const ssize_t n = pwrite(m_fd, dados, size_t(tamanho), off_t(posicao));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            falhar(errno);
        }
        dados += n;
        tamanho -= n;
        posicao += n;
        m_tamanho = qMax(m_tamanho, posicao);
    }
}

QByteArray ArquivoTemporario::ler(qint64 posicao, qint64 tamanho) const {
    QByteArray dados(tamanho, Qt::Uninitialized);
    qint64 lidos = 0;
    while (lidos < tamanho) {
        const ssize_t n =
            pread(m_fd, dados.data() + lidos, size_t(tamanho - lidos), off_t(posicao + lidos));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            falhar(n < 0 ? errno : EIO);
        lidos += n;
    }
    return dados;
}

void ArquivoTemporario::sincronizar() {
    if (auto *d = static_cast<DispositivoDeEscrita *>(m_dispositivo.get()))
        d->conferir();
    if (fdatasync(m_fd) != 0 && errno != EINVAL)
        falhar(errno);
}

QIODevice &ArquivoTemporario::dispositivo() {
    if (!m_dispositivo)
        m_dispositivo = std::make_unique<DispositivoDeEscrita>(
            [this](qint64 posicao, const char *dados, qint64 tamanho) {
                escreverEm(posicao, dados, tamanho);
            });
    return *m_dispositivo;
}

DispositivoDeEscrita::DispositivoDeEscrita(Escrever escrever) : m_escrever(std::move(escrever)) {
    open(QIODevice::WriteOnly);
}

void DispositivoDeEscrita::conferir() const {
    if (m_falha)
        std::rethrow_exception(m_falha);
}

qint64 DispositivoDeEscrita::writeData(const char *dados, qint64 tamanho) {
    if (m_falha)
        return -1;
    try {
        m_escrever(pos(), dados, tamanho);
        m_tamanho = qMax(m_tamanho, pos() + tamanho);
        return tamanho;
    } catch (...) {
        m_falha = std::current_exception();
        setErrorString(QStringLiteral("falha ao gravar"));
        return -1;
    }
}
