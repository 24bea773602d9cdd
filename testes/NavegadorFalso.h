#pragma once
// The desktop's opener (xdg-open) in place for a test: a script first on the PATH that notes
// every address it is given and ends with the status the test chooses (3: no browser found).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class NavegadorFalso {
public:
    explicit NavegadorFalso(int status = 0) : m_path(qgetenv("PATH")) {
        QFile script(m_pasta.filePath(QStringLiteral("xdg-open")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$(dirname \"$0\")/abertos\"\nexit " +
                     QByteArray::number(status) + "\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(m_pasta.path()) + ':' + m_path);
    }
    ~NavegadorFalso() { qputenv("PATH", m_path); }

    // The addresses opened so far, waiting a moment for the first.
    QList<QUrl> abertos() const {
        const QString registro = m_pasta.filePath(QStringLiteral("abertos"));
        [[maybe_unused]] const bool chegou =
            QTest::qWaitFor([&] { return QFile::exists(registro); }, 5000);
        QTest::qWait(100);
        QFile f(registro);
        QList<QUrl> urls;
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &linha : f.readAll().split('\n'))
                if (!linha.isEmpty())
                    urls << QUrl(QString::fromUtf8(linha));
        return urls;
    }

private:
    QTemporaryDir m_pasta;
    QByteArray m_path;
};
