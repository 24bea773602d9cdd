// Backups over real database files: made and verified, a cut or foreign backup that must fail,
// the restore road with the file it replaces kept, a full disk, a folder without permission,
// a database the program holds, a restore killed halfway, and which old backups go.
#include "BancoTeste.h"
#include "Copias.h"
#include "ErroSistema.h"
#include "ProcessoAuxiliar.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace {

// Receipts and clients written through a connection of their own, as the program would leave
// them; amounts vary so that their sum tells one database from another.
void preencher(const QString &caminho, int recibos, int clientes) {
    auto base = BancoTeste::conectarDireto(caminho);
    Fb::Transacao tra(*base);
    tra.iniciar();
    Fb::Comando recibo(tra,
                       QStringLiteral("INSERT INTO RECIBOS (ID_RECIBO, CLIENTE, VALOR, TIPO) "
                                      "VALUES (GEN_ID(GEN_RECIBOS_ID, 1), :C, :V, 'DEVEDOR')"));
    for (int i = 0; i < recibos; ++i) {
        recibo.definir(QStringLiteral("C"), QStringLiteral("Cliente %1").arg(i));
        recibo.definir(QStringLiteral("V"), QVariant::fromValue(Dinheiro::deCentavos(1001 + i)));
        recibo.executar();
    }
    Fb::Comando cliente(tra, QStringLiteral("INSERT INTO CLIENTES (ID_CLIENTE, CLIENTE) VALUES "
                                            "(GEN_ID(GEN_CLIENTES_ID, 1), :C)"));
    for (int i = 0; i < clientes; ++i) {
        cliente.definir(QStringLiteral("C"), QStringLiteral("Cliente %1").arg(i));
        cliente.executar();
    }
    tra.commit();
}

ContagemBanco contar(const QString &caminho) {
    auto base = BancoTeste::conectarDireto(caminho);
    return ContagemBanco::contar(*base);
}

QByteArray ler(const QString &caminho) {
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void gravar(const QString &caminho, const QByteArray &dados) {
    QFile f(caminho);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(dados), dados.size());
}

// Files left in a folder, hidden ones too.
QStringList arquivos(const QString &pasta) {
    return QDir(pasta).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A small file system mounted on `pasta`, filled up to `livre` bytes; false where this
// machine does not let the test mount one.
bool montarDiscoPequeno(const QString &pasta, qint64 tamanho, qint64 livre) {
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=%1").arg(tamanho), QStringLiteral("tmpfs"),
                           pasta}) != 0)
        return false;
    QFile enchimento(pasta + QStringLiteral("/enchimento"));
    if (!enchimento.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bloco(4096, 'x');
    while (QStorageInfo(pasta).bytesAvailable() > livre && enchimento.write(bloco) > 0 &&
           enchimento.flush()) {
    }
    return true;
}

void desmontar(const QString &pasta) {
    QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), pasta});
}

// A program other than this one that keeps the database open, as the Talvano does while
// running: the engine opens a database for one process at a time.
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

} // namespace

class TstCopia : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { Fb::encerrar(); }

    void copiaVerificadaConfereComOBanco() {
        BancoTeste banco;
        preencher(banco.caminho(), 50, 7);
        Copias copias(banco.caminho());
        const QString arquivo = copias.arquivoDoDia(QDate(2026, 3, 5));
        QCOMPARE(QFileInfo(arquivo).fileName(), QStringLiteral("DADOS-2026-03-05.fbk"));

        const Copias::Resultado r = copias.fazer(arquivo);
        QVERIFY2(r.verificada, qPrintable(r.motivo));
        QCOMPARE(r.arquivo, arquivo);
        QCOMPARE(r.contagem, contar(banco.caminho()));
        QCOMPARE(r.contagem.recibos, 50);
        QCOMPARE(r.contagem.somaValor, Dinheiro::deCentavos(50 * 1001 + 49 * 50 / 2));
        QCOMPARE(r.tamanho, QFileInfo(arquivo).size());
        // Only the backup and its record are left: no scratch database, no partial file.
        QCOMPARE(arquivos(copias.pasta()),
                 QStringList({QStringLiteral("DADOS-2026-03-05.fbk"),
                              QStringLiteral("DADOS-2026-03-05.fbk.verificacao")}));
        QCOMPARE(arquivos(QFileInfo(banco.caminho()).absolutePath()),
                 QStringList{QStringLiteral("DADOS.GDB")});

        const QList<Copias::Item> lista = copias.listar();
        QCOMPARE(lista.size(), 1);
        QCOMPARE(lista[0].estado, Copias::Item::Verificada);
        QVERIFY2(lista[0].detalhe.startsWith(QStringLiteral("50 recibos somando R$ 512,75")),
                 qPrintable(lista[0].detalhe));
    }

    // The backups that must not count: cut at several places, empty, not a backup at all, or
    // a good backup of another database. Those that are damaged are refused by the restore
    // too, and the database stays as it was.
    void verificacaoRecusaCopiaRuim_data() {
        QTest::addColumn<QString>("estrago");
        QTest::addColumn<bool>("danificada");
        QTest::newRow("cut to its first 100 bytes") << "100" << true;
        QTest::newRow("cut in the middle") << "metade" << true;
        QTest::newRow("missing its last 1000 bytes") << "fim" << true;
        QTest::newRow("empty file") << "0" << true;
        QTest::newRow("a text file") << "texto" << true;
        QTest::newRow("a good backup of another database") << "outro" << false;
    }
    void verificacaoRecusaCopiaRuim() {
        QFETCH(QString, estrago);
        QFETCH(bool, danificada);
        BancoTeste banco;
        preencher(banco.caminho(), 300, 20);
        Copias copias(banco.caminho());
        const QString boa = QDir(copias.pasta()).filePath(QStringLiteral("boa.fbk"));
        QVERIFY(copias.fazer(boa).verificada);
        const ContagemBanco doBanco = contar(banco.caminho());
        QVERIFY(!copias.verificar(boa, doBanco));
        const QByteArray bytes = ler(boa);

        QTemporaryDir pasta;
        const QString ruim = pasta.filePath(QStringLiteral("ruim.fbk"));
        if (estrago == QLatin1String("metade"))
            gravar(ruim, bytes.left(bytes.size() / 2));
        else if (estrago == QLatin1String("fim"))
            gravar(ruim, bytes.left(bytes.size() - 1000));
        else if (estrago == QLatin1String("texto"))
            gravar(ruim, "isto não é uma cópia\n");
        else if (estrago == QLatin1String("outro")) {
            BancoTeste outro;
            preencher(outro.caminho(), 299, 20);
            QVERIFY(Copias(outro.caminho()).fazer(ruim).verificada);
        } else
            gravar(ruim, bytes.left(estrago.toInt()));

        const auto motivo = copias.verificar(ruim, doBanco);
        QVERIFY(motivo);
        QVERIFY(!motivo->isEmpty());
        const QString pastaBanco = QFileInfo(banco.caminho()).absolutePath();
        QCOMPARE(arquivos(pastaBanco), QStringList{QStringLiteral("DADOS.GDB")});
        if (!danificada)
            return;
        try {
            copias.restaurar(ruim);
            QFAIL("a damaged backup was restored");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().contains(QStringLiteral("nada foi alterado")),
                     qPrintable(e.mensagem()));
        }
        QCOMPARE(contar(banco.caminho()), doBanco);
        QCOMPARE(arquivos(pastaBanco), QStringList{QStringLiteral("DADOS.GDB")});
    }

    void restauracaoGuardaOBancoAnterior() {
        BancoTeste banco;
        preencher(banco.caminho(), 40, 3);
        Copias copias(banco.caminho());
        const QString arquivo = copias.arquivoDoDia(QDate(2026, 3, 5));
        QVERIFY(copias.fazer(arquivo).verificada);
        const ContagemBanco daCopia = contar(banco.caminho());
        preencher(banco.caminho(), 5, 1); // work done after the backup
        const ContagemBanco depois = contar(banco.caminho());

        const Copias::Restauracao r = copias.restaurar(arquivo);
        QVERIFY(r.conferidaComRegistro);
        QCOMPARE(r.contagem, daCopia);
        QCOMPARE(contar(banco.caminho()), daCopia);
        // The replaced database is kept whole, under a dated name beside the new one.
        QVERIFY(QFileInfo(r.guardado)
                    .fileName()
                    .startsWith(QStringLiteral("DADOS-antes-da-restauracao-")));
        QCOMPARE(QFileInfo(r.guardado).absolutePath(), QFileInfo(banco.caminho()).absolutePath());
        QCOMPARE(contar(r.guardado), depois);
        // The restored database takes new work.
        preencher(banco.caminho(), 1, 0);
        QCOMPARE(contar(banco.caminho()).recibos, daCopia.recibos + 1);
    }

    void bancoAbertoNoProgramaRecusa_data() {
        QTest::addColumn<bool>("restaurando");
        QTest::newRow("backup") << false;
        QTest::newRow("restore") << true;
    }
    void bancoAbertoNoProgramaRecusa() {
        QFETCH(bool, restaurando);
        BancoTeste banco;
        preencher(banco.caminho(), 10, 1);
        Copias copias(banco.caminho());
        const QString arquivo = copias.arquivoDoDia(QDate(2026, 3, 5));
        QVERIFY(copias.fazer(arquivo).verificada);
        {
            OutroProcesso programa(banco.caminho());
            try {
                if (restaurando)
                    copias.restaurar(arquivo);
                else
                    copias.fazer(QDir(copias.pasta()).filePath(QStringLiteral("outra.fbk")));
                QFAIL("worked on a database another program holds");
            } catch (const ErroSistema &e) {
                QVERIFY2(e.mensagem().contains(QStringLiteral("está aberto no Talvano")),
                         qPrintable(e.mensagem()));
            }
        }
        QCOMPARE(arquivos(QFileInfo(banco.caminho()).absolutePath()),
                 QStringList{QStringLiteral("DADOS.GDB")});
        QCOMPARE(arquivos(copias.pasta()),
                 QStringList({QStringLiteral("DADOS-2026-03-05.fbk"),
                              QStringLiteral("DADOS-2026-03-05.fbk.verificacao")}));
    }

    // No room for the backup: an error that says so, and nothing left behind or lost.
    void discoCheioNaPastaDasCopias() {
        BancoTeste banco;
        preencher(banco.caminho(), 2000, 100);
        Copias copias(banco.caminho());
        QVERIFY(copias.fazer(copias.arquivoDoDia(QDate(2026, 3, 4))).verificada);
        const QByteArray anterior = ler(copias.arquivoDoDia(QDate(2026, 3, 4)));

        QTemporaryDir pequena;
        if (!montarDiscoPequeno(pequena.path(), 1024 * 1024, 16 * 1024))
            QSKIP("this machine refuses to mount a small file system");
        const auto fim = qScopeGuard([&] { desmontar(pequena.path()); });
        try {
            copias.fazer(pequena.filePath(QStringLiteral("DADOS.fbk")));
            QFAIL("a backup was told written on a full disk");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().contains(QStringLiteral("Não há espaço no disco")),
                     qPrintable(e.mensagem()));
        }
        QCOMPARE(arquivos(pequena.path()), QStringList{QStringLiteral("enchimento")});
        QCOMPARE(ler(copias.arquivoDoDia(QDate(2026, 3, 4))), anterior);
        QCOMPARE(contar(banco.caminho()).recibos, 2000);
    }

    // The backup is written, but there is no room to restore it for the check: it does not
    // count, and keeps a name that says so; the good one of that name stays.
    void semEspacoParaVerificarNaoConta() {
        QTemporaryDir pequena;
        if (!montarDiscoPequeno(pequena.path(), 8 * 1024 * 1024, 8 * 1024 * 1024))
            QSKIP("this machine refuses to mount a small file system");
        const auto fim = qScopeGuard([&] { desmontar(pequena.path()); });
        const QString caminho = pequena.filePath(QStringLiteral("DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        preencher(caminho, 300, 10);
        {
            QFile enchimento(pequena.filePath(QStringLiteral("enchimento")));
            QVERIFY(enchimento.open(QIODevice::Append));
            const QByteArray bloco(4096, 'x');
            while (QStorageInfo(pequena.path()).bytesAvailable() > 64 * 1024 &&
                   enchimento.write(bloco) > 0 && enchimento.flush()) {
            }
        }
        QTemporaryDir fora;
        const QString arquivo = fora.filePath(QStringLiteral("DADOS-2026-03-05.fbk"));
        gravar(arquivo, "a good backup of this name, made before");
        Copias copias(caminho);
        const Copias::Resultado r = copias.fazer(arquivo);
        QVERIFY(!r.verificada);
        QCOMPARE(QFileInfo(r.arquivo).fileName(),
                 QStringLiteral("DADOS-2026-03-05-FALHOU-NA-VERIFICACAO.fbk"));
        QVERIFY2(r.motivo.contains(QStringLiteral("Não há espaço no disco")), qPrintable(r.motivo));
        QCOMPARE(ler(arquivo), QByteArray("a good backup of this name, made before"));
        QVERIFY(QFileInfo(r.arquivo).size() > 0);
        QCOMPARE(contar(caminho).recibos, 300);
    }

    // The daily backup at the normal end: once a day; what fails is told at the next start,
    // once.
    void copiaDiariaUmaVezEAvisoUmaVez() {
        BancoTeste banco;
        preencher(banco.caminho(), 10, 1);
        Copias copias(banco.caminho());
        const auto primeira = copias.copiaDiaria(QDate(2026, 3, 5));
        QVERIFY(primeira && primeira->verificada);
        QVERIFY(!copias.copiaDiaria(QDate(2026, 3, 5)));
        QVERIFY(!copias.tomarAviso());

        // The next day the folder of backups cannot be made: a file is in its way.
        QVERIFY(QDir(copias.pasta()).removeRecursively());
        gravar(copias.pasta(), "not a folder");
        QVERIFY(!copias.copiaDiaria(QDate(2026, 3, 6)));
        const auto aviso = copias.tomarAviso();
        QVERIFY(aviso);
        QVERIFY2(aviso->startsWith(QStringLiteral("A cópia de segurança de 06/03/2026 não pôde "
                                                  "ser feita")),
                 qPrintable(*aviso));
        QVERIFY(!copias.tomarAviso());
    }

    // The newest 30 day's backups stay, good or failed; the only good one is never deleted.
    void girarGuardaAsMaisNovas_data() {
        QTest::addColumn<QString>("copias"); // oldest first: b good, f failed
        QTest::addColumn<int>("quantas");
        QTest::addColumn<QString>("ficam");
        QTest::newRow("all good: the newest stay") << "bbbbb" << 3 << "..bbb";
        QTest::newRow("the newest failed: the newest good one stays too")
            << "bbfff" << 3 << ".bfff";
        QTest::newRow("failed ones go as the good ones do") << "fbfbb" << 3 << "..fbb";
        QTest::newRow("none good: only the newest stay") << "fffff" << 2 << "...ff";
        QTest::newRow("fewer than kept: nothing goes") << "bfb" << 30 << "bfb";
    }
    void girarGuardaAsMaisNovas() {
        QFETCH(QString, copias);
        QFETCH(int, quantas);
        QFETCH(QString, ficam);
        QTemporaryDir pasta;
        const QString caminho = pasta.filePath(QStringLiteral("DADOS.GDB"));
        Copias c(caminho);
        QVERIFY(QDir().mkpath(c.pasta()));
        const auto nome = [&](int i) {
            QString n = c.arquivoDoDia(QDate(2026, 1, 1).addDays(i));
            if (copias[i] == u'f')
                n.replace(QStringLiteral(".fbk"), QStringLiteral("-FALHOU-NA-VERIFICACAO.fbk"));
            return n;
        };
        for (int i = 0; i < copias.size(); ++i) {
            gravar(nome(i), "backup");
            gravar(nome(i) + QStringLiteral(".verificacao"),
                   copias[i] == u'b' ? "resultado=verificada\n" : "resultado=falhou\n");
        }
        gravar(QDir(c.pasta()).filePath(QStringLiteral("pedida.fbk")), "made on demand");
        c.girar(quantas);
        for (int i = 0; i < copias.size(); ++i)
            QVERIFY2(QFileInfo::exists(nome(i)) == (ficam[i] != u'.'), qPrintable(nome(i)));
        QVERIFY(QFileInfo::exists(QDir(c.pasta()).filePath(QStringLiteral("pedida.fbk"))));
    }

    // The companion program, as a user runs it: a folder without permission is an error that
    // names it, and nothing is written.
    void pastaSemPermissao() {
        QTemporaryDir raiz;
        QVERIFY(QFile::setPermissions(raiz.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner | QFile::ReadOther |
                                                       QFile::ExeOther));
        const QString home = raiz.filePath(QStringLiteral("home"));
        const QString caminho = home + QStringLiteral("/Talvano/DADOS.GDB");
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        const QString copiasDir = home + QStringLiteral("/Talvano/Copias");
        QVERIFY(QDir().mkpath(copiasDir));

        QStringList comando{QStringLiteral(TALVANO_COPIA)};
        if (::geteuid() == 0) {
            // Root writes anywhere: the program runs as an ordinary user who owns the home,
            // not the folder of backups.
            const QString usuario = QStringLiteral("talvano-teste");
            if (!::getpwnam("talvano-teste") &&
                QProcess::execute(QStringLiteral("useradd"),
                                  {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                                   QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
                                   usuario}) != 0)
                QSKIP("no ordinary user to run the program as");
            const QString programa = raiz.filePath(QStringLiteral("talvano-copia"));
            QVERIFY(QFile::copy(QStringLiteral(TALVANO_COPIA), programa));
            QVERIFY(QFile::setPermissions(programa, QFile::ReadOwner | QFile::ExeOwner |
                                                        QFile::ReadOther | QFile::ExeOther));
            QCOMPARE(
                QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), usuario, home}),
                0);
            QCOMPARE(QProcess::execute(QStringLiteral("chown"),
                                       {QStringLiteral("root:root"), copiasDir}),
                     0);
            comando = QStringList{QStringLiteral("runuser"),
                                  QStringLiteral("-u"),
                                  usuario,
                                  QStringLiteral("--"),
                                  QStringLiteral("env"),
                                  QStringLiteral("HOME=") + home,
                                  programa};
        }
        const QFileDevice::Permissions leitura = QFile::ReadOwner | QFile::ExeOwner |
                                                 QFile::ReadGroup | QFile::ExeGroup |
                                                 QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(copiasDir,
                                      ::geteuid() == 0 ? leitura | QFile::WriteOwner : leitura));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        p.setProcessEnvironment(env);
        p.start(comando.first(), comando.mid(1));
        QVERIFY(p.waitForFinished(60000));
        const QString erro = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(
            erro.contains(QStringLiteral("Sem permissão para gravar na pasta %1").arg(copiasDir)),
            qPrintable(erro));
        QVERIFY(arquivos(copiasDir).isEmpty());
        QCOMPARE(arquivos(home + QStringLiteral("/Talvano")),
                 QStringList{QStringLiteral("DADOS.GDB")});
    }

    // kill -9 in the middle of a restore: the database in use is whole and opens, and the
    // next restore goes through.
    void restauracaoMortaNoMeio() {
        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        preencher(caminho, 20000, 100);
        Copias copias(caminho);
        const QString arquivo = copias.arquivoDoDia(QDate(2026, 3, 5));
        QVERIFY(copias.fazer(arquivo).verificada);
        preencher(caminho, 3, 0);
        const ContagemBanco antes = contar(caminho);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TALVANO_COPIA), {QStringLiteral("--restaurar"), arquivo});
        QVERIFY(p.waitForStarted());
        const QString pasta = QFileInfo(caminho).absolutePath();
        QDeadlineTimer prazo(60000);
        const auto restaurando = [&] {
            for (const QString &f : arquivos(pasta))
                if (f.startsWith(QLatin1String(".restaurando-")) &&
                    QFileInfo(QDir(pasta).filePath(f)).size() > 0)
                    return true;
            return false;
        };
        while (!restaurando() && p.state() != QProcess::NotRunning && !prazo.hasExpired())
            QTest::qSleep(2);
        QVERIFY2(p.state() == QProcess::Running, "the restore ended before it could be killed");
        ::kill(pid_t(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);

        QCOMPARE(contar(caminho), antes);
        p.start(QStringLiteral(TALVANO_COPIA), {QStringLiteral("--restaurar"), arquivo});
        QVERIFY(p.waitForFinished(120000));
        const QString saida = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QVERIFY2(saida.contains(QStringLiteral("O banco de dados anterior foi guardado como")),
                 qPrintable(saida));
        QCOMPARE(contar(caminho).recibos, 20000);
        // Only the restored database and the one it replaced: the killed run's scratch file
        // went with the next run.
        QStringList ficaram = arquivos(pasta);
        QCOMPARE(ficaram.size(), 2);
        ficaram.removeOne(QStringLiteral("DADOS.GDB"));
        QVERIFY(ficaram.first().startsWith(QStringLiteral("DADOS-antes-da-restauracao-")));
        QCOMPARE(contar(QDir(pasta).filePath(ficaram.first())), antes);
    }
};

int main(int argc, char **argv) {
    if (const auto status = ProcessoAuxiliar::atender(argc, argv))
        return *status;
    QCoreApplication app(argc, argv);
    TstCopia teste;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&teste, argc, argv);
}

#include "tst_copia.moc"
