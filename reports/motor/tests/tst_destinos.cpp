// Where every format may write, by one rule: a link of another user in a shared sticky folder
// is never written through, the user's own link is; a read-only file, a folder or a pipe is
// refused; a name too long is told in Portuguese; and an export killed half way leaves nothing
// in the user's folder, or what it left is gone once the folder is written again.
#include "ArquivoRelatorio.h"
#include "ErroSistema.h"
#include "Exportadores.h"
#include "RelatoriosDeTeste.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList k_formatos{"pdf", "xlsx", "rtf", "jpg", "bmp", "trp"};

QByteArray ler(const QString &arquivo) {
    QFile f(arquivo);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void gravar(const QString &arquivo, const QByteArray &dados) {
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(dados);
}

// The refusal a write meets, or nothing.
QString recusa(const QString &formato, const RelatorioPreparado &r, const QString &arquivo) {
    try {
        exportarNoFormato(formato, r, arquivo);
        return {};
    } catch (const ErroSistema &e) {
        return e.mensagem();
    }
}

} // namespace

class TstDestinos : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void linkNaPastaCompartilhada_data() { formatos(); }
    void linkNaPastaCompartilhada();
    void linkProprioSeguido_data() { formatos(); }
    void linkProprioSeguido();
    void arquivoSomenteLeituraMantido_data() { formatos(); }
    void arquivoSomenteLeituraMantido();
    void pastaECanalRecusados_data() { formatos(); }
    void pastaECanalRecusados();
    void nomesLongos_data() { formatos(); }
    void nomesLongos();
    void mortoNoMeioNaoDeixaNada_data() { formatos(); }
    void mortoNoMeioNaoDeixaNada();
    void restosDeOutraExecucaoRemovidos();

private:
    static void formatos() {
        QTest::addColumn<QString>("formato");
        for (const QString &f : k_formatos)
            QTest::newRow(qPrintable(f)) << f;
    }
    std::unique_ptr<Relatorio> m_recibo;
};

void TstDestinos::initTestCase() {
    m_recibo = std::make_unique<Relatorio>(QStringLiteral("recibo_1via"));
    preencherRecibo(*m_recibo);
    m_recibo->prepararTudo();
}

// Another user's link "relatorio.pdf" to the user's copy of the database, in a folder all may
// write to (as /tmp): the export refuses it and the copy is untouched.
void TstDestinos::linkNaPastaCompartilhada() {
    QFETCH(QString, formato);
    if (geteuid() != 0)
        QSKIP("only root can plant a link owned by another user");
    QTemporaryDir casa, compartilhada;
    QVERIFY(QFile::setPermissions(compartilhada.path(), QFileDevice::Permissions(0x7777)));
    QCOMPARE(chmod(QFile::encodeName(compartilhada.path()).constData(), 01777), 0);
    const QString copia = casa.filePath(QStringLiteral("copia-do-banco.fbk"));
    gravar(copia, "a cópia do banco de dados");
    const QString link = compartilhada.filePath(QStringLiteral("relatorio.") + formato);
    QVERIFY(QFile::link(copia, link));
    QCOMPARE(lchown(QFile::encodeName(link).constData(), 65534, 65534), 0);

    const QString motivo = recusa(formato, m_recibo->preparado(), link);
    QVERIFY2(motivo.contains(u"link") && motivo.contains(u"outro usuário"), qPrintable(motivo));
    QCOMPARE(ler(copia), QByteArray("a cópia do banco de dados"));
    QVERIFY(QFileInfo(link).isSymLink());
}

// The user's own link is followed: the file it leads to is replaced, the link stays.
void TstDestinos::linkProprioSeguido() {
    QFETCH(QString, formato);
    QTemporaryDir pasta;
    const QString alvo = pasta.filePath(QStringLiteral("alvo.") + formato);
    gravar(alvo, "anterior");
    const QString link = pasta.filePath(QStringLiteral("atalho.") + formato);
    QVERIFY(QFile::link(alvo, link));
    exportarNoFormato(formato, m_recibo->preparado(), link);
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(ler(alvo) != QByteArray("anterior"));
    QVERIFY(ler(alvo).size() > 100);
}

// A file the user made read-only is refused by every format, and kept.
void TstDestinos::arquivoSomenteLeituraMantido() {
    QFETCH(QString, formato);
    QTemporaryDir pasta;
    const QString arquivo = pasta.filePath(QStringLiteral("fixo.") + formato);
    gravar(arquivo, "não mexa");
    QVERIFY(QFile::setPermissions(arquivo, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const QString motivo = recusa(formato, m_recibo->preparado(), arquivo);
    QVERIFY2(motivo.contains(u"somente leitura"), qPrintable(motivo));
    QCOMPARE(ler(arquivo), QByteArray("não mexa"));
    QCOMPARE(QDir(pasta.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{"fixo." + formato});
}

void TstDestinos::pastaECanalRecusados() {
    QFETCH(QString, formato);
    QTemporaryDir pasta;
    const QString dir = pasta.filePath(QStringLiteral("pasta.") + formato);
    QVERIFY(QDir().mkdir(dir));
    QVERIFY(recusa(formato, m_recibo->preparado(), dir).contains(u"pasta"));
    const QString canal = pasta.filePath(QStringLiteral("canal.") + formato);
    QCOMPARE(mkfifo(QFile::encodeName(canal).constData(), 0600), 0);
    const QString motivo = recusa(formato, m_recibo->preparado(), canal);
    QVERIFY2(motivo.contains(u"não é um arquivo comum"), qPrintable(motivo));
    const QString faltando = pasta.filePath(QStringLiteral("não existe/r.") + formato);
    const QString semPasta = recusa(formato, m_recibo->preparado(), faltando);
    QVERIFY2(semPasta.contains(u"não existe"), qPrintable(semPasta));
}

// A name of the most the disk takes is written (the work files have short names of their
// own); one longer is told in Portuguese.
void TstDestinos::nomesLongos() {
    QFETCH(QString, formato);
    QTemporaryDir pasta;
    const QString sufixo = u'.' + formato;
    // Pictures of a list take "_2" and on; the receipt has one page.
    const QString cabe = pasta.filePath(QString(255 - sufixo.size(), u'r') + sufixo);
    exportarNoFormato(formato, m_recibo->preparado(), cabe);
    QVERIFY(QFile::exists(cabe));
    const QString longo = pasta.filePath(QString(300, u'r') + sufixo);
    const QString motivo = recusa(formato, m_recibo->preparado(), longo);
    QVERIFY2(motivo.contains(u"longo demais") && motivo.startsWith(u"Não foi possível gravar"),
             qPrintable(motivo));
    QCOMPARE(QDir(pasta.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(cabe).fileName()});
}

// kill -9 while an export writes: the user's folder holds its earlier file, as it was or
// replaced whole, and nothing else but the work file of a kill between the export's last two
// steps, which the next write in the folder removes.
void TstDestinos::mortoNoMeioNaoDeixaNada() {
    QFETCH(QString, formato);
    QTemporaryDir pasta;
    const QString arquivo = pasta.filePath(QStringLiteral("r.") + formato);
    const auto exportarNoFilho = [&](const QString &destino, const QString &linhas) {
        auto filho = std::make_unique<QProcess>();
        filho->start(QStringLiteral(EXPORTAR_FILHO), {formato, destino, linhas});
        [&] {
            QVERIFY(filho->waitForStarted());
            QVERIFY(filho->waitForReadyRead(60000));
        }();
        return filho;
    };
    for (const int espera : {50, 400, 1500}) {
        gravar(arquivo, "anterior");
        auto filho = exportarNoFilho(arquivo, QStringLiteral("60000"));
        QTest::qWait(espera);
        if (filho->state() == QProcess::Running && filho->processId() > 0)
            kill(pid_t(filho->processId()), SIGKILL);
        filho->waitForFinished();
        QStringList restos;
        for (const QString &nome : QDir(pasta.path()).entryList(QDir::Files | QDir::Hidden)) {
            if (nome == QFileInfo(arquivo).fileName() || nome.startsWith(u"r_"))
                continue;
            QVERIFY2(nome.startsWith(u".talvano-"), qPrintable(nome));
            restos << nome;
        }
        const QByteArray ficou = ler(arquivo);
        QVERIFY(ficou == QByteArray("anterior") || ficou.size() > 1000);
        if (!restos.isEmpty()) {
            const QString outro = pasta.filePath(QStringLiteral("outro.") + formato);
            exportarNoFilho(outro, QStringLiteral("10"))->waitForFinished();
            for (const QString &resto : std::as_const(restos))
                QVERIFY2(!QFile::exists(pasta.filePath(resto)), qPrintable(resto));
        }
    }
}

// A work file another run left when it was killed between its last two steps is removed the
// next time the folder is written; one of a program still running is left alone.
void TstDestinos::restosDeOutraExecucaoRemovidos() {
    QTemporaryDir pasta;
    const QString morto = pasta.filePath(QStringLiteral(".talvano-999999999-abcdef"));
    const QString vivo = pasta.filePath(QStringLiteral(".talvano-1-abcdef"));
    const QString alheio = pasta.filePath(QStringLiteral(".talvano-notas"));
    for (const QString &f : {morto, vivo, alheio})
        gravar(f, "resto");
    exportarNoFormato(QStringLiteral("pdf"), m_recibo->preparado(),
                      pasta.filePath(QStringLiteral("r.pdf")));
    QVERIFY(!QFile::exists(morto));
    QVERIFY(QFile::exists(vivo));
    QVERIFY(QFile::exists(alheio));
}

QTEST_MAIN(TstDestinos)
#include "tst_destinos.moc"
