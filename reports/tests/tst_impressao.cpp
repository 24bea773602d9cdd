#include "Avisador.h"
#include "AvisadorGravador.h"
#include "Exportadores.h"
#include "Impressao.h"
#include "Relatorio.h"
#include "RelatoriosDeTeste.h"
#include "Renderizador.h"
#include "ServicoRelatorio.h"
#include "UNpreview.h"

#include <QApplication>
#include <QPrintDialog>
#include <QTimer>

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QTest>

namespace {

// The first page of the nth PDF the printer wrote, rasterised at 96 dpi, once it is whole.
QImage paginaImpressa(const QString &pasta, int n) {
    const QStringList arquivos =
        QDir(pasta).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time | QDir::Reversed);
    if (arquivos.size() < n)
        return {};
    const QString prefixo = QDir(pasta).filePath(QStringLiteral("pagina%1").arg(n));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), QDir(pasta).filePath(arquivos[n - 1]), prefixo});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QImage(prefixo + QStringLiteral(".png"));
}

// The printed sheet shows every line of text where the renderer puts it.
void conferir(const QImage &impressa, const RelatorioPreparado &relatorio) {
    QCOMPARE(impressa.size(), QSize(794, 1123));
    const QImage nossa = Renderizador::imagem(relatorio, 0, 96);
    int linhas = 0;
    const PaginaPreparada primeira = relatorio.paginas.first();
    for (const ElementoPreparado &e : primeira.elementos) {
        const auto *t = std::get_if<TextoPreparado>(&e);
        if (!t)
            continue;
        for (const LinhaDeTexto &l : t->linhas) {
            const QRect faixa(qFloor(t->caixa.left()), qRound(l.base.y() - 8),
                              qCeil(t->caixa.width()), 9);
            const auto [e1, d1] = tinta(nossa, faixa);
            const auto [e2, d2] = tinta(impressa, faixa);
            QVERIFY2(qAbs(e1 - e2) <= 2 && qAbs(d1 - d2) <= 2,
                     qPrintable(QStringLiteral("%1: tinta %2..%3 na tela, %4..%5 no papel")
                                    .arg(t->nome)
                                    .arg(e1)
                                    .arg(d1)
                                    .arg(e2)
                                    .arg(d2)));
            ++linhas;
        }
    }
    QVERIFY(linhas > 5);
}

} // namespace

// Printing on a real CUPS queue: a private server with a PDF printer, started
// by the test set-up (cups-pdf.sh), stands in for the office printer. The
// printer's PDF comes through PostScript and keeps no searchable text, so the
// sheet is checked by where its ink falls.
class TstImpressao : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void imprimeReciboNaFila();
    void printVaiDiretoParaAPadrao();
    void previewImprimePeloDialogo();
    void impressaoCanceladaNaoEnviaNada_data();
    void impressaoCanceladaNaoEnviaNada();

private:
    QString m_saida;
    AvisadorGravador m_avisos;
};

void TstImpressao::initTestCase() {
    m_saida = qEnvironmentVariable("TALVANO_SAIDA_CUPS");
    if (m_saida.isEmpty() || !QFile::exists(qEnvironmentVariable("CUPS_SERVER")))
        QSKIP("sem o servidor CUPS de teste (rode pelo ctest como root, com cups e cups-pdf)");
    QVERIFY(Impressao::haImpressora());
    QCOMPARE(QPrinterInfo::defaultPrinter().printerName(), QStringLiteral("TalvanoPDF"));
    Avisador::instalar(&m_avisos);
}

void TstImpressao::imprimeReciboNaFila() {
    Relatorio recibo(QStringLiteral("recibo_1via"));
    SetText(FindObject(recibo, "recebi"), QStringLiteral("Maria das Graças Conceição"));
    SetText(FindObject(recibo, "valor"), QStringLiteral("1.234,56"));
    recibo.prepararTudo();
    QPrinter impressora(QPrinter::HighResolution);
    impressora.setPrinterName(QStringLiteral("TalvanoPDF"));
    QCOMPARE(impressora.outputFormat(), QPrinter::NativeFormat);
    Impressao::imprimir(recibo.preparado(), impressora, 1, 1);
    QTRY_VERIFY_WITH_TIMEOUT(!paginaImpressa(m_saida, 1).isNull(), 120000);
    conferir(paginaImpressa(m_saida, 1), recibo.preparado());
}

void TstImpressao::printVaiDiretoParaAPadrao() {
    Relatorio rapido(QStringLiteral("recibo_rapido"));
    SetText(FindObject(rapido, "Lnome"), QStringLiteral("João Batista"));
    SetText(FindObject(rapido, "LBemitente"), QStringLiteral("Assinatura"));
    Print(rapido);
    QTRY_VERIFY_WITH_TIMEOUT(!paginaImpressa(m_saida, 2).isNull(), 120000);
    conferir(paginaImpressa(m_saida, 2), rapido.preparado());
    QVERIFY(m_avisos.eventos().isEmpty());
}

void TstImpressao::previewImprimePeloDialogo() {
    Relatorio recibo(QStringLiteral("recibo_2vias"));
    SetText(FindObject(recibo, "recebi2"), QStringLiteral("Segunda Via"));
    recibo.prepararTudo();
    TFRpreview preview;
    preview.mostrar(&recibo.preparado(), nullptr, nullptr);
    QString impressoraDoDialogo;
    QTimer::singleShot(0, [&] {
        auto *dlg = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        impressoraDoDialogo = dlg->printer()->printerName();
        dlg->accept();
    });
    preview.imprimir();
    QCOMPARE(impressoraDoDialogo, QStringLiteral("TalvanoPDF")); // the default, preselected
    QTRY_VERIFY_WITH_TIMEOUT(!paginaImpressa(m_saida, 3).isNull(), 120000);
    conferir(paginaImpressa(m_saida, 3), recibo.preparado());
    QVERIFY(m_avisos.eventos().isEmpty());
}

void TstImpressao::impressaoCanceladaNaoEnviaNada_data() {
    QTest::addColumn<bool>("aoEnviar"); // cancelled while the job goes to the printer
    QTest::newRow("enquanto desenha as páginas") << false;
    QTest::newRow("enquanto envia à impressora") << true;
}

// A print stopped half way sends nothing: the next receipt printed is the only new sheet the
// printer writes, though the queue takes jobs in their order.
void TstImpressao::impressaoCanceladaNaoEnviaNada() {
    QFETCH(bool, aoEnviar);
    const auto impressos = [&] {
        return QDir(m_saida).entryList({QStringLiteral("*.pdf")}, QDir::Files).size();
    };
    const qsizetype antes = impressos();
    ListaDeClientes lista(3000);
    const int paginas = int(lista.preparado().paginas.size());
    QVERIFY(paginas > 40);
    QPrinter impressora(QPrinter::HighResolution);
    impressora.setPrinterName(QStringLiteral("TalvanoPDF"));
    int chamadasNoFim = 0;
    QVERIFY_THROWS_EXCEPTION(
        Exportadores::Cancelada,
        Impressao::imprimir(lista.preparado(), impressora, 1, paginas, [&](int feitas, int total) {
            if (!aoEnviar)
                return feitas < total / 3;
            return feitas < total || ++chamadasNoFim < 2;
        }));
    Relatorio recibo(QStringLiteral("recibo_1via"));
    SetText(FindObject(recibo, "recebi"), QStringLiteral("Depois do cancelamento"));
    recibo.prepararTudo();
    Impressao::imprimir(recibo.preparado(), impressora, 1, 1);
    QTRY_VERIFY_WITH_TIMEOUT(impressos() > antes, 120000);
    QTest::qWait(2000); // time for a job left behind to come out too
    QCOMPARE(impressos(), antes + 1);
    conferir(paginaImpressa(m_saida, int(antes) + 1), recibo.preparado());
}

QTEST_MAIN(TstImpressao)
#include "tst_impressao.moc"
