// The real program, started as a user starts it, on a real X server: which
// window the stored mode opens, and how a missing or busy database ends it.
#include "BancoTeste.h"
#include "Copias.h"
#include "ServidorTeste.h"

#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <utility>

namespace {

const QString k_principal = QStringLiteral("Talvano  - V.2.2.2");
const QString k_reciboRapido = QStringLiteral("Brevano V-1.3");
const QString k_caixaDeErro = QStringLiteral("Talvano");

// Sets CONFIGURACAO1, or removes the settings row when the value is "sem linha".
void gravarModo(const QString &caminho, const QString &valor) {
    auto base = BancoTeste::conectarDireto(caminho);
    Fb::Transacao tra(*base);
    tra.iniciar();
    if (valor == QLatin1String("sem linha")) {
        Fb::Comando(tra, QStringLiteral("DELETE FROM CONFIGURACOES")).executar();
    } else {
        Fb::Comando muda(tra, QStringLiteral("UPDATE CONFIGURACOES SET CONFIGURACAO1 = :V"));
        muda.definir(QStringLiteral("V"),
                     valor == QLatin1String("NULL") ? QVariant() : QVariant(valor));
        muda.executar();
    }
    tra.commit();
}

// The first value of a query as another program reads it once the program is gone.
QString valorGravado(const QString &caminho, const QString &sql) {
    auto base = BancoTeste::conectarDireto(caminho);
    Fb::Transacao tra(*base);
    tra.iniciar();
    return Fb::Comando(tra, sql).executar().at(0).toString();
}

// The issuer's name as another program reads it; empty when there is no row.
QString emitenteGravado(const QString &caminho) {
    return valorGravado(caminho, QStringLiteral("SELECT MIN(EMITENTE) FROM EMITENTE"));
}

// Sends the signal and waits for the run to end as "Sair" ends it, with status 0.
void encerrarComSinal(QProcess &programa, int sinal) {
    ::kill(pid_t(programa.processId()), sinal);
    QVERIFY2(programa.waitForFinished(30000), "the program stayed on screen");
    QCOMPARE(programa.exitStatus(), QProcess::NormalExit);
    QVERIFY2(programa.exitCode() == 0, programa.readAllStandardError().constData());
}

// A private X server on a display number it finds free. Without -noreset it starts over each
// time its last client leaves, and a program starting in that moment cannot connect.
QString iniciarServidorX(QProcess &x) {
    x.start(QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
             QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24"),
             QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!x.waitForStarted())
        return {};
    QDeadlineTimer prazo(30000);
    while (!x.canReadLine() && x.state() == QProcess::Running && !prazo.hasExpired())
        x.waitForReadyRead(100);
    if (!x.canReadLine())
        return {};
    return QLatin1Char(':') + QString::fromLatin1(x.readLine().trimmed());
}

} // namespace

class TstInicio : public QObject {
    Q_OBJECT

    QProcess m_x;
    QString m_display;

    // The user's state folder of a program started with this home.
    static QString estadoDe(const QString &home) { return home + QStringLiteral("/.local/state"); }

    // The backups of the database as the program started with this home sees them, its notes
    // in that home's state folder.
    static Copias copiasDe(const QString &home, const QString &caminho) {
        qputenv("XDG_STATE_HOME", QFile::encodeName(estadoDe(home)));
        return Copias(caminho);
    }

    QProcessEnvironment ambiente(const QString &home) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_STATE_HOME"), estadoDe(home));
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // In a sanitizer build the leak tracer of a GUI child can crash at exit; these
        // checks are about start-up, and the in-process tests look for leaks.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        return env;
    }

    QString xdotool(const QStringList &args, int *status = nullptr) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), args);
        const bool terminou = p.waitForFinished(10000);
        if (status)
            *status = terminou && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    // Whether a client gets through to the X server within the time given.
    bool servidorXAtende(int ms) const {
        QDeadlineTimer prazo(ms);
        do {
            int status = -1;
            xdotool({QStringLiteral("getdisplaygeometry")}, &status);
            if (status == 0)
                return true;
            if (m_x.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(100);
        } while (!prazo.hasExpired());
        return false;
    }

    QStringList janelasVisiveis(const QString &titulo) const {
        const QString padrao =
            QLatin1Char('^') + QRegularExpression::escape(titulo) + QLatin1Char('$');
        const QString saida = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), padrao});
        return saida.isEmpty() ? QStringList() : saida.split(QLatin1Char('\n'));
    }

    // Waits for a window to appear, as long as the program has not ended.
    QString esperarJanela(const QString &titulo, QProcess &programa) const {
        QDeadlineTimer prazo(60000);
        while (!prazo.hasExpired() && programa.state() != QProcess::NotRunning) {
            const QStringList ids = janelasVisiveis(titulo);
            if (!ids.isEmpty())
                return ids.first();
            QTest::qWait(100);
        }
        return {};
    }

    void clicar(const QString &janela, int x, int y) const {
        const QString geo =
            xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), janela});
        const auto valor = [&](const char *nome) {
            return QRegularExpression(QStringLiteral("%1=(\\d+)").arg(QLatin1String(nome)))
                .match(geo)
                .captured(1)
                .toInt();
        };
        xdotool({QStringLiteral("mousemove"), QString::number(valor("X") + x),
                 QString::number(valor("Y") + y), QStringLiteral("click"), QStringLiteral("1")});
    }

    void teclar(const QString &janela, const QString &tecla) const {
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), janela});
        xdotool({QStringLiteral("key"), tecla});
    }

    // Full mode, as a user: the issuer registry from the main window, Alterar, the name,
    // Salvar, and OK on "Emitente salvo". The registry stays open.
    void salvarEmitente(QProcess &programa, const QString &nome) const {
        const QString principal = esperarJanela(k_principal, programa);
        QVERIFY2(!principal.isEmpty(), programa.readAllStandardError().constData());
        clicar(principal, 80 + 110, 208 + 34); // "Emitente"
        const QString cadastro = esperarJanela(QStringLiteral("Cadastro de Emitente"), programa);
        QVERIFY(!cadastro.isEmpty());
        clicar(cadastro, 8 + 14 + 50, 8 + 16 + 30); // "Alterar"
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), cadastro});
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), nome});
        clicar(cadastro, 8 + 14 + 50, 8 + 80 + 30); // "Salvar"
        const QString aviso = esperarJanela(k_caixaDeErro, programa);
        QVERIFY(!aviso.isEmpty());
        teclar(aviso, QStringLiteral("Return"));
        QDeadlineTimer prazo(10000);
        while (!janelasVisiveis(k_caixaDeErro).isEmpty() && !prazo.hasExpired())
            QTest::qWait(100);
    }

    void iniciar(QProcess &programa, const QString &home) const {
        QVERIFY2(
            servidorXAtende(10000),
            qPrintable(QStringLiteral("the X server on %1 takes no connection").arg(m_display)));
        programa.setProcessEnvironment(ambiente(home));
        programa.start(QStringLiteral(TALVANO_BINARIO), {});
        QVERIFY(programa.waitForStarted());
    }

private Q_SLOTS:
    // A private X server on a display number it finds free. Without -noreset it
    // starts over each time its last client leaves, and a program starting in that
    // moment cannot connect; the program starts only once a client gets through.
    void initTestCase() {
        m_display = iniciarServidorX(m_x);
        QVERIFY2(!m_display.isEmpty(),
                 qPrintable(QStringLiteral("Xvfb is missing or gave no display number: %1")
                                .arg(QString::fromLocal8Bit(m_x.readAllStandardError()))));
        QVERIFY2(
            servidorXAtende(30000),
            qPrintable(QStringLiteral("the X server on %1 takes no connection: %2")
                           .arg(m_display, QString::fromLocal8Bit(m_x.readAllStandardError()))));
    }

    void cleanupTestCase() {
        m_x.terminate();
        m_x.waitForFinished();
        Fb::encerrar();
    }

    void modoGravadoEscolheAJanela_data() {
        QTest::addColumn<QString>("valor");
        QTest::addColumn<bool>("simples");
        QTest::newRow("N: simple mode") << "N" << true;
        QTest::newRow("Y: full mode") << "Y" << false;
        QTest::newRow("lower-case n: full mode") << "n" << false;
        QTest::newRow("blank: full mode") << " " << false;
        QTest::newRow("NULL: full mode") << "NULL" << false;
        QTest::newRow("no row: full mode") << "sem linha" << false;
    }
    void modoGravadoEscolheAJanela() {
        QFETCH(QString, valor);
        QFETCH(bool, simples);
        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        gravarModo(caminho, valor);

        QProcess programa;
        iniciar(programa, home.path());
        const QString janela = esperarJanela(simples ? k_reciboRapido : k_principal, programa);
        QVERIFY2(!janela.isEmpty(), programa.readAllStandardError().constData());
        QVERIFY(janelasVisiveis(simples ? k_principal : k_reciboRapido).isEmpty());

        if (simples)
            clicar(janela, 475 + 75, 523 + 23); // "Sair": closing the quick receipt ends it all
        else
            clicar(janela, 381 + 110, 368 + 34); // "Sair"
        QVERIFY(programa.waitForFinished(30000));
        QCOMPARE(programa.exitStatus(), QProcess::NormalExit);
        QVERIFY2(programa.exitCode() == 0, programa.readAllStandardError().constData());
    }

    void bancoAusenteMostraUmErroEEncerra() {
        QTemporaryDir home;
        QProcess programa;
        iniciar(programa, home.path());
        const QString caixa = esperarJanela(k_caixaDeErro, programa);
        if (caixa.isEmpty())
            QFAIL(qPrintable(QStringLiteral("no error box; status %1: %2")
                                 .arg(programa.exitCode())
                                 .arg(QString::fromLocal8Bit(programa.readAllStandardError()))));
        QVERIFY(janelasVisiveis(k_principal).isEmpty());
        QVERIFY(janelasVisiveis(k_reciboRapido).isEmpty());
        teclar(caixa, QStringLiteral("Return"));
        QVERIFY(programa.waitForFinished(30000));
        QVERIFY(programa.exitCode() != 0);
        // First what failed and where, in Portuguese; then the engine's own text.
        const QString erro = QString::fromLocal8Bit(programa.readAllStandardError());
        const QString frase = QStringLiteral("Não foi possível abrir o banco de dados %1.\n\n")
                                  .arg(home.filePath(QStringLiteral("Talvano/DADOS.GDB")));
        const qsizetype inicio = erro.indexOf(frase);
        QVERIFY2(inicio >= 0, qPrintable(erro));
        QVERIFY2(erro.mid(inicio + frase.size())
                     .startsWith(QStringLiteral("O arquivo do banco de dados não existe.\n\nI/O "
                                                "error")),
                 qPrintable(erro));
    }

    // The engine's library takes SIGTERM and SIGINT on its first use, also when the attach
    // fails: the start-up error box must not outlive a signal.
    void sinalEncerraACaixaDeErroDoInicio_data() {
        QTest::addColumn<int>("sinal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void sinalEncerraACaixaDeErroDoInicio() {
        QFETCH(int, sinal);
        QTemporaryDir home;
        QProcess programa;
        iniciar(programa, home.path());
        QVERIFY2(!esperarJanela(k_caixaDeErro, programa).isEmpty(),
                 programa.readAllStandardError().constData());
        ::kill(pid_t(programa.processId()), sinal);
        QVERIFY2(programa.waitForFinished(30000), "the error box stayed on screen");
        QCOMPARE(programa.exitStatus(), QProcess::NormalExit);
        QVERIFY(programa.exitCode() != 0);
    }

    void bancoEmUsoEncerraSoASegundaInstancia() {
        QTemporaryDir home;
        Esquema::criarBanco(home.filePath(QStringLiteral("Talvano/DADOS.GDB")),
                            Esquema::Modo::Completo);
        QProcess primeiro, segundo;
        iniciar(primeiro, home.path());
        const QString principal = esperarJanela(k_principal, primeiro);
        QVERIFY(!principal.isEmpty());

        iniciar(segundo, home.path());
        const QString caixa = esperarJanela(k_caixaDeErro, segundo);
        QVERIFY(!caixa.isEmpty());
        teclar(caixa, QStringLiteral("Return"));
        QVERIFY(segundo.waitForFinished(30000));
        QVERIFY(segundo.exitCode() != 0);

        QCOMPARE(primeiro.state(), QProcess::Running);
        QCOMPARE(janelasVisiveis(k_principal).size(), 1);
        clicar(principal, 381 + 110, 368 + 34);
        QVERIFY(primeiro.waitForFinished(30000));
        QVERIFY2(primeiro.exitCode() == 0, primeiro.readAllStandardError().constData());
    }

    // The engine maps its lock files sparse; on a full disk a write into them used to end the
    // program with SIGBUS and no word. The home folder is a small file system filled up.
    void discoCheioNoInicio_data() {
        QTest::addColumn<bool>("pastaDeExecucao"); // $XDG_RUNTIME_DIR set, on another disk
        QTest::newRow("lock files on the full disk: error box") << false;
        QTest::newRow("lock files in the runtime folder: starts") << true;
    }
    void discoCheioNoInicio() {
        QFETCH(bool, pastaDeExecucao);
        QTemporaryDir home, execucao;
        QProcess montar;
        montar.start(QStringLiteral("mount"),
                     {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                      QStringLiteral("size=8m"), QStringLiteral("tmpfs"), home.path()});
        if (!montar.waitForFinished(10000) || montar.exitStatus() != QProcess::NormalExit ||
            montar.exitCode() != 0)
            QSKIP("this machine refuses to mount a small file system");
        const auto desmontar = qScopeGuard([&] {
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), home.path()});
        });
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral(".cache/talvano/firebird"))));
        {
            QFile enchimento(home.filePath(QStringLiteral("enchimento")));
            QVERIFY(enchimento.open(QIODevice::WriteOnly));
            const QByteArray bloco(64 * 1024, 'x');
            while (enchimento.write(bloco) == bloco.size() && enchimento.flush()) {
            }
        }

        QProcess programa;
        QProcessEnvironment env = ambiente(home.path());
        if (pastaDeExecucao)
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), execucao.path());
        else
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        QVERIFY(servidorXAtende(10000));
        programa.setProcessEnvironment(env);
        programa.start(QStringLiteral(TALVANO_BINARIO), {});
        QVERIFY(programa.waitForStarted());

        if (pastaDeExecucao) {
            const QString principal = esperarJanela(k_principal, programa);
            QVERIFY2(!principal.isEmpty(), programa.readAllStandardError().constData());
            QVERIFY(!QDir(execucao.filePath(QStringLiteral("talvano/firebird")))
                         .entryList({QStringLiteral("fb_lock_*")}, QDir::Files)
                         .isEmpty());
            clicar(principal, 381 + 110, 368 + 34); // "Sair"
            QVERIFY(programa.waitForFinished(30000));
            QCOMPARE(programa.exitStatus(), QProcess::NormalExit);
            QCOMPARE(programa.exitCode(), 0);
            return;
        }
        const QString caixa = esperarJanela(k_caixaDeErro, programa);
        if (caixa.isEmpty())
            QFAIL(qPrintable(QStringLiteral("no error box; exit %1 status %2: %3")
                                 .arg(int(programa.exitStatus()))
                                 .arg(programa.exitCode())
                                 .arg(QString::fromLocal8Bit(programa.readAllStandardError()))));
        teclar(caixa, QStringLiteral("Return"));
        QVERIFY(programa.waitForFinished(30000));
        QCOMPARE(programa.exitStatus(), QProcess::NormalExit);
        QVERIFY(programa.exitCode() != 0);
        const QString erro = QString::fromLocal8Bit(programa.readAllStandardError());
        QVERIFY2(erro.contains(QStringLiteral("Não há espaço para os arquivos de trava")),
                 qPrintable(erro));
    }

    void sinalEncerraComoSair_data() {
        QTest::addColumn<int>("sinal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void sinalEncerraComoSair() {
        QFETCH(int, sinal);
        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        QProcess programa;
        iniciar(programa, home.path());
        salvarEmitente(programa, QStringLiteral("padaria do sinal"));
        if (QTest::currentTestFailed())
            return;

        // The issuer registry is still open, modal over the main window.
        encerrarComSinal(programa, sinal);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(emitenteGravado(caminho), QStringLiteral("PADARIA DO SINAL"));
    }

    void sinalEncerraTambemOModoSimples() {
        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Simples);
        QProcess programa;
        iniciar(programa, home.path());
        QVERIFY2(!esperarJanela(k_reciboRapido, programa).isEmpty(),
                 programa.readAllStandardError().constData());
        encerrarComSinal(programa, SIGTERM);
    }

    // A signal closes the windows open over the main window as their close boxes do: the
    // client registry stores a client being typed, and a client it cannot store keeps nobody
    // waiting in front of its error box.
    void sinalFechaAsJanelasComoACaixaDeFechar_data() {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("guardado");
        QTest::newRow("a named client being typed: stored") << ""
                                                            << "MARIA DO SINAL";
        QTest::newRow("an impossible date: ends without waiting") << "31022020"
                                                                  << "";
    }
    void sinalFechaAsJanelasComoACaixaDeFechar() {
        QFETCH(QString, data);
        QFETCH(QString, guardado);
        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        QProcess programa;
        iniciar(programa, home.path());
        const QString principal = esperarJanela(k_principal, programa);
        QVERIFY2(!principal.isEmpty(), programa.readAllStandardError().constData());
        clicar(principal, 381 + 110, 48 + 34); // "Cadastro"
        const QString cadastro = esperarJanela(QStringLiteral("Cadastro"), programa);
        QVERIFY(!cadastro.isEmpty());
        clicar(cadastro, 13 + 14 + 50, 8 + 16 + 30); // "Novo"
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), cadastro});
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"),
                 QStringLiteral("maria do sinal")});
        if (!data.isEmpty()) {
            clicar(cadastro, 152 + 328 + 60, 8 + 135 + 10); // "Data Nascimento"
            xdotool({QStringLiteral("key"), QStringLiteral("Home")});
            xdotool(
                {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), data});
        }

        encerrarComSinal(programa, SIGTERM);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(valorGravado(caminho, QStringLiteral("SELECT MIN(CLIENTE) FROM CLIENTES")),
                 guardado);
    }

    // Simple mode: the settings panel open over the quick receipt, its box just ticked. The
    // signal closes the panel as its close box does, which stores the mode.
    void sinalComOPainelAbertoGuardaOModo() {
        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Simples);
        QProcess programa;
        iniciar(programa, home.path());
        const QString rapido = esperarJanela(k_reciboRapido, programa);
        QVERIFY2(!rapido.isEmpty(), programa.readAllStandardError().constData());
        clicar(rapido, 662 + 13 + 35, 325 + 19 + 35); // "Configurações"
        const QString painel = esperarJanela(QStringLiteral("Painel de Controle"), programa);
        QVERIFY(!painel.isEmpty());
        clicar(painel, 8 + 12 + 8, 16 + 64 + 8); // the mode's check box

        encerrarComSinal(programa, SIGTERM);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(valorGravado(caminho, QStringLiteral("SELECT CONFIGURACAO1 FROM CONFIGURACOES")),
                 QStringLiteral("Y"));
    }

    // A desk set to a server opens the server's register to its main window, and makes no
    // backup of its own at the end; with the server gone it shows one error naming the
    // server and why, within seconds; a setting others can read is refused with the reason.
    void mesaTrabalhaNoBancoDoServidor() {
        ServidorTeste servidor;
        const AcessoBanco admin{servidor.endereco(QStringLiteral("DADOS.GDB")),
                                QStringLiteral("SYSDBA"),
                                ServidorTeste::senhaAdmin(),
                                {}};
        Esquema::criarNoServidor(admin, Esquema::Modo::Completo,
                                 {{QStringLiteral("balcao"), QStringLiteral("s3nh@ da mesa")}});
        QTemporaryDir home;
        const QString configuracao = home.filePath(QStringLiteral(".config/Talvano/servidor.conf"));
        AcessoBanco::gravarMesa({admin.banco, QStringLiteral("balcao"),
                                 QStringLiteral("s3nh@ da mesa"), AcessoBanco::papelDasMesas()},
                                configuracao);
        {
            QProcess programa;
            iniciar(programa, home.path());
            const QString principal = esperarJanela(k_principal, programa);
            QVERIFY2(!principal.isEmpty(), programa.readAllStandardError().constData());
            // No password of the desk reaches the process list.
            QFile linha(QStringLiteral("/proc/%1/cmdline").arg(programa.processId()));
            QVERIFY(linha.open(QIODevice::ReadOnly));
            QVERIFY(!linha.readAll().contains("s3nh@"));
            clicar(principal, 381 + 110, 368 + 34); // "Sair"
            QVERIFY(programa.waitForFinished(60000));
            QVERIFY2(programa.exitCode() == 0, programa.readAllStandardError().constData());
            QVERIFY(!QFile::exists(home.filePath(QStringLiteral("Talvano"))));
        }
        const auto erroDoInicio = [&](int esperaMaxima) -> QString {
            QProcess programa;
            iniciar(programa, home.path());
            QElapsedTimer relogio;
            relogio.start();
            const QString caixa = esperarJanela(k_caixaDeErro, programa);
            const qint64 ms = relogio.elapsed();
            if (caixa.isEmpty())
                return QStringLiteral("sem caixa de erro: ") +
                       QString::fromLocal8Bit(programa.readAllStandardError());
            if (ms > esperaMaxima)
                return QStringLiteral("a caixa demorou %1 ms").arg(ms);
            teclar(caixa, QStringLiteral("Return"));
            programa.waitForFinished(30000);
            return QString::fromLocal8Bit(programa.readAllStandardError());
        };
        servidor.parar();
        const QString semServidor = erroDoInicio(15000);
        QVERIFY2(semServidor.contains(QStringLiteral("do servidor %1: o servidor recusou a conexão")
                                          .arg(servidor.servidor())),
                 qPrintable(semServidor));
        QFile::setPermissions(configuracao, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::ReadOther);
        const QString legivel = erroDoInicio(15000);
        QVERIFY2(legivel.contains(QStringLiteral("chmod 600")), qPrintable(legivel));
    }

    // At the normal end the day's backup is made and verified once the windows are gone; a
    // notice left by a backup that failed is shown once, at the next start.
    void sairFazACopiaDoDiaEAvisaFalhaUmaVez() {
        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        const QString aviso = copiasDe(home.path(), caminho).arquivoDoAviso();
        {
            QFile f(aviso);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("A cópia de segurança de 09/12/2026 não pôde ser feita.");
        }
        const QString copia =
            home.filePath(QStringLiteral("Talvano/Copias/DADOS-%1.fbk")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));

        for (const bool primeira : {true, false}) {
            QProcess programa;
            iniciar(programa, home.path());
            const QString principal = esperarJanela(k_principal, programa);
            QVERIFY2(!principal.isEmpty(), programa.readAllStandardError().constData());
            if (primeira) {
                const QString caixa = esperarJanela(k_caixaDeErro, programa);
                QVERIFY2(!caixa.isEmpty(), "the failed backup was not told");
                teclar(caixa, QStringLiteral("Return"));
                QDeadlineTimer prazo(10000);
                while (!janelasVisiveis(k_caixaDeErro).isEmpty() && !prazo.hasExpired())
                    QTest::qWait(100);
            } else {
                QTest::qWait(1000);
                QVERIFY2(janelasVisiveis(k_caixaDeErro).isEmpty(), "the notice came twice");
            }
            QVERIFY(!QFile::exists(aviso));
            clicar(principal, 381 + 110, 368 + 34); // "Sair"
            QVERIFY(programa.waitForFinished(60000));
            const QString erro = QString::fromLocal8Bit(programa.readAllStandardError());
            QVERIFY2(programa.exitCode() == 0, qPrintable(erro));
            // The closing note says what was done, once a day.
            QCOMPARE(erro.contains(QStringLiteral("Cópia de segurança do dia gravada e verificada "
                                                  "em %1")
                                       .arg(copia)),
                     primeira);
            QVERIFY(QFile::exists(copia));
            QFile registro(copia + QStringLiteral(".verificacao"));
            QVERIFY(registro.open(QIODevice::ReadOnly));
            QVERIFY(registro.readAll().startsWith("resultado=verificada\n"));
        }
    }

    // Started again while the backup of its last end still runs, the program stops that
    // backup instead of finding its database busy; the next end makes the day's backup.
    void novoInicioParaACopiaDoFim() {
        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        BancoTeste::preencher(caminho, 30000); // enough for the backup to last a while
        const QString trava = copiasDe(home.path(), caminho).arquivoDaTrava();
        const QString copia =
            home.filePath(QStringLiteral("Talvano/Copias/DADOS-%1.fbk")
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));

        QProcess primeiro, segundo;
        iniciar(primeiro, home.path());
        const QString principal = esperarJanela(k_principal, primeiro);
        QVERIFY(!principal.isEmpty());
        clicar(principal, 381 + 110, 368 + 34); // "Sair"
        QDeadlineTimer prazo(30000);
        while (!QFile::exists(trava) && primeiro.state() != QProcess::NotRunning &&
               !prazo.hasExpired())
            QTest::qWait(5);
        QVERIFY2(primeiro.state() == QProcess::Running, "the backup ended before the new start");

        iniciar(segundo, home.path());
        const QString outra = esperarJanela(k_principal, segundo);
        QVERIFY2(!outra.isEmpty(), segundo.readAllStandardError().constData());
        QVERIFY(primeiro.state() == QProcess::NotRunning || primeiro.waitForFinished(30000));
        QCOMPARE(primeiro.exitStatus(), QProcess::NormalExit);
        QCOMPARE(primeiro.exitCode(), 0);
        QVERIFY(!QFile::exists(copia));
        // No half-made backup, no notice of a failure: a stopped backup is no fault.
        QVERIFY(QDir(home.filePath(QStringLiteral("Talvano/Copias")))
                    .entryList(QDir::Files | QDir::Hidden)
                    .isEmpty());
        QVERIFY(!QFile::exists(copiasDe(home.path(), caminho).arquivoDoAviso()));

        clicar(outra, 381 + 110, 368 + 34); // "Sair"
        QVERIFY(segundo.waitForFinished(120000));
        QCOMPARE(segundo.exitCode(), 0);
        QVERIFY(QFile::exists(copia));
    }

    void oQueFoiDitoGravadoSobreviveAoMonitor() {
        QProcess x;
        const QString display = iniciarServidorX(x);
        QVERIFY2(!display.isEmpty(), "no X server of its own");
        const QString compartilhado = std::exchange(m_display, display);
        const auto devolver = qScopeGuard([&] { m_display = compartilhado; });

        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        QProcess programa;
        iniciar(programa, home.path());
        salvarEmitente(programa, QStringLiteral("loja da tela"));
        if (QTest::currentTestFailed())
            return;

        x.kill();
        x.waitForFinished();
        QVERIFY2(programa.waitForFinished(30000), "the program outlived its display");
        QCOMPARE(emitenteGravado(caminho), QStringLiteral("LOJA DA TELA"));
    }
};

QTEST_GUILESS_MAIN(TstInicio)
#include "tst_inicio.moc"
