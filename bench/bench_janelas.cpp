// Figures of the windows as the user meets them, on the register bench_dados fills (100,000
// clients, 1,000,000 receipts): the start-up to the main window and to the quick receipt
// beside a bare Qt window, each search box from the key press to the grid repainted (CPU of
// the process and wall time, beside a bare grid repainting 25 rows from memory), a wildcard
// with no match while the next key is typed, and the opening of "Recibos Emitidos por
// Cliente". Run under a real X server (DISPLAY) or QT_QPA_PLATFORM=offscreen.
// Usage: bench_janelas [PASTA]   (PASTA as given to bench_dados; default ./bench-dados)
#include "Aplicacao.h"
#include "Consultas.h"
#include "DBGrid.h"
#include "Datamodule1.h"
#include "Esquema.h"
#include "Inicializacao.h"
#include "UNabrerecibos1.h"
#include "UNconsultacli.h"
#include "UNconsultacli2.h"
#include "UNconsultarec.h"
#include "UNprincipal.h"
#include "Unit1.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMainWindow>
#include <QtWidgets/QTableView>
#include <QtWidgets/QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double cpuDaLinhaMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double cpuFilhosMs() {
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

double mediana(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long picoDeMemoriaKb() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return uso.ru_maxrss;
}

long memoriaAtualKb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> campos = f.readAll().split(' ');
    return campos.size() > 1 ? campos[1].toLong() * 4 : 0;
}

// Everything the key press set going, up to the repaint of the window.
// The loop waits as the program's own does: asleep until the search's end is told.
void esperarRepintura(const std::function<bool()> &ocupada) {
    while (ocupada())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

struct PorTecla {
    std::vector<double> cpu, cpuJanela, parede;
};

// Types the text into the box one key at a time, three times over (the box emptied between
// rounds, outside the figures).
PorTecla digitar(QLineEdit *caixa, const QString &texto, const std::function<bool()> &ocupada) {
    PorTecla r;
    for (int rodada = 0; rodada < 3; ++rodada) {
        caixa->clear();
        esperarRepintura(ocupada);
        for (const QChar c : texto) {
            QElapsedTimer t;
            t.start();
            const double antes = cpuMs();
            const double antesJanela = cpuDaLinhaMs();
            QTest::keyClick(caixa, c.toLatin1());
            esperarRepintura(ocupada);
            r.cpu.push_back(cpuMs() - antes);
            r.cpuJanela.push_back(cpuDaLinhaMs() - antesJanela);
            r.parede.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    }
    return r;
}

void imprimir(const char *oQue, const PorTecla &r, double pisoCpu) {
    std::printf("%-44s CPU por tecla %.2f ms (%+.2f ms sobre o piso; %.2f ms na linha da "
                "janela), parede %.2f ms (medianas de %zu teclas; pior parede %.1f ms)\n",
                oQue, mediana(r.cpu), mediana(r.cpu) - pisoCpu, mediana(r.cpuJanela),
                mediana(r.parede), r.cpu.size(),
                *std::max_element(r.parede.begin(), r.parede.end()));
}

// The floor: a box and a bare grid whose 25 rows are rewritten from memory at each key.
PorTecla piso() {
    QWidget janela;
    auto *caixa = new QLineEdit(&janela);
    auto *grade = new QTableView(&janela);
    auto *modelo = new QStandardItemModel(25, 4, &janela);
    grade->setModel(modelo);
    auto *layout = new QVBoxLayout(&janela);
    layout->addWidget(caixa);
    layout->addWidget(grade);
    janela.resize(650, 500);
    QObject::connect(caixa, &QLineEdit::textChanged, [modelo](const QString &t) {
        for (int l = 0; l < 25; ++l)
            for (int c = 0; c < 4; ++c)
                modelo->setData(modelo->index(l, c),
                                QStringLiteral("%1 %2 %3").arg(t).arg(l).arg(c));
    });
    janela.show();
    static_cast<void>(QTest::qWaitForWindowExposed(&janela));
    caixa->setFocus();
    return digitar(caixa, QStringLiteral("MARIA SILVA"), [] { return false; });
}

void medirBuscas() {
    const PorTecla p = piso();
    const double pisoCpu = mediana(p.cpu);
    imprimir("piso: grade simples, 25 linhas da memória", p, pisoCpu);

    const auto medir = [&](JanelaConsulta &janela, const char *caixa, const QString &texto,
                           const char *oQue) {
        janela.show();
        static_cast<void>(QTest::qWaitForWindowExposed(&janela));
        auto *c = janela.findChild<QLineEdit *>(QLatin1String(caixa));
        c->setFocus();
        imprimir(oQue, digitar(c, texto, [&] { return janela.buscaEmAndamento(); }), pisoCpu);
        c->clear();
        janela.concluirBusca();
        janela.close();
    };
    TFRconsultacli cli;
    medir(cli, "EDlocalizar", QStringLiteral("MARIA SILVA"), "clientes pelo nome");
    TFRconsultacli2 cli2;
    medir(cli2, "EDlocalizar2", QStringLiteral("1234567"), "clientes pelo CPF/CNPJ");
    TFRconsultarec rec;
    medir(rec, "EDlocalizar", QStringLiteral("MARIA SILVA"), "recibos pelo nome");
    medir(rec, "EDlocalizar2", QStringLiteral("123456"), "recibos pelo número");

    // A wildcard with no match reads the whole table: the next key must not wait for it.
    rec.show();
    static_cast<void>(QTest::qWaitForWindowExposed(&rec));
    auto *nome = rec.findChild<QLineEdit *>(QStringLiteral("EDlocalizar"));
    nome->setFocus();
    for (const char *curinga : {"_Z", "%W"}) {
        nome->clear();
        rec.concluirBusca();
        QTest::keyClicks(nome, QString::fromLatin1(curinga));
        QTest::qWait(50);
        const bool corria = rec.buscaEmAndamento();
        QElapsedTimer t;
        t.start();
        const double antes = cpuMs();
        QTest::keyClick(nome, Qt::Key_Backspace);
        const double tecla = double(t.nsecsElapsed()) / 1e6;
        esperarRepintura([&] { return rec.buscaEmAndamento(); });
        std::printf("recibos \"%s\" (a busca corria: %s): a tecla seguinte respondeu em %.2f ms; "
                    "a nova busca mostrou as linhas em %.1f ms (CPU %.1f ms)\n",
                    curinga, corria ? "sim" : "não", tecla, double(t.nsecsElapsed()) / 1e6,
                    cpuMs() - antes);
    }
    nome->clear();
    rec.concluirBusca();
    rec.close();
}

void medirDialogoPorCliente() {
    TFRabrerecibos1 dialogo;
    std::vector<double> parede, cpu;
    long memoria = 0;
    for (int i = 0; i < 5; ++i) {
        const long antesMem = memoriaAtualKb();
        QElapsedTimer t;
        t.start();
        const double antes = cpuMs();
        dialogo.show();
        static_cast<void>(QTest::qWaitForWindowExposed(&dialogo));
        esperarRepintura([] { return false; });
        parede.push_back(double(t.nsecsElapsed()) / 1e6);
        cpu.push_back(cpuMs() - antes);
        memoria = std::max(memoria, memoriaAtualKb() - antesMem);
        dialogo.close();
        QCoreApplication::processEvents();
    }
    std::printf("\"Recibos Emitidos por Cliente\" aberto: parede %.1f ms, CPU %.1f ms (medianas de "
                "5), memória a mais %ld KiB\n",
                mediana(parede), mediana(cpu), memoria);
    // Typed into, the picker reads the names up to the one typed: "V" is near the end.
    dialogo.show();
    static_cast<void>(QTest::qWaitForWindowExposed(&dialogo));
    auto *seletor = dialogo.findChild<QComboBox *>(QStringLiteral("DBcliente"));
    seletor->setFocus();
    QElapsedTimer t;
    t.start();
    const double antes = cpuMs();
    QTest::keyClick(seletor, Qt::Key_V);
    esperarRepintura([] { return false; });
    std::printf("seletor de clientes, \"V\" digitado: \"%s\" em %.0f ms (CPU %.0f ms), %d nomes "
                "lidos\n",
                qPrintable(seletor->currentText()), double(t.nsecsElapsed()) / 1e6, cpuMs() - antes,
                seletor->count());
    dialogo.close();
}

// ---------------------------------------------------------------- start-up, in children

// The child: the program's own start, up to its first window (the main window, or the quick
// receipt in the simple mode).
// Tells the first paint of a window, as the user first sees it, and closes it.
class PrimeiraPintura : public QObject {
public:
    explicit PrimeiraPintura(std::function<QWidget *()> janela) : m_janela(std::move(janela)) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject *objeto, QEvent *evento) override {
        QWidget *janela = m_janela();
        auto *w = qobject_cast<QWidget *>(objeto);
        if (!m_visto && evento->type() == QEvent::Paint && janela && w && w->window() == janela) {
            m_visto = true;
            std::printf("JANELA\n");
            std::fflush(stdout);
            QTimer::singleShot(0, janela, &QWidget::close);
        }
        return false;
    }

private:
    std::function<QWidget *()> m_janela;
    bool m_visto = false;
};

// The child: the program's own start, up to the first paint of its first window (the main
// window, or the quick receipt in the simple mode).
int primeiraJanela(int argc, char **argv, const QString &caminho) {
    TDatamodule1::prepararAmbiente();
    TDatamodule1::anteciparConexao(caminho);
    Aplicacao app(argc, argv);
    PrimeiraPintura vigia([]() -> QWidget * {
        if (FRprincipal && FRprincipal->isVisible())
            return FRprincipal;
        if (FRrecibogratis && FRrecibogratis->isVisible())
            return FRrecibogratis;
        return nullptr;
    });
    const int status = executarPrograma(AcessoBanco::local(caminho));
    TDatamodule1::encerrarBanco();
    return status;
}

// The child: a bare Qt window, for the floor.
int janelaVazia(int argc, char **argv) {
    QApplication app(argc, argv);
    QMainWindow janela;
    janela.resize(800, 600);
    PrimeiraPintura vigia([&janela]() -> QWidget * { return &janela; });
    janela.show();
    return app.exec();
}

// The child: the engine alone, attached without any window.
int soBanco(const QString &caminho) {
    TDatamodule1::prepararAmbiente();
    {
        TDatamodule1 dm(caminho);
        dm.Configuracao->abrir();
    }
    std::printf("JANELA\n");
    std::fflush(stdout);
    TDatamodule1::encerrarBanco();
    return 0;
}

struct Inicio {
    std::vector<double> parede, cpu;
};

void rodarFilho(const QStringList &argumentos, Inicio &r) {
    QProcess filho;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("DISPLAY")) &&
        !env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    filho.setProcessEnvironment(env);
    const double cpuAntes = cpuFilhosMs();
    QElapsedTimer t;
    t.start();
    filho.start(QCoreApplication::applicationFilePath(), argumentos);
    while (filho.state() != QProcess::NotRunning && !filho.canReadLine())
        filho.waitForReadyRead(100);
    r.parede.push_back(double(t.nsecsElapsed()) / 1e6);
    filho.waitForFinished(60000);
    r.cpu.push_back(cpuFilhosMs() - cpuAntes);
}

void medirInicio(const QString &caminho, const QString &caminhoSimples) {
    Inicio vazia, programa, simples, banco;
    for (int i = 0; i < 7; ++i) {
        rodarFilho({QStringLiteral("--janela-vazia")}, vazia);
        rodarFilho({QStringLiteral("--primeira-janela"), caminho}, programa);
        rodarFilho({QStringLiteral("--primeira-janela"), caminhoSimples}, simples);
        rodarFilho({QStringLiteral("--so-banco"), caminho}, banco);
    }
    const double piso = mediana(vazia.parede);
    const auto linha = [&](const char *oQue, const Inicio &r) {
        std::printf("%-46s parede %.0f ms (%.2f × a janela vazia), CPU %.0f ms (até o fim do "
                    "processo; medianas de %zu)\n",
                    oQue, mediana(r.parede), mediana(r.parede) / piso, mediana(r.cpu),
                    r.parede.size());
    };
    linha("início: janela vazia do Qt", vazia);
    linha("início: janela principal", programa);
    linha("início: recibo rápido (modo simples)", simples);
    linha("início: só o banco, sem janelas", banco);
}

} // namespace

int main(int argc, char **argv) {
    if (argc >= 3 && QByteArray(argv[1]) == "--primeira-janela")
        return primeiraJanela(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc >= 2 && QByteArray(argv[1]) == "--janela-vazia")
        return janelaVazia(argc, argv);
    if (argc >= 3 && QByteArray(argv[1]) == "--so-banco")
        return soBanco(QString::fromLocal8Bit(argv[2]));

    TDatamodule1::prepararAmbiente();
    Aplicacao app(argc, argv);
    const QStringList argumentos = app.arguments().mid(1);
    const QString pasta = !argumentos.isEmpty()
                              ? argumentos.first()
                              : QDir::currentPath() + QStringLiteral("/bench-dados");
    const QString caminho = pasta + QStringLiteral("/DADOS.GDB");
    if (!QFile::exists(caminho)) {
        std::fprintf(stderr, "Rode antes bench_dados %s para preencher o banco.\n",
                     qPrintable(pasta));
        return 1;
    }
    const QString caminhoSimples = pasta + QStringLiteral("/SIMPLES.GDB");
    if (!QFile::exists(caminhoSimples))
        Esquema::criarBanco(caminhoSimples, Esquema::Modo::Simples);

    if (!qEnvironmentVariableIsSet("BENCH_SEM_INICIO"))
        medirInicio(caminho, caminhoSimples);
    {
        TDatamodule1 dm(caminho);
        Datamodule1 = &dm;
        medirBuscas();
        medirDialogoPorCliente();
        Datamodule1 = nullptr;
    }
    std::printf("pico de memória do processo: %ld KiB\n", picoDeMemoriaKb());
    TDatamodule1::encerrarBanco();
    return 0;
}
