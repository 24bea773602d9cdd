#include "Figuras.h"

#include <QDir>
#include <QImage>
#include <QTest>
#include <QToolButton>
#include <QWidget>

namespace {

// How many pixels of a picture drawn at lado pixels are not transparent.
int pixelsPintados(const QIcon &icone, int lado) {
    const QImage imagem = icone.pixmap(lado, lado).toImage();
    int pintados = 0;
    for (int y = 0; y < imagem.height(); ++y)
        for (int x = 0; x < imagem.width(); ++x)
            pintados += qAlpha(imagem.pixel(x, y)) > 0;
    return pintados;
}

} // namespace

class TstFiguras : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every picture of the set draws something, at the smallest size it is
    // shown (the preview's toolbar) and the largest (the main window).
    void todasDesenham() {
        figura(QStringLiteral("salvar")); // registers the set
        const QStringList arquivos = QDir(QStringLiteral(":/figuras")).entryList();
        QVERIFY(arquivos.size() >= 20);
        for (const QString &arquivo : arquivos) {
            QVERIFY2(arquivo.endsWith(QLatin1String(".svg")), qPrintable(arquivo));
            const QIcon icone = figura(arquivo.chopped(4));
            QVERIFY2(!icone.isNull(), qPrintable(arquivo));
            for (const int lado : {16, 51}) {
                QCOMPARE(icone.pixmap(lado, lado).size(), QSize(lado, lado));
                QVERIFY2(pixelsPintados(icone, lado) > lado * lado / 10, qPrintable(arquivo));
            }
        }
    }

    void nomeDesconhecidoNaoTemFigura() { QVERIFY(figura(QStringLiteral("naoExiste")).isNull()); }

    // The record windows' column: every button present gets its picture, and
    // Consultar shares the search picture.
    void colunaDeBotoes() {
        QWidget janela;
        QStringList nomes = {"BTnovo",    "BTsalvar",    "BTalterar", "BTcancelar",
                             "BTexcluir", "BTconsultar", "BTsair"};
        for (const QString &nome : std::as_const(nomes))
            (new QToolButton(&janela))->setObjectName(nome);
        auto *outro = new QToolButton(&janela);
        outro->setObjectName(QStringLiteral("BTlocalizacao"));
        figurarColunaDeBotoes(&janela);
        for (const QString &nome : std::as_const(nomes)) {
            const QIcon icone = janela.findChild<QToolButton *>(nome)->icon();
            QVERIFY2(pixelsPintados(icone, 26) > 0, qPrintable(nome));
        }
        QVERIFY(outro->icon().isNull());
        QCOMPARE(janela.findChild<QToolButton *>(QStringLiteral("BTconsultar"))
                     ->icon()
                     .pixmap(26, 26)
                     .toImage(),
                 figura(QStringLiteral("localizar")).pixmap(26, 26).toImage());
    }
};

QTEST_MAIN(TstFiguras)
#include "tst_figuras.moc"
