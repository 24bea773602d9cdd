#include "Fontes.h"
#include "MedidorDeTexto.h"
#include "PaginaPreparada.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QTest>
#include <QTextLayout>

namespace {

// A page of a list: framed and coloured texts with one, two or no lines, numbers
// and dates, a rule, a rectangle and a picture, every value drawn from the page's number.
PaginaPreparada pagina(int n) {
    PaginaPreparada p;
    p.paisagem = n % 3 == 0;
    p.margensMm = QMarginsF(10, 5 + n % 7, 10, 10);
    for (int i = 0; i < 120; ++i) {
        TextoPreparado t;
        t.nome = QStringLiteral("Memo%1").arg(i % 6);
        t.caixa = QRectF(10 + i % 6 * 90.25, 40 + i * 17.1 + n / 3.0, 88.5, 16.0 + i % 2);
        t.fonte = i % 3;
        t.cor = 0xff000000u | quint32(n * 31 % 255);
        t.fundo = i % 5 == 0 ? 0xffeeeeee : 0;
        t.moldura.baixo = i % 4 == 0;
        t.moldura.estilo = MolduraLayout::Estilo(i % 3);
        t.alinhamentoH = AlinhamentoH(i % 3);
        t.quebraLinha = i % 2 == 0;
        t.tipo = TextoPreparado::Tipo(i % 3);
        t.valor = qint64(n) * 1000003 + i;
        t.casasValor = qint8(i % 3);
        const QString texto = QStringLiteral("Conceição nº %1/%2 — ação").arg(n).arg(i);
        for (int l = 0; l < i % 3; ++l)
            t.linhas.push_back({QPointF(t.caixa.left() + 2.0 / (l + 1), t.caixa.top() + 12.7 * l),
                                texto.left(texto.size() - l), 63.1 + l + n / 7.0});
        p.elementos.push_back(t);
    }
    p.elementos.push_back(
        TracoPreparado{QPointF(1, n), QPointF(700, n), 0.5, MolduraLayout::Pontilhado, 0xff112233});
    p.elementos.push_back(RetanguloPreparado{QRectF(5, 6, 7, n), 2, 0xff000000, 0xffffffff});
    p.elementos.push_back(FiguraPreparada{QRectF(0, 0, 50, 50), QRectF(0, 0, 50, 25.5), n % 2});
    return p;
}

} // namespace

class TstPaginasPreparadas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void paginasVoltamComoEram_data();
    void paginasVoltamComoEram();
    void copiasSeguemCadaUmaSeuCaminho();
    void larguraEGlifosComoAFormaDoTexto_data();
    void larguraEGlifosComoAFormaDoTexto();
};

void TstPaginasPreparadas::paginasVoltamComoEram_data() {
    QTest::addColumn<int>("quantidade");
    QTest::addColumn<bool>("noArquivo");
    QTest::newRow("uma página, em memória") << 1 << false;
    QTest::newRow("poucas páginas, em memória") << 20 << false;
    QTest::newRow("além de 8 MB, no arquivo temporário") << 800 << true;
}

void TstPaginasPreparadas::paginasVoltamComoEram() {
    QFETCH(int, quantidade);
    QFETCH(bool, noArquivo);
    PaginasPreparadas paginas;
    for (int n = 0; n < quantidade; ++n)
        paginas.push_back(pagina(n));
    QCOMPARE(paginas.size(), quantidade);
    QCOMPARE(paginas.bytesEmArquivo() > 0, noArquivo);
    QVERIFY(paginas.bytesEmMemoria() <= 10 << 20);
    // Backwards, then forwards: pages long gone from the decoded few are read again.
    for (int n = quantidade - 1; n >= 0; --n)
        QVERIFY2(paginas[n] == pagina(n), qPrintable(QString::number(n)));
    int n = 0;
    for (const PaginaPreparada &p : paginas)
        QVERIFY2(p == pagina(n++), qPrintable(QString::number(n)));
    QCOMPARE(n, quantidade);
    QVERIFY(paginas.cabecalho(quantidade - 1).elementos.isEmpty());
    QCOMPARE(paginas.cabecalho(quantidade - 1).margensMm, pagina(quantidade - 1).margensMm);
}

void TstPaginasPreparadas::copiasSeguemCadaUmaSeuCaminho() {
    PaginasPreparadas original;
    for (int n = 0; n < 3; ++n)
        original << pagina(n);
    PaginasPreparadas copia = original;
    copia << pagina(7);
    PaginaPreparada papel = copia.cabecalho(1);
    papel.paisagem = true;
    papel.deslocamentoMm = QPointF(3, -2);
    copia.mudarPapel(1, papel);

    QCOMPARE(original.size(), 3);
    QVERIFY(original[1] == pagina(1));
    QCOMPARE(copia.size(), 4);
    QVERIFY(copia[3] == pagina(7));
    // A change of paper keeps what the page holds.
    PaginaPreparada esperada = pagina(1);
    esperada.paisagem = true;
    esperada.deslocamentoMm = QPointF(3, -2);
    QVERIFY(copia[1] == esperada);
    QVERIFY(!(copia == original));
    copia.clear();
    QVERIFY(copia.isEmpty());
    QCOMPARE(original.size(), 3);
}

void TstPaginasPreparadas::larguraEGlifosComoAFormaDoTexto_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("pontos");
    QTest::addColumn<bool>("negrito");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("semForma");
    const struct {
        const char *caso;
        const char *texto;
        bool semForma; // drawn from the tables, without shaping
    } textos[] = {
        {"pares com kerning", "AVATAR LTDA. To Wa Tw Yvonne 11/11/2011", true},
        {"acentos", "Conceição Ávila Tõ àÀ ü °ºª", true},
        {"ligaduras de f", "fi ffl afluente efêmero", false},
        {"fora das tabelas latinas", "Ω Жук → ✓", false},
        {"caracteres de controle", "um\tdois\u00adtrês", false},
        {"vazio", "", true},
    };
    const struct {
        const char *face;
        int pontos;
        bool negrito;
    } fontes[] = {{"Arial", 8, false},
                  {"Arial", 14, true},
                  {"Tahoma", 10, false},
                  {"MS Sans Serif", 8, false}};
    for (const auto &f : fontes)
        for (const auto &t : textos)
            QTest::addRow("%s %d%s, %s", f.face, f.pontos, f.negrito ? " negrito" : "", t.caso)
                << QString::fromLatin1(f.face) << f.pontos << f.negrito
                << QString::fromUtf8(t.texto) << t.semForma;
}

void TstPaginasPreparadas::larguraEGlifosComoAFormaDoTexto() {
    QFETCH(QString, face);
    QFETCH(int, pontos);
    QFETCH(bool, negrito);
    QFETCH(QString, texto);
    QFETCH(bool, semForma);
    const FontePreparada fonte{face, pontos, negrito};
    MedidorDeTexto medidor(fonte);
    const QFontMetricsF fm(Fontes::criar(fonte, 96), Fontes::dispositivoDeMedida());
    const double esperada = fm.horizontalAdvance(texto);
    // Twice: the second time every advance and pair comes from the tables.
    for (int vez = 0; vez < 2; ++vez) {
        const double largura = medidor.largura(texto);
        QVERIFY2(largura == esperada,
                 qPrintable(QStringLiteral("%1 em vez de %2").arg(largura).arg(esperada)));
    }

    // The glyphs drawn from the tables are those Qt's shaping gives, in the same places.
    QList<quint32> indices;
    QList<QPointF> posicoes;
    QCOMPARE(medidor.glifos(texto, indices, posicoes), semForma);
    if (!semForma || texto.isEmpty())
        return;
    QTextLayout forma(texto, Fontes::criar(fonte, 96), Fontes::dispositivoDeMedida());
    forma.beginLayout();
    forma.createLine();
    forma.endLayout();
    QList<quint32> indicesDaForma;
    QList<double> xDaForma;
    for (const QGlyphRun &corrida : forma.glyphRuns()) {
        QCOMPARE(corrida.rawFont().familyName(), medidor.fonteBruta().familyName());
        indicesDaForma << corrida.glyphIndexes();
        for (const QPointF &p : corrida.positions())
            xDaForma << p.x();
    }
    QCOMPARE(indices, indicesDaForma);
    for (qsizetype i = 0; i < posicoes.size(); ++i)
        QVERIFY2(posicoes[i].x() == xDaForma[i],
                 qPrintable(QStringLiteral("glifo %1 em %2 em vez de %3")
                                .arg(i)
                                .arg(posicoes[i].x())
                                .arg(xDaForma[i])));
}

QTEST_MAIN(TstPaginasPreparadas)
#include "tst_paginaspreparadas.moc"
