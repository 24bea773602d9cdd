#include "Impressao.h"

#include "ArquivoTemporario.h"
#include "Avisador.h"
#include "ErroDeArquivo.h"
#include "ErroSistema.h"
#include "Exportadores.h"
#include "GeometriaPagina.h"
#include "PaginaPreparada.h"
#include "Renderizador.h"
#include "SaidaArquivo.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

#include <cups/cups.h>

namespace Impressao {

namespace {

// Resolution of the work PDF, as the PDF export draws it.
constexpr int resolucaoPdf = 1200;
// The options the print dialog's own tabs gave the printer (job priority, pages per sheet...),
// as Qt's CUPS engine keeps them: name and value taking turns.
constexpr auto opcoesDoCups = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The pages de..ate drawn into a PDF in the temporary folder, which a kill leaves nowhere.
void desenhar(const RelatorioPreparado &relatorio, int de, int ate, ArquivoTemporario &pdf,
              const std::function<bool(int, int)> &progresso) {
    QPdfWriter escritor(&pdf.dispositivo());
    escritor.setResolution(resolucaoPdf);
    escritor.setCreator(Exportadores::programa());
    escritor.setTitle(relatorio.titulo.isEmpty() ? relatorio.nome : relatorio.titulo);
    escritor.setPageLayout(
        GeometriaPagina(relatorio.paginas.cabecalho(de - 1)).leiauteFolhaInteira());
    QPainter painter;
    if (!painter.begin(&escritor))
        throw ErroSistema(QStringLiteral("Não foi possível começar a impressão."));
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const int total = ate - de + 1;
    for (int i = de - 1; i < ate; ++i) {
        if (i > de - 1) {
            escritor.setPageLayout(
                GeometriaPagina(relatorio.paginas.cabecalho(i)).leiauteFolhaInteira());
            escritor.newPage();
        }
        Renderizador::desenharPaginaEm(painter, relatorio, i, resolucaoPdf);
        if (progresso && !progresso(i - de + 2, total))
            throw Exportadores::Cancelada{};
    }
    painter.end();
    pdf.sincronizar();
}

// Hands the whole PDF to the printer as one job. Until the last byte is handed over the user
// may still give it up: the job is then cancelled, and nothing is printed.
void enviar(const QPrinter &impressora, const QString &titulo, ArquivoTemporario &pdf,
            const std::function<bool()> &continuar) {
    const QByteArray nome = impressora.printerName().toUtf8();
    const QByteArray tituloUtf8 = titulo.toUtf8();
    cups_option_t *opcoes = nullptr;
    int quantas = 0;
    const auto acrescentar = [&](const QByteArray &chave, const QByteArray &valor) {
        quantas = cupsAddOption(chave.constData(), valor.constData(), quantas, &opcoes);
    };
    const QStringList doDialogo = impressora.printEngine()->property(opcoesDoCups).toStringList();
    for (qsizetype i = 0; i + 1 < doDialogo.size(); i += 2)
        acrescentar(doDialogo[i].toUtf8(), doDialogo[i + 1].toUtf8());
    if (impressora.copyCount() > 1) {
        acrescentar("copies", QByteArray::number(impressora.copyCount()));
        acrescentar("Collate", impressora.collateCopies() ? "True" : "False");
    }
    switch (impressora.duplex()) {
    case QPrinter::DuplexLongSide:
        acrescentar("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        acrescentar("sides", "two-sided-short-edge");
        break;
    case QPrinter::DuplexNone:
        acrescentar("sides", "one-sided");
        break;
    case QPrinter::DuplexAuto:
        break;
    }
    struct Liberar {
        int &quantas;
        cups_option_t *&opcoes;
        ~Liberar() { cupsFreeOptions(quantas, opcoes); }
    } liberar{quantas, opcoes};

    const auto recusada = [&] {
        return ErroSistema(
            QStringLiteral("A impressora \"%1\" recusou o trabalho: %2")
                .arg(impressora.printerName(), QString::fromUtf8(cupsLastErrorString())));
    };
    const int trabalho =
        cupsCreateJob(CUPS_HTTP_DEFAULT, nome.constData(), tituloUtf8.constData(), quantas, opcoes);
    if (trabalho == 0)
        throw recusada();
    const auto desistir = [&] { cupsCancelJob2(CUPS_HTTP_DEFAULT, nome.constData(), trabalho, 0); };
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, nome.constData(), trabalho, tituloUtf8.constData(),
                          CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE) {
        const ErroSistema erro = recusada();
        desistir();
        throw erro;
    }
    constexpr qint64 bloco = 256 * 1024;
    for (qint64 enviados = 0; enviados < pdf.tamanho();) {
        const QByteArray dados = pdf.ler(enviados, qMin(bloco, pdf.tamanho() - enviados));
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, dados.constData(), size_t(dados.size())) !=
            HTTP_STATUS_CONTINUE) {
            const ErroSistema erro = recusada();
            cupsFinishDocument(CUPS_HTTP_DEFAULT, nome.constData());
            desistir();
            throw erro;
        }
        enviados += dados.size();
        if (!continuar()) {
            cupsFinishDocument(CUPS_HTTP_DEFAULT, nome.constData());
            desistir();
            throw Exportadores::Cancelada{};
        }
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, nome.constData()) > IPP_STATUS_OK_CONFLICTING)
        throw recusada();
}

} // namespace

bool haImpressora() {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool conferirImpressora() {
    if (haImpressora())
        return true;
    Avisador::atual().mensagem(semImpressora);
    return false;
}

void usarImpressoraPadrao(QPrinter &impressora) {
    impressora.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
}

void imprimir(const RelatorioPreparado &relatorio, QPrinter &impressora, int de, int ate,
              const std::function<bool(int, int)> &progresso) {
    de = qMax(1, de);
    ate = qMin(ate, int(relatorio.paginas.size()));
    if (de > ate)
        return;
    // The pages are drawn whole into a work file first and reach the printer, or the file the
    // print dialog named, only then: a print stopped half way sends nothing at all.
    ArquivoTemporario pdf;
    desenhar(relatorio, de, ate, pdf, progresso);
    const int total = ate - de + 1;
    const auto continuar = [&] { return !progresso || progresso(total, total); };
    if (impressora.outputFormat() == QPrinter::PdfFormat &&
        !impressora.outputFileName().isEmpty()) {
        SaidaArquivo saida(impressora.outputFileName());
        saida.copiarDe(pdf.descritor());
        if (!continuar())
            throw Exportadores::Cancelada{};
        saida.concluir();
        return;
    }
    enviar(impressora, relatorio.titulo.isEmpty() ? relatorio.nome : relatorio.titulo, pdf,
           continuar);
}

void imprimirComProgresso(const RelatorioPreparado &relatorio, QPrinter &impressora, int de,
                          int ate, QWidget *pai) {
    QProgressDialog progresso(QStringLiteral("Imprimindo..."), QStringLiteral("Cancelar"), 0,
                              qMax(0, ate - de + 1), pai);
    progresso.setWindowTitle(QStringLiteral("Impressão"));
    progresso.setWindowModality(Qt::WindowModal);
    progresso.setMinimumDuration(0);
    bool mostrado = false;
    try {
        imprimir(relatorio, impressora, de, ate, [&](int feitas, int total) {
            if (feitas >= total)
                progresso.setLabelText(QStringLiteral("Enviando à impressora..."));
            progresso.setValue(qMin(feitas, total));
            mostrado = mostrado || progresso.isVisible();
            // Closed from outside (the program ending on a signal) is a cancel too.
            return !progresso.wasCanceled() && (!mostrado || progresso.isVisible());
        });
    } catch (const Exportadores::Cancelada &) {
        // Given up by the user: nothing was sent, and nothing to say.
    }
}

} // namespace Impressao
