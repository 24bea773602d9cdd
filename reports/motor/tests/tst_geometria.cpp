#include "GeometriaPagina.h"
#include "PaginaPreparada.h"

#include <QTest>

class TstGeometria : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void papel_data();
    void papel();
    void novaPaginaLevaOConteudoComAsMargens();
};

void TstGeometria::papel_data() {
    QTest::addColumn<QSizeF>("papelMm");
    QTest::addColumn<bool>("paisagem");
    QTest::addColumn<QMarginsF>("margensMm");
    QTest::addColumn<QSizeF>("tamanhoMm");
    QTest::addColumn<QRectF>("areaUtilMm");
    QTest::addColumn<QSize>("pixels96");
    QTest::addColumn<QSize>("pixels300");
    QTest::addColumn<QPageSize::PageSizeId>("nome");

    QTest::newRow("A4 retrato, sem margens")
        << QSizeF(210, 297) << false << QMarginsF() << QSizeF(210, 297) << QRectF(0, 0, 210, 297)
        << QSize(794, 1123) << QSize(2480, 3508) << QPageSize::A4;
    QTest::newRow("A4 paisagem dado em pé")
        << QSizeF(210, 297) << true << QMarginsF(20, 10, 5, 15) << QSizeF(297, 210)
        << QRectF(20, 10, 272, 185) << QSize(1123, 794) << QSize(3508, 2480) << QPageSize::A4;
    QTest::newRow("A4 paisagem dado deitado")
        << QSizeF(297, 210) << true << QMarginsF() << QSizeF(297, 210) << QRectF(0, 0, 297, 210)
        << QSize(1123, 794) << QSize(3508, 2480) << QPageSize::A4;
    QTest::newRow("A4 deitado mas em retrato")
        << QSizeF(297, 210) << false << QMarginsF(10, 10, 10, 10) << QSizeF(210, 297)
        << QRectF(10, 10, 190, 277) << QSize(794, 1123) << QSize(2480, 3508) << QPageSize::A4;
    QTest::newRow("Carta com margens desiguais")
        << QSizeF(215.9, 279.4) << false << QMarginsF(25.4, 12.7, 6.35, 0) << QSizeF(215.9, 279.4)
        << QRectF(25.4, 12.7, 184.15, 266.7) << QSize(816, 1056) << QSize(2550, 3300)
        << QPageSize::Letter;
    QTest::newRow("meia folha sem nome")
        << QSizeF(210, 140) << true << QMarginsF(5, 5, 5, 5) << QSizeF(210, 140)
        << QRectF(5, 5, 200, 130) << QSize(794, 529) << QSize(2480, 1654) << QPageSize::Custom;
}

void TstGeometria::papel() {
    QFETCH(QSizeF, papelMm);
    QFETCH(bool, paisagem);
    QFETCH(QMarginsF, margensMm);
    QFETCH(QSizeF, tamanhoMm);
    QFETCH(QRectF, areaUtilMm);
    QFETCH(QSize, pixels96);
    QFETCH(QSize, pixels300);
    QFETCH(QPageSize::PageSizeId, nome);

    const GeometriaPagina g(papelMm, paisagem, margensMm);
    QCOMPARE(g.tamanhoMm(), tamanhoMm);
    QCOMPARE(g.papelMm(), QRectF(QPointF(0, 0), tamanhoMm));
    QCOMPARE(g.areaUtilMm(), areaUtilMm);
    QCOMPARE(g.tamanhoEmPixels(96), pixels96);
    QCOMPARE(g.tamanhoEmPixels(300), pixels300);
    // At 96 dpi the sheet is the page in layout pixels.
    PaginaPreparada pagina;
    g.aplicarEm(pagina);
    QCOMPARE(g.papelEm(96).size(), pagina.tamanhoPx());
    QCOMPARE(GeometriaPagina(pagina), g);

    // Printers and PDF lay out the whole sheet, drawing from its corner.
    const QPageLayout folha = g.leiauteFolhaInteira();
    QCOMPARE(folha.pageSize().id(), nome);
    QCOMPARE(folha.orientation(), paisagem ? QPageLayout::Landscape : QPageLayout::Portrait);
    QCOMPARE(folha.margins(QPageLayout::Millimeter), QMarginsF());
    const QRectF inteira = folha.fullRect(QPageLayout::Millimeter);
    QVERIFY2(qAbs(inteira.width() - tamanhoMm.width()) < 0.2 &&
                 qAbs(inteira.height() - tamanhoMm.height()) < 0.2,
             qPrintable(QStringLiteral("%1 x %2").arg(inteira.width()).arg(inteira.height())));

    // Page setup shows the margins, and what it gives back reads as the same paper.
    const QPageLayout comMargens = g.leiauteComMargens();
    QCOMPARE(comMargens.margins(QPageLayout::Millimeter), margensMm);
    const GeometriaPagina devolvida = GeometriaPagina::deLeiaute(comMargens);
    QCOMPARE(devolvida.paisagem(), paisagem);
    QCOMPARE(devolvida.margensMm(), margensMm);
    QCOMPARE(devolvida.tamanhoEmPixels(300), pixels300);
}

void TstGeometria::novaPaginaLevaOConteudoComAsMargens() {
    PaginaPreparada pagina;
    pagina.margensMm = QMarginsF(10, 10, 10, 10);
    pagina.deslocamentoMm = QPointF(2, 3);
    GeometriaPagina(QSizeF(210, 297), true, QMarginsF(25, 5, 0, 40)).aplicarEm(pagina);
    QVERIFY(pagina.paisagem);
    QCOMPARE(pagina.larguraMm, 297.0);
    QCOMPARE(pagina.alturaMm, 210.0);
    QCOMPARE(pagina.deslocamentoMm, QPointF(17, -2));
    QCOMPARE(pagina.margensMm, QMarginsF(25, 5, 0, 40));
    // The same paper again moves nothing.
    GeometriaPagina(pagina).aplicarEm(pagina);
    QCOMPARE(pagina.deslocamentoMm, QPointF(17, -2));
}

QTEST_MAIN(TstGeometria)
#include "tst_geometria.moc"
