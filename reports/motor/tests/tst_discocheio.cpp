// Every format written where there is no room: on a full disk of the user's, and with a full
// temporary folder. The earlier file stays byte for byte, the message says in Portuguese what
// happened and names the file or the folder, and nothing else is left behind.
#include "ArquivoRelatorio.h"
#include "DiscoPequeno.h"
#include "ErroSistema.h"
#include "Exportadores.h"
#include "RelatoriosDeTeste.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Every file of a folder and its bytes, the disk's filling left out.
QMap<QString, QByteArray> conteudo(const QString &pasta) {
    QMap<QString, QByteArray> arquivos;
    for (const QFileInfo &info : QDir(pasta).entryInfoList(QDir::Files | QDir::Hidden)) {
        if (info.fileName() == u".enchimento")
            continue;
        QFile f(info.filePath());
        if (f.open(QIODevice::ReadOnly))
            arquivos.insert(info.fileName(), f.readAll());
    }
    return arquivos;
}

// The program's temporary folder moved, for the test's duration, to another folder.
class PastaTemporaria {
public:
    explicit PastaTemporaria(const QString &pasta) : m_antes(qgetenv("TMPDIR")) {
        qputenv("TMPDIR", QFile::encodeName(pasta));
    }
    ~PastaTemporaria() {
        if (m_antes.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_antes);
    }

private:
    QByteArray m_antes;
};

struct Relatorios {
    Relatorio recibo{QStringLiteral("recibo_1via")};
    ListaDeClientes lista{400};
    Relatorios() {
        preencherRecibo(recibo);
        recibo.prepararTudo();
    }
    const RelatorioPreparado &qual(bool longo) const {
        return longo ? lista.preparado() : recibo.preparado();
    }
};

} // namespace

class TstDiscoCheio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_relatorios = std::make_unique<Relatorios>(); }
    void destinoCheio_data();
    void destinoCheio();
    void pastaTemporariaCheia_data();
    void pastaTemporariaCheia();
    void preparoComPastaTemporariaCheia();

private:
    std::unique_ptr<Relatorios> m_relatorios;
};

void TstDiscoCheio::destinoCheio_data() {
    QTest::addColumn<QString>("formato");
    QTest::addColumn<bool>("longo"); // a list of pages, or the one receipt
    for (const char *formato : {"pdf", "xlsx", "rtf", "jpg", "bmp", "trp"})
        for (const bool longo : {false, true})
            QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(
                QLatin1String(formato),
                longo ? QStringLiteral("lista") : QStringLiteral("recibo"))))
                << QString::fromLatin1(formato) << longo;
}

// A small file fails only at its last bytes, a long one half way: either way the earlier file
// is kept, and the message says that the disk is full and which file was not written.
void TstDiscoCheio::destinoCheio() {
    QFETCH(QString, formato);
    QFETCH(bool, longo);
    DISCO_PEQUENO(disco, 64);
    const RelatorioPreparado &r = m_relatorios->qual(longo);
    const QString arquivo = disco.filePath(QStringLiteral("r.") + formato);
    exportarNoFormato(formato, r, arquivo);
    const QMap<QString, QByteArray> antes = conteudo(disco.path());
    QVERIFY(antes.contains(QStringLiteral("r.") + formato));

    disco.encher();
    try {
        exportarNoFormato(formato, r, arquivo);
        QFAIL("written on a full disk");
    } catch (const ErroSistema &e) {
        QVERIFY2(e.mensagem().contains(QStringLiteral("o disco está cheio")),
                 qPrintable(e.mensagem()));
        QVERIFY2(e.mensagem().contains(QDir::toNativeSeparators(arquivo)),
                 qPrintable(e.mensagem()));
    }
    QCOMPARE(conteudo(disco.path()), antes);
    disco.esvaziar();
    exportarNoFormato(formato, r, arquivo); // room again: written as before
}

void TstDiscoCheio::pastaTemporariaCheia_data() {
    QTest::addColumn<QString>("formato");
    QTest::addColumn<bool>("usaATemporaria"); // works in the temporary folder
    QTest::newRow("pdf") << "pdf" << true;
    QTest::newRow("xlsx") << "xlsx" << true;
    QTest::newRow("jpg") << "jpg" << true;
    QTest::newRow("bmp") << "bmp" << true;
    QTest::newRow("rtf") << "rtf" << false;
    QTest::newRow("trp") << "trp" << false;
}

// The formats that work in the temporary folder say that it is full, and where it is, instead
// of writing a cut file (a spreadsheet whose parts were cut used to take the file's place);
// the others do not need it.
void TstDiscoCheio::pastaTemporariaCheia() {
    QFETCH(QString, formato);
    QFETCH(bool, usaATemporaria);
    DISCO_PEQUENO(temporaria, 16);
    QTemporaryDir destino;
    const RelatorioPreparado &r = m_relatorios->qual(true);
    const QString arquivo = destino.filePath(QStringLiteral("r.") + formato);
    exportarNoFormato(formato, r, arquivo);
    const QMap<QString, QByteArray> antes = conteudo(destino.path());

    temporaria.encher();
    const PastaTemporaria emOutroDisco(temporaria.path());
    try {
        exportarNoFormato(formato, r, arquivo);
        QVERIFY2(!usaATemporaria, "written with a full temporary folder");
        return;
    } catch (const ErroSistema &e) {
        QVERIFY2(usaATemporaria, qPrintable(e.mensagem()));
        QVERIFY2(e.mensagem().contains(QStringLiteral("A pasta temporária %1 está cheia")
                                           .arg(QDir::toNativeSeparators(temporaria.path()))),
                 qPrintable(e.mensagem()));
        QVERIFY2(e.mensagem().contains(QDir::toNativeSeparators(arquivo)),
                 qPrintable(e.mensagem()));
    }
    QCOMPARE(conteudo(destino.path()), antes);
    QCOMPARE(conteudo(temporaria.path()), (QMap<QString, QByteArray>{}));
}

// A long report whose pages no longer fit the temporary folder stops with a message naming
// the folder; it never ends as if it were whole.
void TstDiscoCheio::preparoComPastaTemporariaCheia() {
    DISCO_PEQUENO(temporaria, 8);
    temporaria.encher();
    const PastaTemporaria emOutroDisco(temporaria.path());
    try {
        ListaDeClientes lista(200000);
        QFAIL("prepared whole with a full temporary folder");
    } catch (const ErroSistema &e) {
        QVERIFY2(e.mensagem().contains(QStringLiteral("A pasta temporária %1 está cheia")
                                           .arg(QDir::toNativeSeparators(temporaria.path()))),
                 qPrintable(e.mensagem()));
    }
}

QTEST_MAIN(TstDiscoCheio)
#include "tst_discocheio.moc"
