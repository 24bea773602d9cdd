#include "ArquivoRelatorio.h"
#include "Dinheiro.h"
#include "ErroSistema.h"
#include "OrigemEmMemoria.h"
#include "Relatorio.h"

#include <QDataStream>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>
#include <zlib.h>

class TstArquivo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void idaEVolta_data();
    void idaEVolta();
    void arquivoRecusado_data();
    void arquivoRecusado();
    void arquivoForjadoRecusadoComPoucaMemoria_data();
    void arquivoForjadoRecusadoComPoucaMemoria();
    void soArquivoComumEAberto();
    void arquivoDaVersaoAnterior();
    void arquivosSalvosAntesAbrem();

private:
    RelatorioPreparado recibo();
    QTemporaryDir m_dir;
    QByteArray m_bom;
};

RelatorioPreparado TstArquivo::recibo() {
    Relatorio r(QStringLiteral("recibo_2vias"));
    SetText(FindObject(r, "valor"), QStringLiteral("1.234,56"));
    SetText(FindObject(r, "recebi2"), QStringLiteral("Conceição"));
    QImage logo(60, 30, QImage::Format_ARGB32);
    logo.fill(QColor(10, 200, 30, 128));
    SetPicture(FindObject(r, "picture1"), logo);
    SetPicture(FindObject(r, "picture2"), logo);
    r.prepararTudo();
    return r.preparado();
}

void TstArquivo::initTestCase() {
    QVERIFY(m_dir.isValid());
    const QString arquivo = m_dir.filePath(QStringLiteral("bom.trp"));
    ArquivoRelatorio::gravar(recibo(), arquivo);
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    m_bom = f.readAll();
}

void TstArquivo::idaEVolta_data() {
    QTest::addColumn<int>("linhas");
    QTest::newRow("recibo com logo") << -1;
    QTest::newRow("lista vazia") << 0;
    QTest::newRow("lista de três páginas") << 140;
    // Past the few megabytes the page store keeps in memory, and many pieces of
    // compressed bytes whose checks are joined.
    QTest::newRow("lista de 600 páginas") << 40000;
}

void TstArquivo::idaEVolta() {
    QFETCH(int, linhas);
    RelatorioPreparado original;
    if (linhas < 0) {
        original = recibo();
    } else {
        OrigemEmMemoria fonte({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
        for (int i = 1; i <= linhas; ++i)
            fonte.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                             QVariant::fromValue(Dinheiro::deCentavos(i * 7)), QDate(2011, 3, 5)});
        Relatorio lista(QStringLiteral("recibos_por_periodo"));
        lista.ligarOrigem(QStringLiteral("ibqEvento"), &fonte);
        lista.prepararTudo();
        original = lista.preparado();
    }
    const QString arquivo = m_dir.filePath(QStringLiteral("ida.trp"));
    ArquivoRelatorio::gravar(original, arquivo);

    // Written a page at a time, the file is still what a reader of the whole file
    // at once expects: one qCompress block, its size first, and its qChecksum.
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QDataStream s(&f);
    s.setVersion(QDataStream::Qt_6_4);
    char assinatura[8];
    quint16 versao = 0;
    QByteArray compactado;
    quint32 verificacao = 0;
    s.readRawData(assinatura, 8);
    s >> versao >> compactado >> verificacao;
    QCOMPARE(QByteArray(assinatura, 8), QByteArray("TLVRPREP"));
    QCOMPARE(versao, 2);
    QCOMPARE(s.status(), QDataStream::Ok);
    QVERIFY(f.atEnd());
    QCOMPARE(verificacao, quint32(qChecksum(compactado)));
    const QByteArray dados = qUncompress(compactado);
    QVERIFY(!dados.isEmpty());
    QCOMPARE(qFromBigEndian<quint32>(compactado.constData()), quint32(dados.size()));
    f.close();

    const RelatorioPreparado lido = ArquivoRelatorio::ler(arquivo);
    QCOMPARE(lido.nome, original.nome);
    QCOMPARE(lido.titulo, original.titulo);
    QCOMPARE(lido.fontes, original.fontes);
    QCOMPARE(lido.imagens, original.imagens);
    QCOMPARE(lido.paginas, original.paginas);
    // The pages went into the compact store as they were read, not all at once in memory.
    if (original.paginas.bytesEmArquivo() > 0)
        QVERIFY(lido.paginas.bytesEmArquivo() > 0);
}

void TstArquivo::arquivoRecusado_data() {
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("vazio") << QByteArray() << "não é um relatório";
    QTest::newRow("texto qualquer") << QByteArray("Recibo de aluguel\n") << "não é um relatório";
    QTest::newRow("PDF") << QByteArray("%PDF-1.4\n%...") << "não é um relatório";
    QTest::newRow("só a assinatura") << m_bom.left(8) << "danificado";
    QTest::newRow("cortado no meio") << m_bom.left(m_bom.size() / 2) << "danificado";
    QTest::newRow("falta o último byte") << m_bom.left(m_bom.size() - 1) << "danificado";
    QByteArray alterado = m_bom;
    alterado[alterado.size() / 2] = char(alterado[alterado.size() / 2] ^ 0x5a);
    QTest::newRow("byte alterado") << alterado << "danificado";
    // Pages whole, only the check at the end differs: the check alone must refuse it.
    QByteArray verificacao = m_bom;
    verificacao[verificacao.size() - 1] = char(verificacao[verificacao.size() - 1] ^ 0x01);
    QTest::newRow("verificação alterada") << verificacao << "danificado";
    QByteArray novo = m_bom;
    novo[9] = 9; // version 9
    QTest::newRow("versão mais nova") << novo << "versão mais nova";
}

void TstArquivo::arquivoRecusado() {
    QFETCH(QByteArray, conteudo);
    QFETCH(QString, mensagem);
    const QString arquivo = m_dir.filePath(QStringLiteral("ruim.trp"));
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(conteudo);
    f.close();
    try {
        ArquivoRelatorio::ler(arquivo);
        QFAIL("o arquivo ruim foi aceito");
    } catch (const ErroSistema &e) {
        QVERIFY2(e.mensagem().contains(mensagem), qPrintable(e.mensagem()));
    }
}

namespace {

// A saved report made by hand, as one made elsewhere could be: the file's frame (signature,
// version, sizes, the pages compressed) around the given uncompressed contents. The check at
// its end is wrong: what is refused must be refused before it is read that far.
QByteArray forjado(const QByteArray &conteudo) {
    uLongf tamanho = compressBound(uLong(conteudo.size()));
    QByteArray compactado(qsizetype(tamanho), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef *>(compactado.data()), &tamanho,
              reinterpret_cast<const Bytef *>(conteudo.constData()), uLong(conteudo.size()), 9);
    compactado.resize(qsizetype(tamanho));
    QByteArray arquivo("TLVRPREP\x00\x02", 10);
    char numero[4];
    qToBigEndian(quint32(4 + compactado.size()), numero);
    arquivo.append(numero, 4);
    qToBigEndian(quint32(conteudo.size()), numero);
    arquivo.append(numero, 4);
    arquivo += compactado;
    arquivo.append(4, '\0');
    return arquivo;
}

// The contents before the pages: a name, a title, one font, the pictures given, the pages.
QByteArray inicio(quint32 paginas, const QList<QImage> &imagens = {}) {
    QByteArray dados;
    QDataStream s(&dados, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_6_4);
    s << QStringLiteral("forjado") << QStringLiteral("Forjado") << quint32(1)
      << QStringLiteral("Arial") << qint32(10) << false << false << false
      << quint32(imagens.size());
    for (const QImage &i : imagens)
        s << i;
    s << paginas;
    return dados;
}

// A page of the given size and element count; each element a text of `linhas` lines.
QByteArray pagina(double largura, double altura, quint32 elementos, quint32 linhas = 1,
                  quint32 escritos = 1) {
    QByteArray dados;
    QDataStream s(&dados, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_6_4);
    s << largura << altura << false << QMarginsF() << QPointF() << elementos;
    for (quint32 k = 0; k < qMin(elementos, escritos); ++k) {
        s << quint8(1) << QStringLiteral("Memo") << QRectF(0, 0, 10, 10) << true << qint32(0)
          << quint32(0xff000000) << quint32(0) << false << false << false << false << quint8(0)
          << 1.0 << quint8(0) << quint8(0) << true << quint8(0) << qint8(0) << qint8(-1)
          << qint64(0) << linhas;
        for (quint32 j = 0; j < qMin<quint32>(linhas, 1000); ++j)
            s << QPointF(1, 1) << QStringLiteral("x") << 1.0;
    }
    return dados;
}

// The peak of the process's resident memory, once reset: what one step asked for.
qint64 picoDesde() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &linha : status.readAll().split('\n'))
        if (linha.startsWith("VmHWM:"))
            return linha.mid(6).trimmed().split(' ').first().toLongLong() / 1024;
    return 0;
}

void zerarPico() {
    QFile limpar(QStringLiteral("/proc/self/clear_refs"));
    if (limpar.open(QIODevice::WriteOnly))
        limpar.write("5");
}

} // namespace

void TstArquivo::arquivoForjadoRecusadoComPoucaMemoria_data() {
    QTest::addColumn<QByteArray>("conteudo");
    QTest::addColumn<QString>("pedido"); // how the message names what the file asks for
    QByteArray muitasPaginas = inicio(900000);
    for (int i = 0; i < 2000; ++i)
        muitasPaginas += pagina(210, 297, 0);
    // Many small pages are what the program writes: those pass the bound, and the file is
    // then refused where its pages run out.
    QTest::newRow("páginas além do que o programa grava")
        << forjado(inicio(5000000) + pagina(210, 297, 0)) << "5000000 páginas";
    QTest::newRow("elementos demais numa página")
        << forjado(inicio(1) + pagina(210, 297, 20000000)) << "20000000 elementos";
    QTest::newRow("linhas demais num texto")
        << forjado(inicio(1) + pagina(210, 297, 1, 20000000)) << "20000000 linhas";
    QTest::newRow("linhas demais numa página")
        << forjado(inicio(1) + pagina(210, 297, 60, 1000, 60)) << "linhas de texto";
    QTest::newRow("página de 210 x 100.000 mm")
        << forjado(inicio(1) + pagina(210, 100000, 0)) << "210 x 100000 mm";
    QTest::newRow("página sem tamanho")
        << forjado(inicio(1) + pagina(qQNaN(), 297, 0)) << "uma página de";
    QTest::newRow("muitas páginas vazias, e o arquivo acaba")
        << forjado(muitasPaginas) << "danificado";
    QImage enorme(30000, 30000, QImage::Format_Mono);
    enorme.fill(0);
    QTest::newRow("figura enorme")
        << forjado(inicio(1, {enorme}) + pagina(210, 297, 0)) << "danificado";
}

// A saved report from elsewhere is refused, within a bounded memory and time, when it asks
// for more than the program ever writes: the message says what it asked for.
void TstArquivo::arquivoForjadoRecusadoComPoucaMemoria() {
    QFETCH(QByteArray, conteudo);
    QFETCH(QString, pedido);
    const QString arquivo = m_dir.filePath(QStringLiteral("forjado.trp"));
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(conteudo);
    f.close();
    zerarPico();
    const qint64 antes = picoDesde();
    QElapsedTimer relogio;
    relogio.start();
    try {
        ArquivoRelatorio::ler(arquivo);
        QFAIL("o arquivo forjado foi aceito");
    } catch (const ErroSistema &e) {
        QVERIFY2(e.mensagem().contains(pedido), qPrintable(e.mensagem()));
    }
    const qint64 pico = picoDesde() - antes;
    qInfo("%s: %lld MB a mais, %lld ms", qPrintable(pedido), pico, relogio.elapsed());
    QVERIFY2(pico < 300, qPrintable(QString::number(pico)));
}

// A named pipe chosen as the file to open is refused at once instead of blocking the program.
void TstArquivo::soArquivoComumEAberto() {
    const QString canal = m_dir.filePath(QStringLiteral("canal.trp"));
    QCOMPARE(mkfifo(QFile::encodeName(canal).constData(), 0600), 0);
    try {
        ArquivoRelatorio::ler(canal);
        QFAIL("o canal foi aceito");
    } catch (const ErroSistema &e) {
        QVERIFY2(e.mensagem().contains(u"não é um arquivo comum"), qPrintable(e.mensagem()));
    }
    try {
        ArquivoRelatorio::ler(m_dir.path());
        QFAIL("a pasta foi aceita");
    } catch (const ErroSistema &e) {
        QVERIFY2(e.mensagem().contains(u"não é um arquivo comum"), qPrintable(e.mensagem()));
    }
}

// A list saved before texts kept their alignment and kind of value: the amount, drawn
// against its box's right edge, still reads as a right-aligned number with its
// decimals; the name beside it stays on the left.
void TstArquivo::arquivoDaVersaoAnterior() {
    const RelatorioPreparado r =
        ArquivoRelatorio::ler(QStringLiteral(TALVANO_ARQUIVOS "/lista_versao1.trp"));
    QCOMPARE(r.paginas.size(), 1);
    const PaginaPreparada pagina = r.paginas.first();
    QCOMPARE(pagina.elementos.size(), 3);
    const auto &nome = std::get<TextoPreparado>(pagina.elementos[1]);
    QCOMPARE(nome.linhas.first().texto, QStringLiteral("Ana"));
    QCOMPARE(nome.alinhamentoH, AlinhamentoH::Esquerda);
    QCOMPARE(nome.tipo, TextoPreparado::Tipo::Texto);
    const auto &valor = std::get<TextoPreparado>(pagina.elementos[2]);
    QCOMPARE(valor.alinhamentoH, AlinhamentoH::Direita);
    QCOMPARE(valor.tipo, TextoPreparado::Tipo::Numero);
    QCOMPARE(valor.valor, 123450);
    QCOMPARE(int(valor.casasValor), 2);
    QCOMPARE(int(valor.casasExibidas), 2);
}

namespace {

QStringList textos(const PaginaPreparada &pagina) {
    QStringList lista;
    for (const ElementoPreparado &e : pagina.elementos)
        if (const auto *t = std::get_if<TextoPreparado>(&e))
            for (const LinhaDeTexto &l : t->linhas)
                lista << l.texto;
    return lista;
}

} // namespace

// Files saved by the version that wrote the whole file at once open as they were
// saved: the receipt with its logo, and a list of three pages.
void TstArquivo::arquivosSalvosAntesAbrem() {
    const RelatorioPreparado recibo =
        ArquivoRelatorio::ler(QStringLiteral(TALVANO_ARQUIVOS "/recibo_versao2.trp"));
    QCOMPARE(recibo.paginas.size(), 1);
    QVERIFY(textos(recibo.paginas.first()).contains(QStringLiteral("1.234,56")));
    QVERIFY(textos(recibo.paginas.first()).contains(QStringLiteral("Conceição")));
    QCOMPARE(recibo.imagens.size(), 1);
    QCOMPARE(recibo.imagens.first().size(), QSize(60, 30));
    QCOMPARE(recibo.imagens.first().pixelColor(5, 5), QColor(10, 200, 30, 128));

    const RelatorioPreparado lista =
        ArquivoRelatorio::ler(QStringLiteral(TALVANO_ARQUIVOS "/lista_versao2.trp"));
    QCOMPARE(lista.paginas.size(), 3);
    QVERIFY(textos(lista.paginas.at(0)).contains(QStringLiteral("Cliente 1")));
    QVERIFY(textos(lista.paginas.at(2)).contains(QStringLiteral("Cliente 140")));
    QVERIFY(!textos(lista.paginas.at(2)).contains(QStringLiteral("Cliente 1")));
    const auto total = textos(lista.paginas.at(2));
    QVERIFY2(total.contains(QStringLiteral("690,90")), qPrintable(total.join(u'|'))); // 7 × 9870
}

QTEST_MAIN(TstArquivo)
#include "tst_arquivo.moc"
