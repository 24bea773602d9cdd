#pragma once
// A small file system of the test's own, mounted over a temporary folder and taken away at the
// end, which the test can fill up: where a program meets a full disk. Tests skip where the
// machine refuses to mount one (an unprivileged user, a container).
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

class DiscoPequeno {
public:
    explicit DiscoPequeno(int megas) {
        QProcess montar;
        montar.start(QStringLiteral("mount"),
                     {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                      QStringLiteral("size=%1m").arg(megas), QStringLiteral("tmpfs"),
                      m_pasta.path()});
        m_montado = montar.waitForFinished(10000) && montar.exitStatus() == QProcess::NormalExit &&
                    montar.exitCode() == 0;
    }
    ~DiscoPequeno() {
        if (m_montado)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_pasta.path()});
    }
    DiscoPequeno(const DiscoPequeno &) = delete;
    DiscoPequeno &operator=(const DiscoPequeno &) = delete;

    bool montado() const { return m_montado; }
    QString path() const { return m_pasta.path(); }
    QString filePath(const QString &nome) const { return m_pasta.filePath(nome); }

    // Fills the disk with one file until a write is refused.
    void encher() {
        QFile enchimento(filePath(QStringLiteral(".enchimento")));
        if (!enchimento.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
        const QByteArray bloco(64 * 1024, 'x');
        while (enchimento.write(bloco) == bloco.size() && enchimento.flush()) {
        }
        // The last small pieces too: the disk is full to its last block.
        const QByteArray pouco(512, 'x');
        while (enchimento.write(pouco) == pouco.size() && enchimento.flush()) {
        }
    }
    void esvaziar() { QFile::remove(filePath(QStringLiteral(".enchimento"))); }

private:
    QTemporaryDir m_pasta;
    bool m_montado = false;
};

// Declares a small disk and skips the test where it cannot be mounted.
#define DISCO_PEQUENO(nome, megas)                                                                 \
    DiscoPequeno nome(megas);                                                                      \
    if (!nome.montado())                                                                           \
    QSKIP("this machine refuses to mount a small file system")
