#pragma once
// A program other than the test that keeps a database open, as the Talvano does while running:
// the engine opens a database for one process at a time.
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

class OutroProcesso {
public:
    explicit OutroProcesso(const QString &caminho) {
        m_isql.setProcessChannelMode(QProcess::MergedChannels);
        m_isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-user"),
                                                 QStringLiteral("SYSDBA"), caminho});
        m_isql.write("SELECT 'ABERTO' FROM RDB$DATABASE;\n");
        QDeadlineTimer prazo(30000);
        while (!m_isql.readAll().contains("ABERTO") && !prazo.hasExpired())
            m_isql.waitForReadyRead(100);
    }
    ~OutroProcesso() {
        m_isql.write("QUIT;\n");
        m_isql.closeWriteChannel();
        if (!m_isql.waitForFinished(30000))
            m_isql.kill();
    }

private:
    QProcess m_isql;
};
