// Backups over real database files: made and verified, a cut or foreign backup that must fail,
// the restore road with the file it replaces kept, a full disk, a folder without permission,
// a database the program holds, a restore killed halfway, and which old backups go.
#include "BancoTeste.h"
#include "Copias.h"
#include "ErroSistema.h"
#include "OutroProcesso.h"
#include "ProcessoAuxiliar.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace {

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

Copias copias(const BancoTeste &banco) {
    return Copias(banco.caminho());
}

void desmontar(const QString &pasta) {
    QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), pasta});
}

// talvano-copia run as an ordinary user who owns `home`; root writes anywhere, so the tests of
// permissions run the program as such a user.
class UsuarioComum {
public:
    UsuarioComum(const QTemporaryDir &raiz, const QString &home) : m_home(home) {
        QFile::setPermissions(raiz.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther);
        m_comando = QStringList{QStringLiteral(TALVANO_COPIA)};
        if (::geteuid() != 0) {
            m_pronto = true;
            return;
        }
        const QString usuario = QStringLiteral("talvano-teste");
        if (!::getpwnam("talvano-teste") &&
            QProcess::execute(QStringLiteral("useradd"),
                              {QStringLiteral("--system"), QStringLiteral("--no-create-home"),
                               QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"),
                               usuario}) != 0)
            return;
        const QString programa = raiz.filePath(QStringLiteral("talvano-copia"));
        QFile::copy(QStringLiteral(TALVANO_COPIA), programa);
        QFile::setPermissions(programa, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                            QFile::ExeOther);
        QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), usuario, home});
        m_comando = QStringList{QStringLiteral("runuser"),
                                QStringLiteral("-u"),
                                usuario,
                                QStringLiteral("--"),
                                QStringLiteral("env"),
                                QStringLiteral("HOME=") + home,
                                programa};
        m_usuario = usuario;
        m_pronto = true;
    }
    bool pronto() const { return m_pronto; }
    // A folder the user may read but not write.
    void somenteLeitura(const QString &pasta) {
        if (!m_usuario.isEmpty())
            QProcess::execute(QStringLiteral("chown"), {QStringLiteral("root:root"), pasta});
        QFile::setPermissions(
            pasta, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                       QFile::ReadOther | QFile::ExeOther |
                       (m_usuario.isEmpty() ? QFileDevice::Permissions() : QFile::WriteOwner));
    }
    // A file the user owns, wherever it is.
    void darArquivo(const QString &arquivo) {
        if (!m_usuario.isEmpty())
            QProcess::execute(QStringLiteral("chown"), {m_usuario, arquivo});
    }
    // Runs the program with these arguments (on the database `banco` instead of the home's),
    // and gives its status and what it wrote.
    std::pair<int, QString> rodar(const QStringList &argumentos, const QString &banco = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home);
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        p.setProcessEnvironment(env);
        QStringList comando = m_comando;
        if (!banco.isEmpty())
            comando << QStringLiteral("--banco") << banco;
        p.start(comando.first(), comando.mid(1) + argumentos);
        p.waitForFinished(120000);
        return {p.exitCode(),
                QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
    }

private:
    QString m_home;
    QString m_usuario;
    QStringList m_comando;
    bool m_pronto = false;
};

} // namespace

class TstCopia : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { Fb::encerrar(); }

    void copiaVerificadaConfereComOBanco() {
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 50, 7);
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
        BancoTeste::preencher(banco.caminho(), 300, 20);
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
            BancoTeste::preencher(outro.caminho(), 299, 20);
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
        BancoTeste::preencher(banco.caminho(), 40, 3);
        Copias copias(banco.caminho());
        const QString arquivo = copias.arquivoDoDia(QDate(2026, 3, 5));
        QVERIFY(copias.fazer(arquivo).verificada);
        const ContagemBanco daCopia = contar(banco.caminho());
        BancoTeste::preencher(banco.caminho(), 5, 1); // work done after the backup
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
        BancoTeste::preencher(banco.caminho(), 1, 0);
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
        BancoTeste::preencher(banco.caminho(), 10, 1);
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
        BancoTeste::preencher(banco.caminho(), 2000, 100);
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

    // A nearly full disk: the backup and its verification would take the room the program
    // needs to start again, so none is begun; nothing is written, the good backup of that name
    // stays, and the daily backup tells the next start why there was none.
    void semEspacoNaoComecaENadaFica() {
        QTemporaryDir pequena;
        if (!montarDiscoPequeno(pequena.path(), 80 * 1024 * 1024, 80 * 1024 * 1024))
            QSKIP("this machine refuses to mount a small file system");
        const auto fim = qScopeGuard([&] { desmontar(pequena.path()); });
        const QString caminho = pequena.filePath(QStringLiteral("DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        BancoTeste::preencher(caminho, 3000, 10);
        // Room for a backup of this size, but not for it and the margin the program keeps.
        {
            QFile enchimento(pequena.filePath(QStringLiteral("enchimento")));
            QVERIFY(enchimento.open(QIODevice::Append));
            const QByteArray bloco(4096, 'x');
            while (QStorageInfo(pequena.path()).bytesAvailable() > 40 * 1024 * 1024 &&
                   enchimento.write(bloco) > 0 && enchimento.flush()) {
            }
        }
        Copias copias(caminho);
        QVERIFY(QDir().mkpath(copias.pasta()));
        const QString arquivo = copias.arquivoDoDia(QDate(2026, 3, 5));
        const QStringList antes = arquivos(copias.pasta());
        try {
            copias.fazer(arquivo);
            QFAIL("a backup began without room for it and the program");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().startsWith(QStringLiteral("Não há espaço no disco de")),
                     qPrintable(e.mensagem()));
        }
        QCOMPARE(arquivos(copias.pasta()), antes);
        QVERIFY(!copias.copiaDiaria(QDate(2026, 3, 6)));
        const auto aviso = copias.tomarAviso();
        QVERIFY(aviso);
        QVERIFY2(aviso->contains(QStringLiteral("Não há espaço no disco")), qPrintable(*aviso));
        QCOMPARE(arquivos(copias.pasta()), antes);
        QVERIFY(QStorageInfo(pequena.path()).bytesAvailable() > 30 * 1024 * 1024);
        QCOMPARE(contar(caminho).recibos, 3000);
    }

    // Paths as Brazilian homes have them: the home, the database's folder and the folder of
    // backups with ã, ç, é, Á, in a terminal whose locale knows no accents. A backup is made,
    // listed and restored through talvano-copia.
    void caminhosComAcentos_data() {
        QTest::addColumn<QString>("casa");
        QTest::addColumn<QString>("destino"); // empty: the day's backup in ~/Talvano/Copias
        QTest::addColumn<QString>("idioma");
        QTest::newRow("casa joão") << "joão"
                                   << ""
                                   << "C";
        QTest::newRow("área de trabalho") << "maria"
                                          << "Área de Trabalho/cópia.fbk"
                                          << "C.UTF-8";
        QTest::newRow("tudo acentuado") << "conceição"
                                        << "Cópias de Segurança/é.fbk"
                                        << "pt_BR.UTF-8";
    }
    void caminhosComAcentos() {
        QFETCH(QString, casa);
        QFETCH(QString, destino);
        QFETCH(QString, idioma);
        QTemporaryDir raiz;
        const QString home = raiz.filePath(casa);
        const QString caminho = home + QStringLiteral("/Talvano/DADOS.GDB");
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        BancoTeste::preencher(caminho, 30, 2);
        const ContagemBanco doBanco = contar(caminho);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("LANG"), idioma);
        env.insert(QStringLiteral("LC_ALL"), idioma);
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        const auto rodar = [&](const QStringList &argumentos) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(TALVANO_COPIA), argumentos);
            p.waitForFinished(120000);
            return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() +
                                                             p.readAllStandardError())};
        };
        const QString arquivo = destino.isEmpty()
                                    ? Copias(caminho).arquivoDoDia(QDate::currentDate())
                                    : home + u'/' + destino;
        if (!destino.isEmpty())
            QVERIFY(QDir().mkpath(QFileInfo(arquivo).absolutePath()));
        const auto [status, saida] =
            rodar(destino.isEmpty() ? QStringList{} : QStringList{arquivo});
        QVERIFY2(status == 0 && saida.contains(QStringLiteral("gravada e verificada")),
                 qPrintable(saida));
        QVERIFY(QFileInfo::exists(arquivo));
        const auto [statusLista, lista] = rodar({QStringLiteral("--listar")});
        QCOMPARE(statusLista, 0);
        if (destino.isEmpty())
            QVERIFY2(lista.contains(QStringLiteral("verificada: 30 recibos")), qPrintable(lista));
        BancoTeste::preencher(caminho, 5, 0);
        const auto [statusRestauro, restauro] = rodar({QStringLiteral("--restaurar"), arquivo});
        QVERIFY2(statusRestauro == 0, qPrintable(restauro));
        QCOMPARE(contar(caminho), doBanco);
    }

    // A clock once set ahead named 30 backups in the future: the backup made today is the
    // newest all the same, and stays; rotation takes the oldest made.
    void relogioAdiantadoNaoApagaANova() {
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 10, 1);
        Copias copias(banco.caminho());
        QVERIFY(QDir().mkpath(copias.pasta()));
        QStringList futuras;
        for (int i = 0; i < 30; ++i) {
            futuras << copias.arquivoDoDia(QDate(2031, 1, 1).addDays(i));
            QVERIFY(copias.fazer(futuras.last()).verificada);
        }
        const auto hoje = copias.copiaDiaria(QDate(2026, 12, 11));
        QVERIFY(hoje && hoje->verificada);
        QVERIFY(QFileInfo::exists(hoje->arquivo));
        QCOMPARE(copias.listar().first().arquivo, hoje->arquivo);
        QVERIFY(!QFileInfo::exists(futuras.first())); // the first made went
        QVERIFY(QFileInfo::exists(futuras.last()));
        QCOMPARE(copias.listar().size(), 30);
        // The backups made before the order was kept (no number in their records) count as
        // older than any made since.
        QVERIFY(!copias.copiaDiaria(QDate(2026, 12, 11)));
        QVERIFY(QFileInfo::exists(hoje->arquivo));
    }

    // Two restores in the same second keep both databases they replaced, under names of
    // their own.
    void restauracoesNoMesmoSegundoGuardamAsDuas() {
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 10, 1);
        Copias copias(banco.caminho());
        const QString arquivo = copias.arquivoDoDia(QDate(2026, 3, 5));
        QVERIFY(copias.fazer(arquivo).verificada);
        QStringList guardados;
        QList<ContagemBanco> substituidos;
        for (int i = 0; i < 3; ++i) {
            BancoTeste::preencher(banco.caminho(), i + 1, 0);
            substituidos << contar(banco.caminho());
            guardados << copias.restaurar(arquivo).guardado;
        }
        QCOMPARE(QSet<QString>(guardados.begin(), guardados.end()).size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(contar(guardados[i]), substituidos[i]);
        QCOMPARE(contar(banco.caminho()).recibos, 10);
    }

    // A record tells of the file it was written for: a backup that took a name whose record
    // was not yet rewritten (a kill between the two) is listed without figures and restored
    // on its own check, never with the old one's figures.
    void registroSoDoArquivoQueOEscreveu() {
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 10, 1);
        Copias copias(banco.caminho());
        const QString arquivo = copias.arquivoDoDia(QDate(2026, 3, 5));
        QVERIFY(copias.fazer(arquivo).verificada);
        const QByteArray registroAntigo = ler(arquivo + QStringLiteral(".verificacao"));
        BancoTeste::preencher(banco.caminho(), 7, 0);
        const QString outra = QDir(copias.pasta()).filePath(QStringLiteral("outra.fbk"));
        QVERIFY(copias.fazer(outra).verificada);
        // The new backup in place of the old, the old record left beside it.
        QVERIFY(::rename(QFile::encodeName(outra).constData(),
                         QFile::encodeName(arquivo).constData()) == 0);
        for (const Copias::Item &item : copias.listar())
            if (item.arquivo == arquivo)
                QCOMPARE(item.estado, Copias::Item::SemRegistro);
        QCOMPARE(ler(arquivo + QStringLiteral(".verificacao")), registroAntigo);
        const Copias::Restauracao r = copias.restaurar(arquivo);
        QVERIFY(!r.conferidaComRegistro);
        QCOMPARE(r.contagem.recibos, 17);
    }

    // A target that is the database itself (by its name, a link or another path) or a file
    // that is not one of our backups is refused, and nothing changes.
    void destinoQueNaoEUmaCopiaRecusado_data() {
        QTest::addColumn<QString>("qual");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("o próprio banco") << "banco"
                                         << "é o próprio banco de dados";
        QTest::newRow("o banco por um link") << "link"
                                             << "é o próprio banco de dados";
        QTest::newRow("o banco por outro nome") << "outroNome"
                                                << "é o próprio banco de dados";
        QTest::newRow("um arquivo do usuário") << "planilha"
                                               << "não é uma cópia de segurança feita";
        QTest::newRow("uma pasta") << "pasta"
                                   << "é uma pasta";
    }
    void destinoQueNaoEUmaCopiaRecusado() {
        QFETCH(QString, qual);
        QFETCH(QString, motivo);
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 10, 1);
        const QByteArray bytes = ler(banco.caminho());
        Copias copias(banco.caminho());
        const QString pasta = QFileInfo(banco.caminho()).absolutePath();
        QString alvo = banco.caminho();
        if (qual == u"link") {
            alvo = pasta + QStringLiteral("/atalho.fbk");
            QVERIFY(QFile::link(banco.caminho(), alvo));
        } else if (qual == u"outroNome") {
            alvo = pasta + QStringLiteral("/../") + QFileInfo(pasta).fileName() +
                   QStringLiteral("/./DADOS.GDB");
        } else if (qual == u"planilha") {
            alvo = pasta + QStringLiteral("/contas.fbk");
            gravar(alvo, "as contas do mês");
        } else if (qual == u"pasta") {
            alvo = pasta + QStringLiteral("/uma pasta");
            QVERIFY(QDir().mkpath(alvo));
        }
        try {
            copias.fazer(alvo);
            QFAIL("written over something not a backup");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().contains(motivo), qPrintable(e.mensagem()));
        }
        QCOMPARE(ler(banco.caminho()), bytes);
        if (qual == u"planilha")
            QCOMPARE(ler(alvo), QByteArray("as contas do mês"));
    }

    // Backups of other files are told for what they are, in Portuguese.
    void restaurarOQueNaoEUmaCopia_data() {
        QTest::addColumn<QString>("qual");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("vazio") << "vazio"
                               << "não é uma cópia de segurança de banco de dados";
        QTest::newRow("texto") << "texto"
                               << "não é uma cópia de segurança de banco de dados";
        QTest::newRow("figura") << "figura"
                                << "não é uma cópia de segurança de banco de dados";
        QTest::newRow("outro banco Firebird") << "outroBanco"
                                              << "é a cópia de outro banco de dados";
    }
    void restaurarOQueNaoEUmaCopia() {
        QFETCH(QString, qual);
        QFETCH(QString, motivo);
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 10, 1);
        const ContagemBanco antes = contar(banco.caminho());
        QTemporaryDir pasta;
        const QString arquivo = pasta.filePath(QStringLiteral("copia.fbk"));
        if (qual == u"vazio") {
            gravar(arquivo, {});
        } else if (qual == u"texto") {
            gravar(arquivo, "Recibo de aluguel de março\n");
        } else if (qual == u"figura") {
            gravar(arquivo, QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(2000, 'x'));
        } else {
            const QString outro = pasta.filePath(QStringLiteral("OUTRO.FDB"));
            Fb::Conexao c;
            c.configurar(outro, QString::fromLatin1(TDatamodule1::usuario()),
                         QString::fromLatin1(TDatamodule1::senha()));
            c.criar();
            c.executarDdl(QStringLiteral("CREATE TABLE ESTOQUE (ITEM INTEGER)"));
            c.desconectar();
            Fb::copiarBanco(outro, arquivo, QString::fromLatin1(TDatamodule1::usuario()),
                            QString::fromLatin1(TDatamodule1::senha()));
        }
        try {
            copias(banco).restaurar(arquivo);
            QFAIL("restored something not a backup of the program");
        } catch (const ErroSistema &e) {
            QVERIFY2(e.mensagem().contains(motivo), qPrintable(e.mensagem()));
            QVERIFY2(e.mensagem().contains(QStringLiteral("nada foi alterado")),
                     qPrintable(e.mensagem()));
        }
        QCOMPARE(contar(banco.caminho()), antes);
    }

    // The daily backup at the normal end: once a day; what fails is told at the next start,
    // once.
    void copiaDiariaUmaVezEAvisoUmaVez() {
        BancoTeste banco;
        BancoTeste::preencher(banco.caminho(), 10, 1);
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
        const QString home = raiz.filePath(QStringLiteral("home"));
        const QString caminho = home + QStringLiteral("/Talvano/DADOS.GDB");
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        const QString copiasDir = home + QStringLiteral("/Talvano/Copias");
        QVERIFY(QDir().mkpath(copiasDir));
        UsuarioComum usuario(raiz, home);
        if (!usuario.pronto())
            QSKIP("no ordinary user to run the program as");
        usuario.somenteLeitura(copiasDir);
        const auto [status, erro] = usuario.rodar({});
        QCOMPARE(status, 1);
        QVERIFY2(
            erro.contains(QStringLiteral("Sem permissão para gravar na pasta %1").arg(copiasDir)),
            qPrintable(erro));
        QVERIFY(arquivos(copiasDir).isEmpty());
        QCOMPARE(arquivos(home + QStringLiteral("/Talvano")),
                 QStringList{QStringLiteral("DADOS.GDB")});
    }

    // The database in a folder the user may not write: the backup, written to a folder of the
    // user's, is verified in the temporary folder and counts; nothing lands beside the database.
    void pastaDoBancoSomenteLeitura() {
        QTemporaryDir raiz;
        const QString home = raiz.filePath(QStringLiteral("home"));
        const QString pastaBanco = raiz.filePath(QStringLiteral("banco"));
        const QString caminho = pastaBanco + QStringLiteral("/DADOS.GDB");
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        BancoTeste::preencher(caminho, 25, 2);
        QVERIFY(QDir().mkpath(home));
        UsuarioComum usuario(raiz, home);
        if (!usuario.pronto())
            QSKIP("no ordinary user to run the program as");
        usuario.darArquivo(caminho);
        usuario.somenteLeitura(pastaBanco);
        const QString arquivo = home + QStringLiteral("/copia.fbk");
        const auto [status, saida] = usuario.rodar({arquivo}, caminho);
        QVERIFY2(status == 0 && saida.contains(QStringLiteral("gravada e verificada")),
                 qPrintable(saida));
        QCOMPARE(arquivos(pastaBanco), QStringList{QStringLiteral("DADOS.GDB")});
    }

    // kill -9 in the middle of a restore: the database in use is whole and opens, and the
    // next restore goes through.
    void restauracaoMortaNoMeio() {
        QTemporaryDir home;
        const QString caminho = home.filePath(QStringLiteral("Talvano/DADOS.GDB"));
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
        BancoTeste::preencher(caminho, 20000, 100);
        Copias copias(caminho);
        const QString arquivo = copias.arquivoDoDia(QDate(2026, 3, 5));
        QVERIFY(copias.fazer(arquivo).verificada);
        BancoTeste::preencher(caminho, 3, 0);
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
