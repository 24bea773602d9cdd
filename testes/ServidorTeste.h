#pragma once
// A Firebird 3 server of the test's own, on 127.0.0.1 and a free port, with its own
// configuration, security database (SYSDBA and the password below), lock and temporary
// folders, all under a temporary folder: no system service or file is touched. The server is
// a child that dies with the test process, however that ends; the destructor stops it too.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

class ServidorTeste {
public:
    static constexpr char k_raizDoSistema[] = "/usr/lib/x86_64-linux-gnu/firebird/3.0";

    // `wireCrypt`: what the server demands of the wire ("Required", "Enabled", "Disabled").
    explicit ServidorTeste(const char *wireCrypt = "Required") {
        m_raiz = m_pasta.path() + QStringLiteral("/raiz");
        QDir().mkpath(m_raiz + QStringLiteral("/intl"));
        QDir().mkpath(m_raiz + QStringLiteral("/trava"));
        QDir().mkpath(m_raiz + QStringLiteral("/tmp"));
        QDir().mkpath(pastaDados());
        m_porta = portaLivre();
        const QString sistema = QString::fromLatin1(k_raizDoSistema);
        for (const char *nome : {"firebird.msg", "plugins", "lib", "UDF"})
            QFile::link(sistema + u'/' + QLatin1String(nome), m_raiz + u'/' + QLatin1String(nome));
        QFile::copy(sistema + QStringLiteral("/plugins.conf"),
                    m_raiz + QStringLiteral("/plugins.conf"));
        // The engine takes its character sets only from a module inside its own root: a link
        // to the system's folder is refused, copies are not.
        for (const char *nome : {"intl/libfbintl.so", "intl/fbintl.conf"})
            QFile::copy(sistema + u'/' + QLatin1String(nome), m_raiz + u'/' + QLatin1String(nome));
        escrever(QStringLiteral("firebird.conf"),
                 QStringLiteral(
                     "RemoteServicePort = %1\nRemoteBindAddress = 127.0.0.1\n"
                     "WireCrypt = %2\nAuthServer = Srp\nUserManager = Srp\n"
                     "SecurityDatabase = %3\nServerMode = Super\nTcpRemoteBufferSize = 1448\n")
                     .arg(m_porta)
                     .arg(QLatin1String(wireCrypt), seguranca()));
        escrever(QStringLiteral("databases.conf"), QString());
        criarSeguranca();
        iniciar();
    }
    ~ServidorTeste() { parar(); }
    ServidorTeste(const ServidorTeste &) = delete;
    ServidorTeste &operator=(const ServidorTeste &) = delete;

    static QString senhaAdmin() { return QStringLiteral("Adm-1n!st"); }
    int porta() const { return m_porta; }
    QString servidor() const { return QStringLiteral("127.0.0.1/%1").arg(m_porta); }
    // Where the server keeps its databases, and the address of one of them for a desk.
    QString pastaDados() const { return m_pasta.path() + QStringLiteral("/dados"); }
    QString endereco(const QString &nome) const {
        return servidor() + u':' + pastaDados() + u'/' + nome;
    }

    void iniciar() {
        m_processo.setProcessEnvironment(ambiente());
        m_processo.setProcessChannelMode(QProcess::MergedChannels);
        m_processo.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_processo.start(QStringLiteral("/usr/sbin/firebird"), {});
        QVERIFY2(m_processo.waitForStarted(10000), qPrintable(m_processo.errorString()));
        QDeadlineTimer prazo(20000);
        while (!aceita() && !prazo.hasExpired())
            QTest::qWait(50);
        QVERIFY2(aceita(), "o servidor de teste não passou a aceitar conexões");
    }
    // Ends the server at once (a crash, a power cut), or with SIGTERM as a service stop.
    void parar(bool deUmaVez = true) {
        if (m_processo.state() == QProcess::NotRunning)
            return;
        if (deUmaVez)
            m_processo.kill();
        else
            m_processo.terminate();
        if (!m_processo.waitForFinished(20000)) {
            m_processo.kill();
            m_processo.waitForFinished(5000);
        }
    }
    qint64 pid() const { return m_processo.processId(); }

    // A command-line tool of the engine run against this server, the password in the
    // environment (never on a command line).
    QString executar(const QString &programa, const QStringList &args,
                     const QByteArray &entrada = {}, int *status = nullptr) const {
        QProcess p;
        QProcessEnvironment amb = QProcessEnvironment::systemEnvironment();
        amb.insert(QStringLiteral("ISC_USER"), QStringLiteral("SYSDBA"));
        amb.insert(QStringLiteral("ISC_PASSWORD"), senhaAdmin());
        p.setProcessEnvironment(amb);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(programa, args);
        p.write(entrada);
        p.closeWriteChannel();
        p.waitForFinished(120000);
        if (status)
            *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return QString::fromUtf8(p.readAll());
    }

private:
    QString seguranca() const { return m_raiz + QStringLiteral("/security3.fdb"); }

    QProcessEnvironment ambiente() const {
        QProcessEnvironment amb = QProcessEnvironment::systemEnvironment();
        amb.insert(QStringLiteral("FIREBIRD"), m_raiz);
        amb.insert(QStringLiteral("FIREBIRD_LOCK"), m_raiz + QStringLiteral("/trava"));
        amb.insert(QStringLiteral("FIREBIRD_TMP"), m_raiz + QStringLiteral("/tmp"));
        return amb;
    }

    void escrever(const QString &nome, const QString &texto) {
        QFile f(m_raiz + u'/' + nome);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(texto.toUtf8());
    }

    // Before the server starts, embedded in the server's own root: the schema the engine's
    // package ships, and SYSDBA with the test's password.
    void criarSeguranca() {
        const auto isql = [&](const QStringList &args, const QByteArray &entrada) {
            QProcess p;
            p.setProcessEnvironment(ambiente());
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(QStringLiteral("isql-fb"), args);
            p.write(entrada);
            p.closeWriteChannel();
            p.waitForFinished(60000);
            const QByteArray saida = p.readAll();
            QVERIFY2(p.exitCode() == 0 && !saida.contains("failed"), saida.constData());
        };
        isql({QStringLiteral("-q")},
             QStringLiteral("create database '%1';\n").arg(seguranca()).toUtf8());
        isql({QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"),
              QStringLiteral("-i"), QStringLiteral("/usr/share/firebird/3.0/security.sql"),
              seguranca()},
             {});
        isql({QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"), seguranca()},
             QStringLiteral("create or alter user SYSDBA password '%1' using plugin Srp;\n"
                            "commit;\n")
                 .arg(senhaAdmin())
                 .toUtf8());
    }

    static int portaLivre() {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t tamanho = sizeof a;
        ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &tamanho);
        ::close(s);
        return ntohs(a.sin_port);
    }

    bool aceita() const {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(quint16(m_porta));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
        ::close(s);
        return ok;
    }

    QTemporaryDir m_pasta;
    QString m_raiz;
    int m_porta = 0;
    QProcess m_processo;
};
