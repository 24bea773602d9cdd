// Several desks on one register served by a real Firebird server of the test's own.
#include "AcessoBanco.h"
#include "BancoTeste.h"
#include "Consultas.h"
#include "Copias.h"
#include "ErroSistema.h"
#include "EsperaDeRede.h"
#include "ProcessoAuxiliar.h"
#include "ServidorTeste.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSet>
#include <QtTest>
#include <functional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString k_balcao = QStringLiteral("balcao1");
const QString k_escritorio = QStringLiteral("escritorio");
QString senhaDe(const QString &conta) {
    return QStringLiteral("senha-de-%1 ção ").arg(conta); // a space at the end too
}

// The message of the ErroSistema a call raised; "(sem erro)" when it went through.
QString erroDe(const std::function<void()> &chamada) {
    try {
        chamada();
    } catch (const ErroSistema &e) {
        return e.mensagem();
    }
    return QStringLiteral("(sem erro)");
}

// A socket on 127.0.0.1 that takes connections into its queue and never answers them, as a
// server behind a dead link seems; closed, its port has nobody listening.
class SoqueteMudo {
public:
    SoqueteMudo() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t tamanho = sizeof a;
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(m_fd, 8);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &tamanho);
        m_porta = ntohs(a.sin_port);
    }
    ~SoqueteMudo() { fechar(); }
    void fechar() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    int porta() const { return m_porta; }

private:
    int m_fd = -1;
    int m_porta = 0;
};

// The link cut under a desk at work, inside a network of the process's own (unshare -rn):
// the server on its loopback, a receipt saved, the loopback taken down as a cable pulled
// out, and the next save must fail with its message in seconds instead of hanging. Gives the
// exit status of that run.
int cortarARede() {
    const auto ip = [](const char *estado) {
        return QProcess::execute(QStringLiteral("ip"),
                                 {QStringLiteral("link"), QStringLiteral("set"),
                                  QStringLiteral("lo"), QLatin1String(estado)});
    };
    if (ip("up") != 0)
        return 3;
    ServidorTeste servidor;
    const AcessoBanco admin{servidor.endereco(QStringLiteral("DADOS.GDB")),
                            QStringLiteral("SYSDBA"),
                            ServidorTeste::senhaAdmin(),
                            {}};
    try {
        Esquema::criarNoServidor(admin, Esquema::Modo::Completo, {});
        TDatamodule1 mesa(admin);
        mesa.Recibos->substituirSql({QStringLiteral("SELECT * FROM RECIBOS WHERE 1 = 0")});
        const auto salvar = [&] {
            mesa.Recibos->inserir();
            mesa.RecibosCLIENTE->definirValor(QStringLiteral("Cabo Puxado"));
            mesa.Recibos->gravar();
            mesa.confirmar();
        };
        salvar();
        if (ip("down") != 0)
            return 4;
        QElapsedTimer relogio;
        relogio.start();
        try {
            salvar();
            std::fprintf(stderr, "gravou sem rede\n");
            return 5;
        } catch (const ErroSistema &e) {
            std::fprintf(stderr, "%lld ms: %s\n", static_cast<long long>(relogio.elapsed()),
                         e.mensagem().toUtf8().constData());
            if (relogio.elapsed() > (Fb::k_segundosSemResposta + 15) * 1000 ||
                !e.mensagem().startsWith(
                    QStringLiteral("A conexão com o banco de dados foi perdida")))
                return 6;
        }
        if (!mesa.Recibos->emEdicao())
            return 7;
    } catch (const ErroSistema &e) {
        std::fprintf(stderr, "%s\n", e.mensagem().toUtf8().constData());
        return 8;
    }
    return 0;
}

} // namespace

class TstServidor : public QObject {
    Q_OBJECT

    std::unique_ptr<ServidorTeste> m_servidor;
    // A home with an accented name, as many are.
    QTemporaryDir m_casa{QDir::tempPath() + QStringLiteral("/casa de joão-XXXXXX")};
    QString m_banco;

    AcessoBanco mesa(const QString &conta) const {
        return {m_banco, conta, senhaDe(conta), AcessoBanco::papelDasMesas()};
    }
    AcessoBanco admin() const {
        return {m_banco, QStringLiteral("SYSDBA"), ServidorTeste::senhaAdmin(), {}};
    }
    // What the register holds, read through the administrator's own attachment.
    Fb::Linha consultar(const QString &sql) const {
        Fb::Conexao c;
        c.configurar(m_banco, QStringLiteral("SYSDBA"), ServidorTeste::senhaAdmin());
        c.conectar();
        Fb::Transacao tra(c);
        tra.iniciar();
        return Fb::Comando(tra, sql).executar();
    }
    static QString erroAoConectar(const AcessoBanco &acesso) {
        Fb::Conexao c;
        c.configurar(acesso.banco, acesso.usuario, acesso.senha, acesso.papel);
        return erroDe([&] { c.conectar(); });
    }

private Q_SLOTS:
    void initTestCase() {
        qputenv("HOME", QFile::encodeName(m_casa.path()));
        m_servidor = std::make_unique<ServidorTeste>();
        m_banco = m_servidor->endereco(QStringLiteral("DADOS.GDB"));
        // The office's one command on the server: the passwords come on stdin.
        QProcess criar;
        criar.setProcessChannelMode(QProcess::MergedChannels);
        criar.start(QStringLiteral(CRIAR_BASE),
                    {QStringLiteral("--servidor"), m_banco, QStringLiteral("--conta"), k_balcao,
                     QStringLiteral("--conta"), k_escritorio, QStringLiteral("--modo"),
                     QStringLiteral("completo")});
        criar.write((ServidorTeste::senhaAdmin() + u'\n' + senhaDe(k_balcao) + u'\n' +
                     senhaDe(k_escritorio) + u'\n')
                        .toUtf8());
        criar.closeWriteChannel();
        QVERIFY(criar.waitForFinished(60000));
        const QString saida = QString::fromUtf8(criar.readAll());
        QVERIFY2(criar.exitCode() == 0, qPrintable(saida));
        QVERIFY2(saida.contains(QStringLiteral("Banco de dados criado")), qPrintable(saida));
    }
    void cleanupTestCase() { m_servidor.reset(); }

    // Four desk processes issue receipts at the same moment: every number is another, and
    // every row is the one its desk saved.
    void mesasEmitemAoMesmoTempoSemRepetirNumero() {
        const int porMesa = 60;
        // All four begin at one moment, whatever their start-up took.
        const qint64 inicio = (QDateTime::currentMSecsSinceEpoch() + 5000) * 1000000;
        std::vector<std::unique_ptr<QProcess>> mesas;
        for (int i = 0; i < 4; ++i) {
            const QString conta = i % 2 ? k_escritorio : k_balcao;
            auto p = std::make_unique<QProcess>();
            p->start(QStringLiteral(MESA_SERVIDOR),
                     {m_banco, conta, QString::number(porMesa), QStringLiteral("Mesa %1").arg(i),
                      QString::number(inicio)});
            p->write((senhaDe(conta) + u'\n').toUtf8());
            // Written now, not when the test next waits on that desk: the desks run together.
            p->waitForBytesWritten(10000);
            p->closeWriteChannel();
            mesas.push_back(std::move(p));
        }
        QSet<int> numeros;
        std::vector<std::pair<int, int>> faixas; // each desk's first and last number
        for (int i = 0; i < 4; ++i) {
            QProcess &p = *mesas[size_t(i)];
            QVERIFY(p.waitForFinished(120000));
            QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
            const QList<QByteArray> linhas = p.readAllStandardOutput().trimmed().split('\n');
            QCOMPARE(linhas.size(), porMesa);
            for (const QByteArray &l : linhas) {
                const int numero = l.split(' ').at(0).toInt();
                QVERIFY2(!numeros.contains(numero), l.constData());
                numeros.insert(numero);
                if (faixas.size() <= size_t(i))
                    faixas.emplace_back(numero, numero);
                faixas[size_t(i)].first = qMin(faixas[size_t(i)].first, numero);
                faixas[size_t(i)].second = qMax(faixas[size_t(i)].second, numero);
                const Fb::Linha linha =
                    consultar(QStringLiteral("SELECT CLIENTE, VALOR, REFERENTE FROM RECIBOS WHERE "
                                             "ID_RECIBO = %1")
                                  .arg(numero));
                QVERIFY(!linha.empty());
                const QString referente = linha[2].toString();
                QCOMPARE(linha[0].toString(), QStringLiteral("Mesa %1").arg(i));
                QVERIFY2(referente.startsWith(QStringLiteral("Mesa %1 nº ").arg(i)),
                         qPrintable(referente));
                QCOMPARE(linha[1].value<Dinheiro>().centavos(),
                         100 + referente.section(u' ', -1).toInt());
            }
        }
        QCOMPARE(numeros.size(), 4 * porMesa);
        // They really worked at once: the numbers of each desk are interleaved with another's.
        for (size_t i = 0; i < faixas.size(); ++i) {
            const auto [menor, maior] = faixas[i];
            QVERIFY2(maior - menor + 1 > porMesa,
                     qPrintable(QStringLiteral("a mesa %1 trabalhou sozinha").arg(i)));
        }
        QCOMPARE(consultar(QStringLiteral("SELECT COUNT(*) FROM RECIBOS WHERE CLIENTE "
                                          "STARTING WITH 'Mesa '"))
                     .at(0)
                     .toInt(),
                 4 * porMesa);
    }

    // The second desk to save a client the first is saving meets its lock at once: told in
    // Portuguese, still editing with what it typed, and its next save goes through.
    void mesaQueEncontraATravaContinuaEditandoEGravaDepois() {
        TDatamodule1 a(mesa(k_balcao)), b(mesa(k_escritorio));
        a.cadastrarCliente(QStringLiteral("Cliente Disputado"), QStringLiteral("111.444.777-35"));
        const int id = a.ClientesID_CLIENTE->valor().toInt();
        const auto editar = [id](TDatamodule1 &dm, const QString &nome) {
            dm.Clientes->substituirSql(
                {QStringLiteral("SELECT * FROM CLIENTES WHERE ID_CLIENTE = %1").arg(id)});
            dm.Clientes->editar();
            dm.ClientesCLIENTE->definirValor(nome);
        };
        editar(a, QStringLiteral("Nome do Balcão"));
        a.Clientes->gravar(); // posted, not yet committed: the row is locked
        editar(b, QStringLiteral("Nome do Escritório"));
        const QString trava = erroDe([&] { b.Clientes->gravar(); });
        QVERIFY2(
            trava.startsWith(QStringLiteral("Outra estação está alterando este registro agora")),
            qPrintable(trava));
        QVERIFY(b.Clientes->emEdicao());
        QCOMPARE(b.ClientesCLIENTE->valor().toString(), QStringLiteral("Nome do Escritório"));
        a.confirmar();
        b.Clientes->gravar();
        b.confirmar();
        QCOMPARE(
            consultar(QStringLiteral("SELECT CLIENTE FROM CLIENTES WHERE ID_CLIENTE = %1").arg(id))
                .at(0)
                .toString(),
            QStringLiteral("Nome do Escritório"));
    }

    // A receipt one desk saves is found by the other desk's next search.
    void reciboDeUmaMesaApareceNaBuscaDaOutra() {
        TDatamodule1 a(mesa(k_balcao)), b(mesa(k_escritorio));
        Datamodule1 = &b;
        const auto achados = [] {
            Consultas::buscar(Consultas::Busca::RecibosPorNome, QStringLiteral("Recém Chegado"));
            Conjunto &c = Consultas::conjuntoDaBusca(Consultas::Busca::RecibosPorNome);
            c.carregarTudo();
            return c.linhasCarregadas();
        };
        QCOMPARE(achados(), 0);
        a.Recibos->substituirSql({QStringLiteral("SELECT * FROM RECIBOS WHERE 1 = 0")});
        a.Recibos->inserir();
        a.RecibosCLIENTE->definirValor(QStringLiteral("Recém Chegado"));
        a.RecibosVALOR->definirValor(QVariant::fromValue(Dinheiro::deCentavos(4250)));
        a.Recibos->gravar();
        a.confirmar();
        QCOMPARE(achados(), 1);
        Datamodule1 = nullptr;
    }

    // The server goes down under a desk at work: the save is refused with a message, the
    // receipt typed stays, the desk ends without a crash, and after the restart everything
    // committed is there and the database is sound.
    void servidorQueCaiNoMeioDoTrabalho() {
        int guardados = 0;
        {
            TDatamodule1 a(mesa(k_balcao));
            a.Recibos->substituirSql({QStringLiteral("SELECT * FROM RECIBOS WHERE 1 = 0")});
            for (int i = 0; i < 3; ++i) {
                a.Recibos->inserir();
                a.RecibosCLIENTE->definirValor(QStringLiteral("Antes da Queda"));
                a.Recibos->gravar();
                a.confirmar();
                ++guardados;
            }
            m_servidor->parar();
            a.Recibos->inserir();
            a.RecibosCLIENTE->definirValor(QStringLiteral("Digitado na Queda"));
            const QString queda = erroDe([&] {
                a.Recibos->gravar();
                a.confirmar();
            });
            QVERIFY2(queda.startsWith(QStringLiteral("A conexão com o banco de dados foi perdida")),
                     qPrintable(queda));
            QVERIFY(a.Recibos->emEdicao());
            QCOMPARE(a.RecibosCLIENTE->valor().toString(), QStringLiteral("Digitado na Queda"));
        } // the desk ends: its data module goes with the server away
        m_servidor->iniciar();
        QCOMPARE(consultar(QStringLiteral(
                               "SELECT COUNT(*) FROM RECIBOS WHERE CLIENTE = 'Antes da Queda'"))
                     .at(0)
                     .toInt(),
                 guardados);
        int status = -1;
        const QString validacao = m_servidor->executar(
            QStringLiteral("gfix"), {QStringLiteral("-v"), QStringLiteral("-full"), m_banco}, {},
            &status);
        QVERIFY2(status == 0 && validacao.trimmed().isEmpty(), qPrintable(validacao));
    }

    // A cable pulled out under a desk at work: the save fails with its message in seconds,
    // and the receipt typed stays; without the limit the desk hung for a quarter of an hour.
    void caboPuxadoNaoPrendeAMesa() {
        QVERIFY(Fb::esperaDeRedeAtiva());
        if (QProcess::execute(QStringLiteral("unshare"),
                              {QStringLiteral("-rn"), QStringLiteral("true")}) != 0)
            QSKIP("esta máquina não deixa criar uma rede própria (unshare -rn)");
        QProcess corte;
        corte.setProcessChannelMode(QProcess::MergedChannels);
        corte.start(QStringLiteral("unshare"),
                    {QStringLiteral("-rn"), QCoreApplication::applicationFilePath(),
                     QStringLiteral("--cortar-a-rede")});
        QVERIFY(corte.waitForFinished(180000));
        const QByteArray saida = corte.readAll();
        QVERIFY2(corte.exitStatus() == QProcess::NormalExit && corte.exitCode() == 0,
                 qPrintable(QStringLiteral("status %1: %2")
                                .arg(corte.exitCode())
                                .arg(QString::fromUtf8(saida))));
        qInfo("%s", saida.trimmed().constData());
    }

    // A desk that cannot get in is told, within seconds, which server and why.
    void mesaQueNaoEntraDizOServidorEOMotivo_data() {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("senha errada") << "senha"
                                      << "o servidor recusou a conta \"balcao1\"";
        QTest::newRow("porta sem servidor") << "porta"
                                            << "o servidor recusou a conexão";
        QTest::newRow("servidor que não responde") << "mudo"
                                                   << "o servidor não respondeu";
        QTest::newRow("banco que não existe") << "arquivo"
                                              << "não encontrou";
    }
    void mesaQueNaoEntraDizOServidorEOMotivo() {
        QFETCH(QString, caso);
        QFETCH(QString, motivo);
        AcessoBanco acesso = mesa(k_balcao);
        SoqueteMudo mudo;
        if (caso == QLatin1String("senha"))
            acesso.senha = QStringLiteral("errada");
        if (caso == QLatin1String("arquivo"))
            acesso.banco = m_servidor->endereco(QStringLiteral("NAO-EXISTE.GDB"));
        if (caso == QLatin1String("porta") || caso == QLatin1String("mudo")) {
            const int porta = mudo.porta();
            if (caso == QLatin1String("porta"))
                mudo.fechar();
            acesso.banco = QStringLiteral("127.0.0.1/%1:/srv/talvano/DADOS.GDB").arg(porta);
        }
        const QString servidor = acesso.banco.left(acesso.banco.indexOf(u':'));
        QElapsedTimer relogio;
        relogio.start();
        const QString erro = erroAoConectar(acesso);
        QVERIFY2(relogio.elapsed() < 15000, "a estação esperou demais pelo servidor");
        QVERIFY2(erro.contains(QStringLiteral("do servidor %1: ").arg(servidor)), qPrintable(erro));
        QVERIFY2(erro.contains(motivo), qPrintable(erro));
    }

    // The desk demands an encrypted wire: a server that will not encrypt is refused.
    void servidorSemCriptografiaRecusado() {
        ServidorTeste aberto("Disabled");
        const QString erro = erroAoConectar({aberto.endereco(QStringLiteral("X.GDB")),
                                             QStringLiteral("SYSDBA"),
                                             ServidorTeste::senhaAdmin(),
                                             {}});
        QVERIFY2(erro.contains(QStringLiteral("não aceita conexão criptografada")),
                 qPrintable(erro));
    }

    // The desk's setting holds a password: written readable by its owner alone, refused when
    // others can read it or when it is a link, and a server without an account is told.
    void configuracaoDaMesaGuardaASenhaSoParaODono() {
        const QString arquivo = AcessoBanco::arquivoDaMesa();
        AcessoBanco::gravarMesa(mesa(k_balcao));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(arquivo).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
        const AcessoBanco lido = AcessoBanco::daMesa();
        QCOMPARE(lido.banco, m_banco);
        QCOMPARE(lido.usuario, k_balcao);
        QCOMPARE(lido.senha, senhaDe(k_balcao));
        QCOMPARE(lido.papel, AcessoBanco::papelDasMesas());

        const auto recusa = [] { return erroDe([] { AcessoBanco::daMesa(); }); };
        ::chmod(QFile::encodeName(arquivo).constData(), 0644);
        QVERIFY2(recusa().contains(QStringLiteral("chmod 600")), qPrintable(recusa()));
        ::chmod(QFile::encodeName(arquivo).constData(), 0600);
        const QString verdadeiro = arquivo + QStringLiteral(".de-outro");
        QVERIFY(QFile::rename(arquivo, verdadeiro));
        QVERIFY(QFile::link(verdadeiro, arquivo));
        QVERIFY2(recusa().contains(QStringLiteral("é um link")), qPrintable(recusa()));
        QFile::remove(arquivo);
        QFile::remove(verdadeiro);

        // Nothing set: the embedded file, as a single desk always worked.
        QCOMPARE(AcessoBanco::daMesa().banco, TDatamodule1::caminhoPadrao());
        QVERIFY(!AcessoBanco::daMesa().noServidor());
        qputenv("TALVANO_SERVIDOR", m_banco.toUtf8());
        QVERIFY2(recusa().contains(QStringLiteral("talvano-criar-base --estacao")),
                 qPrintable(recusa()));
        qunsetenv("TALVANO_SERVIDOR");
    }

    // A verified backup of the register through the server's services, written on this
    // machine, and its figures equal to the register's.
    void copiaPeloServidor() {
        TDatamodule1(mesa(k_balcao)).cadastrarCliente(QStringLiteral("Antes da Cópia"), QString());
        AcessoBanco::gravarMesa(admin());
        const QString arquivo = m_casa.filePath(QStringLiteral("copias/DADOS-servidor.fbk"));
        const Copias::Resultado r = Copias(m_banco).fazer(arquivo);
        QVERIFY2(r.verificada, qPrintable(r.motivo));
        QCOMPARE(r.contagem.recibos,
                 consultar(QStringLiteral("SELECT COUNT(*) FROM RECIBOS")).at(0).toLongLong());
        QVERIFY(r.contagem.clientes > 0);
        QVERIFY(QFileInfo(arquivo).size() > 0);

        // A cut backup file sent to the server is refused, and the register stays as it was.
        {
            QFile inteira(arquivo);
            QVERIFY(inteira.open(QIODevice::ReadOnly));
            QFile cortada(m_casa.filePath(QStringLiteral("copias/cortada.fbk")));
            QVERIFY(cortada.open(QIODevice::WriteOnly));
            cortada.write(inteira.read(inteira.size() / 2));
            cortada.close();
            QElapsedTimer relogio;
            relogio.start();
            const QString recusa = erroDe([&] { Copias(m_banco).restaurar(cortada.fileName()); });
            QVERIFY2(recusa.startsWith(QStringLiteral("A cópia ")) &&
                         recusa.contains(QStringLiteral("nada foi alterado")),
                     qPrintable(recusa));
            QVERIFY(relogio.elapsed() < 60000);
            QCOMPARE(consultar(QStringLiteral("SELECT COUNT(*) FROM CLIENTES")).at(0).toLongLong(),
                     r.contagem.clientes);
        }
        // Restored through the server while a desk works: refused, nothing changed. With the
        // desks closed: the current register kept aside, the backup's in its place.
        {
            TDatamodule1 depois(mesa(k_balcao));
            depois.cadastrarCliente(QStringLiteral("Depois da Cópia"), QString());
            const QString recusa = erroDe([&] { Copias(m_banco).restaurar(arquivo); });
            QVERIFY2(recusa.contains(QStringLiteral("feche o Talvano em todas as estações")),
                     qPrintable(recusa));
            // The refusal left the desk at work.
            depois.cadastrarCliente(QStringLiteral("Ainda Trabalhando"), QString());
        }
        const qint64 clientesAntes =
            consultar(QStringLiteral("SELECT COUNT(*) FROM CLIENTES")).at(0).toLongLong();
        QCOMPARE(clientesAntes, r.contagem.clientes + 2);
        const Copias::Restauracao rest = Copias(m_banco).restaurar(arquivo);
        QVERIFY(rest.pendente.isEmpty());
        QVERIFY(rest.conferidaComRegistro);
        QVERIFY2(QFileInfo::exists(rest.guardado), qPrintable(rest.guardado));
        QCOMPARE(consultar(QStringLiteral("SELECT COUNT(*) FROM CLIENTES")).at(0).toLongLong(),
                 r.contagem.clientes);
        TDatamodule1 mesaDepois(mesa(k_escritorio));
        mesaDepois.garantirConexao();
        QFile::remove(AcessoBanco::arquivoDaMesa());
    }
};

int main(int argc, char **argv) {
    if (const auto status = ProcessoAuxiliar::atender(argc, argv))
        return *status;
    QCoreApplication app(argc, argv);
    if (argc == 2 && QByteArray(argv[1]) == "--cortar-a-rede") {
        const int status = cortarARede();
        TDatamodule1::encerrarBanco();
        return status;
    }
    TstServidor teste;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&teste, argc, argv);
}

#include "tst_servidor.moc"
