#include "ArquivoRelatorio.h"
#include "Dinheiro.h"
#include "ErroSistema.h"
#include "FonteEmMemoria.h"
#include "Relatorio.h"

#include <QDataStream>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

class TstArquivo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void idaEVolta_data();
    void idaEVolta();
    void arquivoRecusado_data();
    void arquivoRecusado();
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
        FonteEmMemoria fonte({"ID_RECIBO", "CLIENTE", "VALOR", "DATA"});
        for (int i = 1; i <= linhas; ++i)
            fonte.adicionar({i, QStringLiteral("Cliente %1").arg(i),
                             QVariant::fromValue(Dinheiro::deCentavos(i * 7)), QDate(2011, 3, 5)});
        Relatorio lista(QStringLiteral("recibos_por_periodo"));
        lista.ligarFonte(QStringLiteral("ibqEvento"), &fonte);
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
