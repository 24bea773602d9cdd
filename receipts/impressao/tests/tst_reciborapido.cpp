#include "ReciboRapido.h"
#include "Relatorio.h"

#include <QTest>

namespace {

// A text of about `tamanho` characters in words of ordinary length, different for each field.
QString frase(int tamanho, int semente) {
    static const QStringList palavras = {
        QStringLiteral("Aluguel"),    QStringLiteral("do"),        QStringLiteral("imóvel"),
        QStringLiteral("situado"),    QStringLiteral("na"),        QStringLiteral("Rua"),
        QStringLiteral("das"),        QStringLiteral("Flores,"),   QStringLiteral("número"),
        QStringLiteral("123,"),       QStringLiteral("referente"), QStringLiteral("ao"),
        QStringLiteral("mês"),        QStringLiteral("de"),        QStringLiteral("março"),
        QStringLiteral("condomínio"), QStringLiteral("água"),      QStringLiteral("luz")};
    QString texto;
    for (int i = semente; texto.size() < tamanho; ++i)
        texto +=
            (texto.isEmpty() ? QString() : QStringLiteral(" ")) + palavras[i % palavras.size()];
    return texto;
}

const TextoPreparado *texto(const PaginaPreparada &pagina, const QString &nome) {
    for (const ElementoPreparado &e : pagina.elementos)
        if (const auto *t = std::get_if<TextoPreparado>(&e); t && t->nome == nome)
            return t;
    return nullptr;
}

QString impresso(const PaginaPreparada &pagina, const QString &nome) {
    const TextoPreparado *t = texto(pagina, nome);
    if (!t)
        return {};
    QStringList linhas;
    for (const LinhaDeTexto &l : t->linhas)
        linhas << l.texto;
    return linhas.join(u' ');
}

const char *const k_rotulos[] = {"Lvalor", "Lnome", "Lextenso",   "Lreferente",     "Lobs",
                                 "Lforma", "Ldata", "LBemitente", "LBdadosemitente"};

TextosReciboRapido todosCom(int tamanho) {
    return {frase(tamanho, 0), frase(tamanho, 1), frase(tamanho, 2),
            frase(tamanho, 3), frase(tamanho, 4), frase(tamanho, 5),
            frase(tamanho, 6), frase(tamanho, 7), frase(tamanho, 8)};
}

} // namespace

Q_DECLARE_METATYPE(TextosReciboRapido)

class TstReciboRapido : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void assinatura_data();
    void assinatura();
    void textosLongosInteiros_data();
    void textosLongosInteiros();
    void semLimiteTomaAsLinhasQuePrecisa();
};

void TstReciboRapido::assinatura_data() {
    QTest::addColumn<QString>("emitente");
    QTest::addColumn<QString>("sobAssinatura");
    QTest::newRow("sem emitente") << ""
                                  << "Assinatura";
    QTest::newRow("com emitente") << "José da Silva"
                                  << "José da Silva";
}

// The signature line names the issuer, or asks for a signature; the texts go as they stand,
// the value unformatted and the words whatever the field held.
void TstReciboRapido::assinatura() {
    QFETCH(QString, emitente);
    QFETCH(QString, sobAssinatura);
    Relatorio report(QStringLiteral("recibo_rapido"));
    TextosReciboRapido r;
    r.valor = QStringLiteral("1234,5");
    r.extenso = QStringLiteral("Um Real.");
    r.emitente = emitente;
    preencherReciboRapido(report, r);
    report.prepararTudo();
    const PaginaPreparada &p = report.preparado().paginas.first();
    QCOMPARE(impresso(p, "LBemitente"), sobAssinatura);
    QCOMPARE(impresso(p, "Lvalor"), QStringLiteral("1234,5"));
    QCOMPARE(impresso(p, "Lextenso"), QStringLiteral("Um Real."));
    QVERIFY(!texto(p, "LBdadosemitente"));
}

void TstReciboRapido::textosLongosInteiros_data() {
    QTest::addColumn<TextosReciboRapido>("recibo");
    QTest::newRow("cem caracteres em todos os campos") << todosCom(100);
    TextosReciboRapido longos = todosCom(20);
    longos.referente = frase(300, 3);
    longos.observacoes = frase(300, 4);
    QTest::newRow("trezentos em referente e observações") << longos;
}

// However long the texts typed, every word prints: a label stops at the band's right edge
// and takes more lines, smaller if it must, without running into the next one.
void TstReciboRapido::textosLongosInteiros() {
    QFETCH(TextosReciboRapido, recibo);
    Relatorio report(QStringLiteral("recibo_rapido"));
    preencherReciboRapido(report, recibo);
    report.prepararTudo();
    QCOMPARE(report.preparado().paginas.size(), 1);
    const PaginaPreparada &p = report.preparado().paginas.first();
    const double esquerda = 10 * Layout::pixelsPorMm;
    const double direita = esquerda + report.layout().larguraImprimivel();

    const QStringList esperados = {recibo.valor,     recibo.recebi,      recibo.extenso,
                                   recibo.referente, recibo.observacoes, recibo.local,
                                   recibo.data,      recibo.emitente,    recibo.dadosEmitente};
    QList<const TextoPreparado *> impressos;
    for (int i = 0; i < esperados.size(); ++i) {
        const QString nome = QLatin1String(k_rotulos[i]);
        const TextoPreparado *t = texto(p, nome);
        QVERIFY2(t, qPrintable(nome));
        QCOMPARE(impresso(p, nome), esperados[i]);
        QVERIFY2(t->caixa.right() <= direita + 0.01, qPrintable(nome));
        for (const LinhaDeTexto &l : t->linhas)
            QVERIFY2(l.base.x() + l.largura <= direita + 0.01, qPrintable(nome));
        impressos << t;
    }
    // No label covers another, nor crosses a rule or the signature line.
    for (const ElementoPreparado &e : p.elementos) {
        const auto *t = std::get_if<TextoPreparado>(&e);
        for (const TextoPreparado *outro : impressos) {
            if (t && t != outro)
                QVERIFY2(!t->caixa.intersects(outro->caixa),
                         qPrintable(t->nome + QStringLiteral(" × ") + outro->nome));
            const auto *r = std::get_if<RetanguloPreparado>(&e);
            if (r && r->caixa.height() < 5)
                QVERIFY2(!r->caixa.intersects(outro->caixa), qPrintable(outro->nome));
        }
    }
}

// A self-sizing label given no limit below it grows down as far as its lines need, in its own
// font, rather than losing them.
void TstReciboRapido::semLimiteTomaAsLinhasQuePrecisa() {
    Relatorio report(QStringLiteral("recibo_rapido"));
    ObjetoLayout *referente = FindObject(report, QStringLiteral("Lreferente"));
    referente->alturaMaxima = 0;
    referente->fonteMinima = 0;
    TextosReciboRapido r;
    r.referente = frase(600, 3);
    preencherReciboRapido(report, r);
    report.prepararTudo();
    const PaginaPreparada &p = report.preparado().paginas.first();
    const TextoPreparado *t = texto(p, QStringLiteral("Lreferente"));
    QVERIFY(t);
    QCOMPARE(impresso(p, QStringLiteral("Lreferente")), r.referente);
    QVERIFY(t->linhas.size() > 3);
    QCOMPARE(report.preparado().fontes.at(t->fonte).pontos, 10);
    QVERIFY(t->linhas.last().base.y() < t->caixa.bottom());
    QVERIFY(t->caixa.right() <=
            10 * Layout::pixelsPorMm + report.layout().larguraImprimivel() + 0.01);
}

QTEST_MAIN(TstReciboRapido)
#include "tst_reciborapido.moc"
