// The register of bench_dados (100,000 clients, 1,000,000 receipts) embedded and then served
// over loopback by a Firebird server of the benchmark's own: each keystroke of the four
// search boxes to its first screen of rows, a receipt's save (insert, post, commit), and the
// receipts saved per second by 1, 2 and 4 desks at once. Prints wall and CPU time, and the
// peak memory of this process and of the server.
//
// Usage: bench_servidor [PASTA]   (PASTA/DADOS.GDB filled by bench_dados --so-buscas PASTA)
#include "AcessoBanco.h"
#include "Consultas.h"
#include "Datamodule1.h"
#include "Dinheiro.h"
#include "ErroSistema.h"
#include "ServidorTeste.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

const QString k_marca = QStringLiteral("BENCH SERVIDOR");
constexpr int k_salvamentos = 200;

double cpuSegundos(int quem = RUSAGE_SELF) {
    rusage u{};
    getrusage(quem, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

qint64 agoraNs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct Figura {
    double mediana = 0, pior = 0, cpu = 0, cpuServidor = 0; // ms; CPU per operation
};

// The server's process, while it runs: its CPU time counts in each operation's.
qint64 g_pidServidor = 0;

double cpuServidorSegundos() {
    if (!g_pidServidor)
        return 0;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(g_pidServidor));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray texto = stat.readAll();
    const QList<QByteArray> campos = texto.mid(texto.lastIndexOf(')') + 2).split(' ');
    return double(campos.value(11).toLongLong() + campos.value(12).toLongLong()) /
           double(sysconf(_SC_CLK_TCK));
}

Figura resumir(std::vector<double> ms, double cpuTotal, double cpuServidor) {
    std::sort(ms.begin(), ms.end());
    const double n = double(ms.size());
    return {ms[ms.size() / 2], ms.back(), cpuTotal * 1000.0 / n, cpuServidor * 1000.0 / n};
}

// Types the text one character at a time into a search, as the search boxes hand it over,
// each keystroke reading the first screen of rows.
Figura digitar(Consultas::Busca busca, const QString &texto) {
    std::vector<double> ms;
    const double cpu0 = cpuSegundos(), servidor0 = cpuServidorSegundos();
    for (int volta = 0; volta < 3; ++volta)
        for (qsizetype n = 1; n <= texto.size(); ++n) {
            QElapsedTimer t;
            t.start();
            Consultas::buscar(busca, texto.left(n));
            Consultas::conjuntoDaBusca(busca).carregarMais(Consultas::k_telaDeLinhas);
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
            if (qEnvironmentVariableIsSet("BENCH_DETALHE"))
                std::printf("  \"%s\" %.2f ms\n", qPrintable(texto.left(n)), ms.back());
        }
    return resumir(ms, cpuSegundos() - cpu0, cpuServidorSegundos() - servidor0);
}

// Saves one receipt as the receipt window does.
void salvarRecibo(TDatamodule1 &dm, int i) {
    dm.Recibos->inserir();
    // Clients vary as at a real desk: one name for all would pile every insert on one leaf
    // of the index by name.
    dm.RecibosCLIENTE->definirValor(QStringLiteral("%1 %2 %3").arg(k_marca).arg(::getpid()).arg(i));
    dm.RecibosVALOR->definirValor(QVariant::fromValue(Dinheiro::deCentavos(100 + i)));
    dm.RecibosTIPO->definirValor(QStringLiteral("DEVEDOR"));
    dm.Recibos->gravar();
    dm.confirmar();
}

Figura salvar(TDatamodule1 &dm) {
    dm.Recibos->substituirSql({QStringLiteral("SELECT * FROM RECIBOS WHERE 1 = 0")});
    std::vector<double> ms;
    const double cpu0 = cpuSegundos(), servidor0 = cpuServidorSegundos();
    for (int i = 0; i < k_salvamentos; ++i) {
        QElapsedTimer t;
        t.start();
        salvarRecibo(dm, i);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return resumir(ms, cpuSegundos() - cpu0, cpuServidorSegundos() - servidor0);
}

void apagarOsDoBench(TDatamodule1 &dm) {
    dm.Recibos->substituirSql(
        {QStringLiteral("SELECT * FROM RECIBOS WHERE CLIENTE STARTING WITH '%1 '").arg(k_marca)});
    dm.Recibos->carregarTudo();
    while (!dm.Recibos->vazio())
        dm.Recibos->excluir();
    dm.confirmar();
}

struct Medidas {
    Figura nome, cpfCnpj, recibosNome, recibosNumero, salvar;
};

Medidas medir(const AcessoBanco &acesso) {
    TDatamodule1 dm(acesso);
    Datamodule1 = &dm;
    Medidas m;
    using B = Consultas::Busca;
    m.nome = digitar(B::ClientesPorNome, QStringLiteral("MARIA SILVA"));
    m.cpfCnpj = digitar(B::ClientesPorCpfCnpj, QStringLiteral("1234567"));
    m.recibosNome = digitar(B::RecibosPorNome, QStringLiteral("MARIA SILVA"));
    m.recibosNumero = digitar(B::RecibosPorNumero, QStringLiteral("123456"));
    m.salvar = salvar(dm);
    apagarOsDoBench(dm);
    Datamodule1 = nullptr;
    return m;
}

// A desk process: attached and prepared, it waits for the common start, saves receipts for
// the time given and prints how many. With `intervaloNs`, one receipt at most in each such
// interval, as a desk with a person at it paces them; without, as fast as it can.
int mesa(const QString &endereco, qint64 inicio, qint64 duracaoNs, qint64 intervaloNs) {
    std::string senha;
    std::getline(std::cin, senha);
    TDatamodule1 dm(
        AcessoBanco{endereco, QStringLiteral("SYSDBA"), QString::fromStdString(senha), QString()});
    dm.Recibos->substituirSql({QStringLiteral("SELECT * FROM RECIBOS WHERE 1 = 0")});
    const qint64 t0 = agoraNs();
    salvarRecibo(dm, 0);
    if (qEnvironmentVariableIsSet("BENCH_DETALHE"))
        std::fprintf(stderr, "mesa %d: primeiro recibo em %.1f ms, %.1f ms antes do início\n",
                     int(::getpid()), double(agoraNs() - t0) / 1e6,
                     double(inicio - agoraNs()) / 1e6);
    while (agoraNs() < inicio)
        ::usleep(200);
    int salvos = 0;
    while (agoraNs() < inicio + duracaoNs) {
        salvarRecibo(dm, ++salvos);
        while (intervaloNs > 0 && agoraNs() < inicio + salvos * intervaloNs)
            ::usleep(100);
    }
    std::printf("%d\n", salvos);
    return 0;
}

// Receipts per second saved by `mesas` desk processes at once, all starting together.
double vazao(const QString &endereco, int mesas, qint64 intervaloNs) {
    constexpr qint64 k_duracao = 3000000000;
    const qint64 inicio = agoraNs() + 2000000000;
    std::vector<std::unique_ptr<QProcess>> processos;
    for (int i = 0; i < mesas; ++i) {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--mesa"), endereco, QString::number(inicio),
                  QString::number(k_duracao), QString::number(intervaloNs)});
        p->write((ServidorTeste::senhaAdmin() + u'\n').toUtf8());
        // Written now, not when this process next waits on that desk: the desks start together.
        p->waitForBytesWritten(10000);
        p->closeWriteChannel();
        processos.push_back(std::move(p));
    }
    qint64 salvos = 0;
    for (auto &p : processos) {
        p->waitForFinished(600000);
        bool ok = false;
        const qint64 daMesa = p->readAllStandardOutput().trimmed().toLongLong(&ok);
        salvos += daMesa;
        if (qEnvironmentVariableIsSet("BENCH_DETALHE"))
            std::printf("  mesa: %lld recibos\n", static_cast<long long>(daMesa));
        if (!ok) {
            std::fprintf(stderr, "mesa falhou: %s\n", p->readAllStandardError().constData());
            return 0;
        }
    }
    return double(salvos) / (double(k_duracao) / 1e9);
}

long picoDoProcessoKb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &linha : status.readAll().split('\n'))
        if (linha.startsWith("VmHWM:"))
            return linha.mid(6).trimmed().split(' ').at(0).toLong();
    return 0;
}

void linha(const char *oQue, const Figura &embutido, const Figura &servidor) {
    std::printf("%-30s %8.2f %8.2f %8.2f   %8.2f %8.2f %8.2f %8.2f\n", oQue, embutido.mediana,
                embutido.pior, embutido.cpu, servidor.mediana, servidor.pior, servidor.cpu,
                servidor.cpuServidor);
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 6 && QByteArray(argv[1]) == "--mesa") {
        QCoreApplication app(argc, argv);
        const int status = mesa(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong(),
                                QByteArray(argv[4]).toLongLong(), QByteArray(argv[5]).toLongLong());
        TDatamodule1::encerrarBanco();
        return status;
    }
    QCoreApplication app(argc, argv);
    const QString pasta = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/bd");
    const QString banco = QFileInfo(pasta + QStringLiteral("/DADOS.GDB")).absoluteFilePath();
    if (!QFileInfo::exists(banco)) {
        std::fprintf(stderr, "Falta %s: encha-o antes com bench_dados --so-buscas %s\n",
                     qPrintable(banco), qPrintable(pasta));
        return 2;
    }
    try {
        QElapsedTimer total;
        total.start();
        const Medidas embutido = medir(AcessoBanco::local(banco));
        // The engine of this process lets the file go before the server opens it.
        TDatamodule1::descartarConexaoAntecipada();
        ServidorTeste servidor;
        const QString endereco = servidor.servidor() + u':' + banco;
        g_pidServidor = servidor.pid();
        const Medidas remoto =
            medir({endereco, QStringLiteral("SYSDBA"), ServidorTeste::senhaAdmin(), {}});
        std::printf("\n%-30s %26s   %35s\n", "", "embutido (ms)", "servidor, loopback (ms)");
        std::printf("%-30s %8s %8s %8s   %8s %8s %8s %8s\n", "", "mediana", "pior", "CPU/op",
                    "mediana", "pior", "CPU/op", "CPU serv");
        linha("clientes pelo nome, tecla", embutido.nome, remoto.nome);
        linha("clientes pelo CPF/CNPJ, tecla", embutido.cpfCnpj, remoto.cpfCnpj);
        linha("recibos pelo nome, tecla", embutido.recibosNome, remoto.recibosNome);
        linha("recibos pelo número, tecla", embutido.recibosNumero, remoto.recibosNumero);
        linha("salvar um recibo", embutido.salvar, remoto.salvar);

        const double cpuFilhos0 = cpuSegundos(RUSAGE_CHILDREN);
        const auto serie = [&](const char *titulo, qint64 intervaloNs = 0) {
            std::printf("\nrecibos salvos por segundo no servidor, %s (3 s de trabalho de cada "
                        "mesa):\n",
                        titulo);
            double uma = 0;
            for (const int mesas : {1, 2, 4}) {
                const double v = vazao(endereco, mesas, intervaloNs);
                if (mesas == 1)
                    uma = v;
                std::printf("  %d mesa(s): %8.1f recibos/s  (%.2f vezes uma mesa)\n", mesas, v,
                            uma > 0 ? v / uma : 0.0);
            }
        };
        serie("gravação forçada (cada recibo no disco ao salvar)");
        // Desks that do not each run the server to its limit: what several desks add up to.
        serie("gravação forçada, cada mesa com até 100 recibos/s", 10000000);
        // For comparison only: without waiting for the disk at each commit, what the server
        // and the desks themselves allow. The register goes back to forced writes after.
        const auto modo = [&](const char *qual) {
            servidor.executar(QStringLiteral("gfix"),
                              {QStringLiteral("-write"), QLatin1String(qual), endereco});
        };
        modo("async");
        serie("sem esperar o disco (só para comparar; o programa usa gravação forçada)");
        modo("sync");
        {
            TDatamodule1 dm(AcessoBanco{endereco, QStringLiteral("SYSDBA"),
                                        ServidorTeste::senhaAdmin(), QString()});
            apagarOsDoBench(dm);
        }
        const long picoServidor = picoDoProcessoKb(servidor.pid());
        std::printf("\ntempo total %.1f s; CPU deste processo %.2f s, das mesas %.2f s\n",
                    double(total.elapsed()) / 1000.0, cpuSegundos(),
                    cpuSegundos(RUSAGE_CHILDREN) - cpuFilhos0);
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        std::printf("pico de memória: este processo %ld KiB, servidor %ld KiB\n", u.ru_maxrss,
                    picoServidor);
    } catch (const ErroSistema &e) {
        std::fprintf(stderr, "%s\n", e.mensagem().toUtf8().constData());
        return 1;
    }
    TDatamodule1::encerrarBanco();
    return 0;
}
