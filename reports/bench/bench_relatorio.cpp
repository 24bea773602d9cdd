// Figures for a 100,000-row list of receipts in the period report's layout:
// preparation speed, time to the first page in the preview, PDF export speed
// and size, peak memory. Prints them; it is not a test.
//
// With --gerado LINHAS, the preview of a list whose rows are made as they are
// read (1000000 gives the 15,000 pages of a million receipts): the engine's own
// memory and speed, without the rows held anywhere; then "Salvar" and "Abrir" of
// the saved report, with the time, the file's size and each step's peak memory, and the
// PDF and Excel exports as the toolbar runs them.
//
// With --banco PASTA (a database filled by bench_dados, 1,000,000 receipts and
// 100,000 clients), the list reports as the user runs them instead: from the
// click on "Visualizar" to the first page painted in the preview and to the
// last page prepared, for the receipts by date over a day, a year and the
// whole register, and for the client list; peak memory after each. --banco PASTA
// --so-primeiras stops each case at its first page.
#include "Aplicacao.h"
#include "ConsultaRelatorio.h"
#include "Datamodule1.h"
#include "Dinheiro.h"
#include "Exportadores.h"
#include "OrigemEmMemoria.h"
#include "Preparador.h"
#include "RecibosPorData.h"
#include "Relatorio.h"
#include "UNabreclientes1.h"
#include "UNabrerecibos1.h"
#include "UNabrerecibos2.h"
#include "UNpreview.h"
#include "VisaoPaginas.h"

#include "CampoData.h"
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <sys/resource.h>

#include <cstdio>

namespace {

long picoDeMemoriaKb() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return uso.ru_maxrss;
}

// What the process holds now, and the most it held since the last zerarPico(),
// as the kernel counts them (VmRSS, VmHWM).
long memoriaDoProcessoKb(const char *campo) {
    QFile estado(QStringLiteral("/proc/self/status"));
    if (!estado.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &linha : estado.readAll().split('\n'))
        if (linha.startsWith(campo))
            return linha.mid(qstrlen(campo)).trimmed().split(' ').first().toLong();
    return -1;
}

// The most the process held over the whole run, kept across the resets below: the kernel's
// own count starts again at each one.
long g_picoDaExecucaoKb = 0;

long picoDaExecucaoKb() {
    g_picoDaExecucaoKb = qMax(g_picoDaExecucaoKb, memoriaDoProcessoKb("VmHWM:"));
    return qMax(g_picoDaExecucaoKb, picoDeMemoriaKb());
}

// Starts the count of the peak again, so that a step's own peak can be read.
void zerarPico() {
    picoDaExecucaoKb();
    QFile limpar(QStringLiteral("/proc/self/clear_refs"));
    if (limpar.open(QIODevice::WriteOnly))
        limpar.write("5");
}

// The processor time the process has used, user and system, in seconds: steadier than the
// wall clock on a shared machine.
double segundosDeCpu() {
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    return double(uso.ru_utime.tv_sec + uso.ru_stime.tv_sec) +
           double(uso.ru_utime.tv_usec + uso.ru_stime.tv_usec) / 1e6;
}

// With --so-primeiras, the preview is closed once its first page is painted: the figures
// to the first page of every case in seconds, without preparing the whole register.
bool g_soPrimeiras = false;

// Clicks "Visualizar" and follows the preview it opens until every page is prepared.
void medirVisualizar(DialogoRelatorio &janela, const char *nome) {
    QElapsedTimer relogio;
    double sPrimeira = -1, sTudo = -1;
    int paginas = 0;
    QTimer vigia;
    QObject::connect(&vigia, &QTimer::timeout, [&] {
        auto *preview = qobject_cast<TFRpreview *>(QApplication::activeModalWidget());
        if (!preview)
            return;
        if (sPrimeira < 0 && !preview->visao()->ultimasPintadas().isEmpty())
            sPrimeira = relogio.nsecsElapsed() / 1e9;
        if (sPrimeira >= 0 && g_soPrimeiras) {
            paginas = preview->paginasProntas();
            preview->close();
        } else if (sPrimeira >= 0 && !preview->preparando()) {
            sTudo = relogio.nsecsElapsed() / 1e9;
            paginas = preview->paginasProntas();
            preview->close();
        }
    });
    vigia.start(0);
    relogio.start();
    janela.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
    vigia.stop();
    std::printf("%s: %lld linhas, %d páginas; primeira página na tela %.3f s; todas "
                "preparadas %.2f s; pico de memória %.1f MB; %s\n",
                nome, janela.consulta().lidas(), paginas, sPrimeira, sTudo,
                picoDeMemoriaKb() / 1024.0,
                janela.consulta().sql() == RecibosPorData::sqlNaOrdemGuardada()
                    ? "lidos na ordem guardada"
                    : "lidos como a consulta manda");
    std::fflush(stdout);
}

int medirBanco(const QString &pasta) {
    Aplicacao::prepararAmbiente();
    TDatamodule1 dm(pasta + QStringLiteral("/DADOS.GDB"));
    Datamodule1 = &dm;
    {
        TFRabrerecibos2 porData;
        porData.show();
        const struct {
            QDate inicio, fim;
            const char *nome;
        } periodos[] = {
            {QDate(2021, 6, 15), QDate(2021, 6, 15), "recibos por data, um dia"},
            {QDate(2021, 1, 1), QDate(2021, 12, 31), "recibos por data, um ano"},
            {QDate(2000, 1, 1), QDate(2030, 12, 31), "recibos por data, todo o cadastro"},
        };
        for (const auto &p : periodos) {
            porData.findChild<CampoData *>(QStringLiteral("Medtini"))->setDate(p.inicio);
            porData.findChild<CampoData *>(QStringLiteral("Medtfim"))->setDate(p.fim);
            medirVisualizar(porData, p.nome);
        }
    }
    {
        QElapsedTimer relogio;
        relogio.start();
        TFRabreclientes1 clientes;
        clientes.show();
        std::printf("lista de clientes, janela aberta (clientes por nome): %.3f s\n",
                    relogio.nsecsElapsed() / 1e9);
        medirVisualizar(clientes, "lista de clientes");
    }
    {
        // The by-client dialog lists every client in its picker at every showing.
        QElapsedTimer relogio;
        relogio.start();
        TFRabrerecibos1 porCliente;
        porCliente.show();
        std::printf("recibos por cliente, janela aberta com %d clientes na lista: %.3f s\n",
                    porCliente.findChild<QComboBox *>(QStringLiteral("DBcliente"))->count(),
                    relogio.nsecsElapsed() / 1e9);
    }
    Datamodule1 = nullptr;
    return 0;
}

// Rows made as they are read, so that a million of them cost no memory: the
// figures are then the engine's own.
class OrigemGerada : public OrigemDeLinhas {
public:
    explicit OrigemGerada(int linhas) : m_linhas(linhas) {}
    bool primeira() override {
        m_atual = 1;
        return m_linhas > 0;
    }
    bool proxima() override { return ++m_atual <= m_linhas; }
    bool temCampo(const QString &campo) const override { return indice(campo) >= 0; }
    QVariant valor(const QString &campo) const override {
        switch (indice(campo)) {
        case 0:
            return m_atual;
        case 1:
            return QStringLiteral("Cliente de número %1 da lista").arg(m_atual);
        case 2:
            return QVariant::fromValue(Dinheiro::deCentavos(qint64(m_atual) * 137 % 10000000));
        case 3:
            return QDate(2011, 1, 1).addDays(m_atual % 3650);
        default:
            return {};
        }
    }

private:
    static int indice(const QString &campo) {
        const char *campos[] = {"ID_RECIBO", "CLIENTE", "VALOR", "DATA"};
        for (int i = 0; i < 4; ++i)
            if (campo.compare(QLatin1String(campos[i]), Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    int m_linhas;
    int m_atual = 0;
};

// Opens the preview over a new preparation as "Visualizar" does; answers the milliseconds
// until its first page is painted.
double mostrarAtePrimeiraPagina(TFRpreview &preview, Relatorio &relatorio) {
    QElapsedTimer relogio;
    relogio.start();
    auto preparador = std::make_unique<Preparador>(relatorio.layout(), relatorio.origens(),
                                                   relatorio.preparado());
    preparador->continuar(1);
    preview.resize(1280, 900);
    preview.mostrar(&relatorio.preparado(), std::move(preparador), nullptr);
    preview.show();
    while (preview.visao()->ultimasPintadas().isEmpty())
        QApplication::processEvents();
    return relogio.nsecsElapsed() / 1e6;
}

// Lets the open preview prepare the rest; answers the seconds it took.
double esperarTodasAsPaginas(TFRpreview &preview) {
    QElapsedTimer relogio;
    relogio.start();
    while (preview.preparando())
        QApplication::processEvents();
    return relogio.nsecsElapsed() / 1e9;
}

// The preview of a list of generated rows: first page, every page, the last page
// painted, a text found on the last page, peak memory.
int medirGerado(int linhas) {
    OrigemGerada fonte(linhas);
    Relatorio relatorio(QStringLiteral("recibos_por_periodo"));
    relatorio.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
    std::printf("linhas geradas ao ler: %d\n", linhas);
    QElapsedTimer relogio;
    TFRpreview preview;
    std::printf("primeira página na visualização: %.1f ms\n",
                mostrarAtePrimeiraPagina(preview, relatorio));
    const double cpuPreparo = segundosDeCpu();
    const double sTudo = esperarTodasAsPaginas(preview);
    std::printf("todas preparadas com a janela aberta: %.2f s (%d páginas, %.0f páginas/s, "
                "%.2f ms de CPU por página); páginas guardadas: %.1f MB em memória, %.1f MB no "
                "arquivo temporário\n",
                sTudo, preview.paginasProntas(), preview.paginasProntas() / sTudo,
                (segundosDeCpu() - cpuPreparo) * 1000 / qMax(1, preview.paginasProntas()),
                relatorio.preparado().paginas.bytesEmMemoria() / 1048576.0,
                relatorio.preparado().paginas.bytesEmArquivo() / 1048576.0);
    relogio.restart();
    preview.ultimaPagina();
    preview.visao()->viewport()->repaint();
    std::printf("ir à última página e pintá-la: %.1f ms\n", relogio.nsecsElapsed() / 1e6);
    relogio.restart();
    preview.primeiraPagina();
    const bool achou =
        preview.localizarTexto(QStringLiteral("Cliente de número %1 da lista").arg(linhas));
    std::printf("localizar o texto da última linha a partir da primeira página: %.2f s (%s)\n",
                relogio.nsecsElapsed() / 1e9, achou ? "achado" : "não achado");
    std::printf("pico de memória: %.1f MB\n", picoDeMemoriaKb() / 1024.0);

    // "Salvar" and "Abrir" as the toolbar runs them, without the file windows.
    QTemporaryDir dir;
    const QString trp = dir.filePath(QStringLiteral("lista.trp"));
    zerarPico();
    relogio.restart();
    const bool salvou = preview.salvarEm(trp);
    const double sSalvar = relogio.nsecsElapsed() / 1e9;
    const long picoSalvar = memoriaDoProcessoKb("VmHWM:"),
               fimSalvar = memoriaDoProcessoKb("VmRSS:");
    // The size the pages have uncompressed, as the file says before them: what a
    // writer or reader of the whole file at once would hold in memory.
    QFile salvo(trp);
    quint32 descompactado = 0;
    if (salvo.open(QIODevice::ReadOnly) && salvo.seek(14)) {
        const QByteArray dica = salvo.read(4);
        if (dica.size() == 4)
            descompactado = qFromBigEndian<quint32>(dica.constData());
    }
    std::printf("salvar o relatório (.trp): %.2f s%s; %.1f MB (%.1f MB sem compressão); memória "
                "no passo: pico %.1f MB, ao fim %.1f MB\n",
                sSalvar, salvou ? "" : " (falhou)", QFileInfo(trp).size() / 1048576.0,
                descompactado / 1048576.0, picoSalvar / 1024.0, fimSalvar / 1024.0);
    zerarPico();
    relogio.restart();
    const bool aberto = preview.abrirArquivo(trp);
    std::printf("abrir o relatório salvo: %.2f s%s (%d páginas; %.1f MB em memória, %.1f MB no "
                "arquivo temporário); memória no passo: pico %.1f MB, ao fim %.1f MB\n",
                relogio.nsecsElapsed() / 1e9, aberto ? "" : " (falhou)", preview.paginasProntas(),
                preview.relatorio()->paginas.bytesEmMemoria() / 1048576.0,
                preview.relatorio()->paginas.bytesEmArquivo() / 1048576.0,
                memoriaDoProcessoKb("VmHWM:") / 1024.0, memoriaDoProcessoKb("VmRSS:") / 1024.0);

    // The exports as the toolbar runs them, without their windows.
    const struct {
        FormatoExportacao formato;
        const char *nome;
        const char *arquivo;
    } exportacoes[] = {{FormatoExportacao::Pdf, "PDF", "lista.pdf"},
                       {FormatoExportacao::Excel, "Excel", "lista.xlsx"}};
    for (const auto &e : exportacoes) {
        const QString arquivo = dir.filePath(QLatin1String(e.arquivo));
        zerarPico();
        relogio.restart();
        const double cpu = segundosDeCpu();
        const bool exportou = preview.exportarPara(e.formato, arquivo);
        const double s = relogio.nsecsElapsed() / 1e9;
        const double cpuPorPagina =
            (segundosDeCpu() - cpu) * 1000 / qMax(1, preview.paginasProntas());
        std::printf("exportar para %s: %.2f s%s = %.0f páginas/s (%.2f ms de CPU por página), %.0f "
                    "linhas/s; %.1f MB; memória no passo: pico %.1f MB, ao fim %.1f MB\n",
                    e.nome, s, exportou ? "" : " (falhou)", preview.paginasProntas() / s,
                    cpuPorPagina, linhas / s, QFileInfo(arquivo).size() / 1048576.0,
                    memoriaDoProcessoKb("VmHWM:") / 1024.0, memoriaDoProcessoKb("VmRSS:") / 1024.0);
        std::fflush(stdout);
    }
    std::printf("pico de memória da execução inteira: %.1f MB; CPU da execução: %.2f s\n",
                picoDaExecucaoKb() / 1024.0, segundosDeCpu());
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--banco") {
        g_soPrimeiras = argc > 3 && QByteArray(argv[3]) == "--so-primeiras";
        const int status = medirBanco(QString::fromLocal8Bit(argv[2]));
        TDatamodule1::encerrarBanco();
        return status;
    }
    if (argc > 2 && QByteArray(argv[1]) == "--gerado")
        return medirGerado(QString::fromLocal8Bit(argv[2]).toInt());
    const int linhas = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;

    OrigemEmMemoria fonte({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
    for (int i = 1; i <= linhas; ++i)
        fonte.adicionar({i, QStringLiteral("Cliente de número %1 da lista").arg(i),
                         QVariant::fromValue(Dinheiro::deCentavos(qint64(i) * 137 % 10000000)),
                         QDate(2011, 1, 1).addDays(i % 3650)});
    std::printf("linhas: %d\n", linhas);
    std::printf("memória com as linhas carregadas: %.1f MB\n", picoDeMemoriaKb() / 1024.0);

    Relatorio relatorio(QStringLiteral("recibos_por_periodo"));
    relatorio.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);

    QElapsedTimer relogio;
    relogio.start();
    relatorio.prepararTudo();
    const double sPreparo = relogio.nsecsElapsed() / 1e9;
    const int paginas = int(relatorio.preparado().paginas.size());
    std::printf("preparação: %d páginas em %.2f s = %.0f páginas/s\n", paginas, sPreparo,
                paginas / sPreparo);
    std::printf("memória após preparar: %.1f MB\n", picoDeMemoriaKb() / 1024.0);

    {
        relatorio.preparado().limpar();
        TFRpreview preview;
        std::printf("primeira página na visualização: %.1f ms\n",
                    mostrarAtePrimeiraPagina(preview, relatorio));
        const double sResto = esperarTodasAsPaginas(preview);
        std::printf("restante preparado com a janela aberta: %.2f s (%d páginas)\n", sResto,
                    preview.paginasProntas());
        relogio.restart();
        preview.ultimaPagina();
        preview.visao()->viewport()->repaint();
        std::printf("ir à última página e pintá-la: %.1f ms\n", relogio.nsecsElapsed() / 1e6);
    }

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("lista.pdf"));
    relogio.restart();
    Exportadores::pdf(relatorio.preparado(), pdf, ConfigExportacaoPdf{});
    const double sPdf = relogio.nsecsElapsed() / 1e9;
    const qint64 tamanho = QFileInfo(pdf).size();
    std::printf("PDF: %.2f s = %.0f páginas/s; %.1f MB, %.1f KB por página\n", sPdf, paginas / sPdf,
                tamanho / 1048576.0, tamanho / 1024.0 / paginas);
    std::printf("memória após o PDF: %.1f MB\n", picoDeMemoriaKb() / 1024.0);

    relogio.restart();
    Exportadores::xlsx(relatorio.preparado(), dir.filePath(QStringLiteral("lista.xlsx")),
                       ConfigExportacaoExcel{});
    const double sExcel = relogio.nsecsElapsed() / 1e9;
    std::printf("Excel: %.2f s = %.0f linhas/s; %.1f MB\n", sExcel, linhas / sExcel,
                QFileInfo(dir.filePath(QStringLiteral("lista.xlsx"))).size() / 1048576.0);
    std::printf("memória após o Excel: %.1f MB\n", picoDeMemoriaKb() / 1024.0);

    relogio.restart();
    Exportadores::rtf(relatorio.preparado(), dir.filePath(QStringLiteral("lista.rtf")),
                      ConfigExportacaoRtf{});
    const double sRtf = relogio.nsecsElapsed() / 1e9;
    std::printf("RTF: %.2f s = %.0f páginas/s; %.1f MB\n", sRtf, paginas / sRtf,
                QFileInfo(dir.filePath(QStringLiteral("lista.rtf"))).size() / 1048576.0);
    std::printf("pico de memória: %.1f MB\n", picoDeMemoriaKb() / 1024.0);
    return 0;
}
