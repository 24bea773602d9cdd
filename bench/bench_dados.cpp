// Figures for large registers: 100,000 clients and 1,000,000 receipts.
// Prints the time to the first window, to the first screen of clients in name
// order, to the first rows of a name-prefix search, to find a client by tax
// number, from each keystroke of the searches to their first screen of rows, and
// the peak memory.
// Usage: bench_dados [--so-cpfcnpj | --so-buscas] [PASTA]   (the filled database
// is kept there for reruns; --so-cpfcnpj fills only the clients and measures
// only the tax-number look-up; --so-buscas measures only the searches)
#include "Aplicacao.h"
#include "Consultas.h"
#include "Datamodule1.h"
#include "Dinheiro.h"
#include "Esquema.h"
#include "Inicializacao.h"
#include "UNprincipal.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

constexpr int k_clientes = 100000;
constexpr int k_recibos = 1000000;
constexpr int k_telaDeLinhas = 25;

const char *const k_nomes[] = {"ANA",      "BRUNO",   "CARLA",   "DANIEL",   "EDUARDO",
                               "FERNANDA", "GABRIEL", "HELENA",  "IGOR",     "JULIANA",
                               "LUCAS",    "MARIA",   "NATÁLIA", "OTÁVIO",   "PAULO",
                               "RAQUEL",   "SÉRGIO",  "TATIANA", "VINÍCIUS", "JOÃO"};
const char *const k_sobrenomes[] = {"SILVA",   "SANTOS",    "OLIVEIRA", "SOUZA",
                                    "LIMA",    "PEREIRA",   "FERREIRA", "ALVES",
                                    "RIBEIRO", "GONÇALVES", "CARVALHO", "ARAÚJO"};

QString nomeDe(QRandomGenerator &r) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(QString::fromUtf8(k_nomes[r.bounded(20)]),
             QString::fromUtf8(k_sobrenomes[r.bounded(12)]),
             QString::fromUtf8(k_sobrenomes[r.bounded(12)]))
        .arg(r.bounded(1000000));
}

double segundos(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e9;
}

long picoDeMemoriaKb() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return uso.ru_maxrss;
}

int contar(TDatamodule1 &dm, const QString &tabela) {
    const auto contagem =
        dm.novaConsultaRelatorio({QStringLiteral("SELECT COUNT(*) FROM %1").arg(tabela)});
    contagem->abrir();
    return contagem->proxima() ? contagem->valor(0).toInt() : 0;
}

// Fills through the data module's own update statements and generators, up to
// the figures' sizes; what an earlier run stored is kept.
void preencher(const QString &caminho, bool comRecibos) {
    if (!QFile::exists(caminho))
        Esquema::criarBanco(caminho, Esquema::Modo::Completo);
    TDatamodule1 dm(caminho);
    QRandomGenerator r(2026);
    QElapsedTimer t;
    t.start();
    const int clientesAntes = contar(dm, QStringLiteral("CLIENTES"));
    dm.Clientes->abrir();
    for (int i = clientesAntes; i < k_clientes; ++i) {
        dm.Clientes->inserir();
        dm.ClientesCLIENTE->definirValor(nomeDe(r));
        dm.ClientesCPFCNPJ->definirValor(QString::number(10000000000LL + r.bounded(1000000000)));
        dm.ClientesCIDADE->definirValor(QStringLiteral("SÃO PAULO"));
        dm.ClientesPADRAO->definirValor(QStringLiteral("N"));
        dm.Clientes->gravar();
        if (i % 10000 == 9999) {
            dm.confirmar();
            // The buffer of an insert-only run is not needed for the figures.
            dm.Clientes->fechar();
            dm.Clientes->abrir();
        }
    }
    dm.confirmar();
    if (clientesAntes < k_clientes)
        std::printf("preenchimento: %d clientes em %.1f s (%.0f/s)\n", k_clientes - clientesAntes,
                    segundos(t), (k_clientes - clientesAntes) / segundos(t));
    if (!comRecibos)
        return;
    t.restart();
    const int recibosAntes = contar(dm, QStringLiteral("RECIBOS"));
    dm.Recibos->abrir();
    for (int i = recibosAntes; i < k_recibos; ++i) {
        dm.Recibos->inserir();
        dm.RecibosEMITENTE->definirValor(QStringLiteral("OFICINA DO BAIRRO LTDA"));
        dm.RecibosCLIENTE->definirValor(nomeDe(r));
        dm.RecibosVALOR->definirValor(
            QVariant::fromValue(Dinheiro::deCentavos(r.bounded(100000000))));
        dm.RecibosVALOREXTENSO->definirValor(
            QStringLiteral("Cento e Vinte e Três Reais, e Quarenta e Cinco Centavos."));
        dm.RecibosDATA->definirValor(QDate(2020, 1, 1).addDays(r.bounded(2500)));
        dm.RecibosDATARECIBO->definirValor(QStringLiteral("05 de março de 2024"));
        dm.RecibosLOCAL->definirValor(QStringLiteral("SÃO PAULO"));
        dm.RecibosTIPO->definirValor(QStringLiteral("DEVEDOR"));
        dm.Recibos->gravar();
        if (i % 10000 == 9999) {
            dm.confirmar();
            dm.Recibos->fechar();
            dm.Recibos->abrir();
        }
    }
    dm.confirmar();
    if (recibosAntes < k_recibos)
        std::printf("preenchimento: %d recibos em %.1f s (%.0f/s)\n", k_recibos - recibosAntes,
                    segundos(t), (k_recibos - recibosAntes) / segundos(t));
}

// The child process: the program's start-up, up to its first window.
int primeiraJanela(int argc, char **argv, const QString &caminho) {
    TDatamodule1::prepararAmbiente();
    TDatamodule1::anteciparConexao(caminho);
    Aplicacao app(argc, argv);
    QTimer vigia;
    QObject::connect(&vigia, &QTimer::timeout, [&] {
        if (FRprincipal && FRprincipal->isVisible()) {
            std::printf("JANELA\n");
            std::fflush(stdout);
            FRprincipal->close();
        }
    });
    vigia.start(0);
    const int status = executarPrograma(AcessoBanco::local(caminho));
    TDatamodule1::encerrarBanco();
    return status;
}

// Leaving a tax-number field asks whether the number is registered: one indexed
// look-up, against the scan of every client that it replaces.
void medirCpfCnpj(TDatamodule1 &dm) {
    dm.Clientes->substituirSql(
        {QStringLiteral("SELECT * FROM CLIENTES WHERE ID_CLIENTE = %1").arg(k_clientes / 2)});
    const QString registrado = dm.ClientesCPFCNPJ->valor().toString();
    const QString ausente = QStringLiteral("000.000.000-00");
    dm.Clientes->fechar();

    QElapsedTimer t;
    t.start();
    const bool achouPrimeira = dm.clientePorCpfCnpj(registrado).has_value();
    std::printf("CPF/CNPJ por índice, primeira busca (achou=%d): %.5f s\n", achouPrimeira,
                segundos(t));
    constexpr int vezes = 1000;
    int achados = 0;
    t.restart();
    for (int i = 0; i < vezes; ++i)
        achados += dm.clientePorCpfCnpj(i % 2 ? ausente : registrado).has_value();
    std::printf("CPF/CNPJ por índice, média de %d buscas (%d achadas): %.6f s\n", vezes, achados,
                segundos(t) / vezes);

    t.restart();
    dm.Clientes->substituirSql({QStringLiteral("select * from CLIENTES")});
    dm.Clientes->carregarTudo();
    bool achouVarrendo = false;
    const int coluna = dm.ClientesCPFCNPJ->indice();
    for (int i = 0; i < dm.Clientes->linhasCarregadas() && !achouVarrendo; ++i)
        achouVarrendo = dm.Clientes->valor(i, coluna).toString() == ausente;
    std::printf("CPF/CNPJ varrendo os %d clientes (como antes, achou=%d): %.4f s\n",
                dm.Clientes->linhasCarregadas(), achouVarrendo, segundos(t));
    dm.Clientes->fechar();
}

// Types the text one character at a time, as the search boxes see it: each keystroke
// reopens the dataset with the statement of the text so far and reads its first screen.
// The window has opened the full list first, as its showing does. Prints the slowest
// keystroke and the mean.
void medirDigitacao(Conjunto &conjunto, const char *oQue, const QString &texto,
                    const std::function<QStringList(const QString &)> &sql) {
    conjunto.substituirSql(conjunto.campo(QStringLiteral("ID_RECIBO"))
                               ? Consultas::recibosTodos()
                               : Consultas::clientesTodos());
    conjunto.carregarMais(k_telaDeLinhas);
    double pior = 0, soma = 0;
    int linhas = 0;
    QString maisLenta;
    for (qsizetype n = 1; n <= texto.size(); ++n) {
        QElapsedTimer t;
        t.start();
        conjunto.substituirSql(sql(texto.left(n)));
        conjunto.carregarMais(k_telaDeLinhas);
        const double s = segundos(t);
        if (s > pior) {
            pior = s;
            maisLenta = texto.left(n);
        }
        soma += s;
        linhas = conjunto.linhasCarregadas();
    }
    std::printf("%s \"%s\", por tecla: pior %.4f s (em \"%s\"), média %.4f s (%d linhas na "
                "última)\n",
                oQue, texto.toUtf8().constData(), pior, maisLenta.toUtf8().constData(),
                soma / double(texto.size()), linhas);
    conjunto.fechar();
}

QStringList reciboPorNumeroLiteral(const QString &texto) {
    return {QStringLiteral("SELECT * FROM RECIBOS WHERE"),
            QStringLiteral("ID_RECIBO LIKE '") + texto + QStringLiteral("%' ORDER BY ID_RECIBO")};
}

void medirBuscas(TDatamodule1 &dm) {
    const auto porCpfCnpj = [&dm](const QString &t) {
        return Consultas::clientesPorCpfCnpj(*dm.Tra, t);
    };
    const auto porCpfCnpjSoIndice = [](const QString &t) {
        return Consultas::clientesPorCpfCnpj(t);
    };
    const auto porNome = [&dm](const QString &t) { return Consultas::recibosPorNome(*dm.Tra, t); };
    medirDigitacao(*dm.Clientes, "clientes pelo nome", QStringLiteral("MARIA SILVA"),
                   Consultas::clientesPorNome);
    medirDigitacao(*dm.Clientes, "clientes pelo nome, sem resultado", QStringLiteral("ZZZ"),
                   Consultas::clientesPorNome);
    medirDigitacao(*dm.Clientes, "clientes pelo CPF/CNPJ", QStringLiteral("1234567"), porCpfCnpj);
    medirDigitacao(*dm.Clientes, "clientes pelo CPF/CNPJ, índice do CPF/CNPJ (como antes)",
                   QStringLiteral("1234567"), porCpfCnpjSoIndice);
    medirDigitacao(*dm.Recibos, "recibos pelo nome", QStringLiteral("MARIA SILVA"), porNome);
    medirDigitacao(*dm.Recibos, "recibos pelo nome, índice do nome (como antes)",
                   QStringLiteral("MARIA SILVA"),
                   [](const QString &t) { return Consultas::recibosPorNome(t); });
    medirDigitacao(*dm.Recibos, "recibos pelo nome, sem resultado", QStringLiteral("ZZZ"), porNome);
    medirDigitacao(*dm.Recibos, "recibos pelo número", QStringLiteral("123456"),
                   Consultas::recibosPorNumero);
    medirDigitacao(*dm.Recibos, "recibos pelo número, sem resultado", QStringLiteral("999999"),
                   Consultas::recibosPorNumero);
    medirDigitacao(*dm.Recibos, "recibos pelo número, LIKE literal (como antes)",
                   QStringLiteral("999999"), reciboPorNumeroLiteral);
}

} // namespace

int main(int argc, char **argv) {
    if (argc >= 3 && QByteArray(argv[1]) == "--primeira-janela")
        return primeiraJanela(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    QStringList argumentos = app.arguments().mid(1);
    const bool soCpfCnpj = argumentos.removeAll(QStringLiteral("--so-cpfcnpj")) > 0;
    const bool soBuscas = argumentos.removeAll(QStringLiteral("--so-buscas")) > 0;
    const QString pasta = !argumentos.isEmpty()
                              ? argumentos.first()
                              : QDir::currentPath() + QStringLiteral("/bench-dados");
    const QString caminho = pasta + QStringLiteral("/DADOS.GDB");
    preencher(caminho, !soCpfCnpj);
    if (soCpfCnpj) {
        TDatamodule1 dm(caminho);
        medirCpfCnpj(dm);
        TDatamodule1::encerrarBanco();
        return 0;
    }
    if (soBuscas) {
        TDatamodule1 dm(caminho);
        medirBuscas(dm);
        TDatamodule1::encerrarBanco();
        return 0;
    }

    // Time from process start to the first window, as a user starts it.
    {
        QElapsedTimer t;
        t.start();
        QProcess filho;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        filho.setProcessEnvironment(env);
        filho.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--primeira-janela"), caminho});
        filho.waitForReadyRead(120000);
        std::printf("início do processo até a janela principal: %.3f s\n", segundos(t));
        filho.waitForFinished(120000);
    }

    TDatamodule1 dm(caminho);
    QElapsedTimer t;
    t.start();
    dm.Clientes->substituirSql(
        {QStringLiteral("SELECT * FROM CLIENTES"), QStringLiteral("ORDER BY CLIENTE")});
    dm.Clientes->carregarMais(k_telaDeLinhas);
    std::printf("Clientes por nome, primeira tela (%d linhas): %.4f s\n",
                dm.Clientes->linhasCarregadas(), segundos(t));

    t.restart();
    dm.Clientes->substituirSql({QStringLiteral("SELECT * FROM CLIENTES WHERE"),
                                QStringLiteral("CLIENTE LIKE 'MARIA S%' ORDER BY CLIENTE")});
    dm.Clientes->carregarMais(k_telaDeLinhas);
    std::printf("busca por começo do nome, primeiras linhas (%d): %.4f s\n",
                dm.Clientes->linhasCarregadas(), segundos(t));

    t.restart();
    dm.Recibos->substituirSql(
        {QStringLiteral("SELECT * FROM RECIBOS"), QStringLiteral("ORDER BY ID_RECIBO DESC")});
    dm.Recibos->carregarMais(k_telaDeLinhas);
    std::printf("Recibos do mais novo, primeira tela (%d linhas): %.4f s\n",
                dm.Recibos->linhasCarregadas(), segundos(t));

    t.restart();
    const bool achou =
        dm.Clientes->localizar(QStringLiteral("CLIENTE"), QStringLiteral("não existe"));
    std::printf("locate sem resultado na busca (%d linhas lidas, achou=%d): %.4f s\n",
                dm.Clientes->linhasCarregadas(), achou, segundos(t));

    medirBuscas(dm);

    std::printf("pico de memória: %ld KiB\n", picoDeMemoriaKb());
    // Last, as its comparison scan holds every client in memory.
    medirCpfCnpj(dm);
    TDatamodule1::encerrarBanco();
    return 0;
}
