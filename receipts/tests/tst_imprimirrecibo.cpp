#include "Aplicacao.h"
#include "AvisadorGravador.h"
#include "DataExtenso.h"
#include "Dinheiro.h"
#include "Extens.h"
#include "GestosRecibo.h"
#include "JanelaTeste.h"
#include "UNpreview.h"
#include "UNrecibo.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtWidgets/QApplication>

#include <functional>
#include <map>

using Evento = AvisadorGravador::Evento;

namespace {

const QString k_emitente = QStringLiteral("PADARIA BOM PAO LTDA");
const QString k_cnpj = QStringLiteral("11.222.333/0001-81");
const QString k_outro = QStringLiteral("MARIA DA SILVA");
const QString k_cpf = QStringLiteral("123.456.789-09");

// A fresh database with its issuer in Campinas, with or without a logo.
struct Ambiente : AmbienteJanela {
    QImage logo;

    explicit Ambiente(bool comLogo) {
        dm->Emitente->abrir();
        dm->Emitente->inserir();
        dm->EmitenteEMITENTE->definirValor(k_emitente);
        dm->EmitenteCPFCNPJ->definirValor(k_cnpj);
        dm->EmitenteCIDADE->definirValor(QStringLiteral("CAMPINAS"));
        if (comLogo) {
            logo = QImage(240, 80, QImage::Format_RGB32);
            logo.fill(Qt::white);
            QPainter p(&logo);
            p.fillRect(QRect(10, 10, 60, 60), QColor(0x00, 0x00, 0x80));
            p.setPen(QColor(0x00, 0x80, 0x80));
            p.setFont(QFont(QStringLiteral("Liberation Sans"), 20, QFont::Bold));
            p.drawText(QRect(80, 10, 150, 60), Qt::AlignVCenter, QStringLiteral("Bom Pão"));
            p.end();
            QByteArray bmp;
            QBuffer buffer(&bmp);
            buffer.open(QIODevice::WriteOnly);
            logo.save(&buffer, "BMP");
            dm->EmitenteFOTO_MARC->definirValor(bmp);
        }
        dm->Emitente->gravar();
        dm->Tra->commitRetaining();
    }
    void executar(const QString &sql) {
        Fb::Comando(*dm->Tra, sql).executar();
        dm->Tra->commitRetaining();
    }
};

// Puts a text into a field as typed, without leaving it.
void digitar(const QWidget &j, const char *campo, const QString &texto) {
    auto *w = filho<TDBEdit>(j, campo);
    w->setFocus(Qt::TabFocusReason);
    w->selectAll();
    QTest::keyClicks(w, texto);
}

// Clicks a print button and keeps the pages its preview shows; `noPreview` runs in the open
// preview before it is closed.
RelatorioPreparado imprimir(const QWidget &j, const char *botao,
                            const std::function<void(TFRpreview &)> &noPreview = {}) {
    RelatorioPreparado visto;
    QObject guarda; // no preview opened: the check dies with this call
    QTimer::singleShot(0, &guarda, [&] {
        auto *preview = qobject_cast<TFRpreview *>(QApplication::activeModalWidget());
        if (!preview)
            return;
        visto = *preview->relatorio();
        if (noPreview)
            noPreview(*preview);
        preview->close();
    });
    clicar(j, botao);
    return visto;
}

// What the page prints in an object: its lines read as one, or nothing.
QString impresso(const PaginaPreparada &pagina, const QString &objeto) {
    for (const ElementoPreparado &e : pagina.elementos) {
        if (const auto *t = std::get_if<TextoPreparado>(&e); t && t->nome == objeto) {
            QStringList linhas;
            for (const LinhaDeTexto &l : t->linhas)
                linhas << l.texto;
            return linhas.join(u' ');
        }
    }
    return {};
}

int figuras(const PaginaPreparada &pagina) {
    int n = 0;
    for (const ElementoPreparado &e : pagina.elementos)
        n += std::holds_alternative<FiguraPreparada>(e);
    return n;
}

// The objects that print each text of the window, per copy, by their names in the layouts.
struct Objetos {
    QString valor, extenso, pagador, cpfPagador, assinante, cpfAssinante, local, data;
};
QList<Objetos> objetos(bool duasVias) {
    if (!duasVias)
        return {{"Valor", "Extenso", "emitente", "cpfcnpjemitente", "Recebi", "cpfcnpjcliente",
                 "local", "data1"}};
    return {{"Valor", "Extenso", "Emitente", "cpfcnpjemitente", "recebi", "cpfcnpjcliente", "local",
             "data1"},
            {"Valor2", "Extenso2", "Emitente2", "cpfcnpjemitente2", "Recebi2", "cpfcnpjcliente2",
             "local2", "data2"}};
}

// One word of `pdftotext -bbox`, in millimetres from the top-left corner of the page.
struct Palavra {
    QString texto;
    QRectF caixa;
};
QList<Palavra> palavrasDoPdf(const QString &pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    static const QRegularExpression palavra(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" )re"
                       R"re(yMax="([\d.]+)">([^<]*)</word>)re"));
    const double mmPorPonto = 25.4 / 72;
    QList<Palavra> palavras;
    for (const auto &m : palavra.globalMatch(QString::fromUtf8(p.readAllStandardOutput()))) {
        const QPointF a(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF b(m.captured(3).toDouble(), m.captured(4).toDouble());
        palavras.push_back({m.captured(5), QRectF(a * mmPorPonto, b * mmPorPonto)});
    }
    return palavras;
}

} // namespace

class TstImprimirRecibo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Aplicacao::prepararAmbiente(); }
    void cleanupTestCase() { Fb::encerrar(); }

    void reciboEmEdicao_data();
    void reciboEmEdicao();
    void reciboGuardadoSemLogo_data();
    void reciboGuardadoSemLogo();
    void valorIlegivelNaoImprime();
    void pdfDeUmaVia();
};

void TstImprimirRecibo::reciboEmEdicao_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("botao");
    QTest::addColumn<bool>("clicaDoValor"); // else from the other party's tax number
    QTest::newRow("DEVEDOR, 1 via, do valor") << "DEVEDOR"
                                              << "SpeedButton3" << true;
    QTest::newRow("CREDOR, 1 via, do CPF") << "CREDOR"
                                           << "SpeedButton3" << false;
    QTest::newRow("DEVEDOR, 2 vias, do CPF") << "DEVEDOR"
                                             << "SpeedButton4" << false;
    QTest::newRow("CREDOR, 2 vias, do valor") << "CREDOR"
                                              << "SpeedButton4" << true;
}

// A new receipt, never saved, printed with the print button clicked right from the field
// being typed in: that field's leave action has run, the parties stand on the sides of the
// kind, and every copy says the same.
void TstImprimirRecibo::reciboEmEdicao() {
    QFETCH(QString, tipo);
    QFETCH(QString, botao);
    QFETCH(bool, clicaDoValor);
    const bool devedor = tipo == u"DEVEDOR";
    const bool duasVias = botao == u"SpeedButton4";
    Ambiente a(true);
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    escolherTipo(j, tipo);
    // The other party is typed on the side the kind left open.
    const char *nome = devedor ? "DBcliente" : "DBemitente";
    const char *cpf = devedor ? "DBcpfcnpjcliente" : "DBcpfcnpjemitente";
    digitar(j, nome, k_outro.toLower());
    a.aviso.responder(false); // not registered as a client
    if (clicaDoValor) {
        digitar(j, cpf, QStringLiteral("12345678909"));
        digitar(j, "DBvalor", QStringLiteral("454454,54"));
    } else {
        digitar(j, "DBvalor", QStringLiteral("454454,54"));
        digitar(j, cpf, QStringLiteral("12345678909"));
    }

    const RelatorioPreparado r = imprimir(j, qPrintable(botao), [&](TFRpreview &) {
        fotografar(QStringLiteral("recibo-%1-%2").arg(tipo.toLower(), duasVias ? "2vias" : "1via"));
    });
    QCOMPARE(r.nome, duasVias ? QStringLiteral("frxReport1") : QStringLiteral("frxReport"));
    QCOMPARE(r.paginas.size(), 1);
    const PaginaPreparada &p = r.paginas.first();
    const QString extenso = ValorPorExtenso(Dinheiro::deCentavos(45445454));
    QCOMPARE(extenso.size(), 112);
    for (const Objetos &o : objetos(duasVias)) {
        QCOMPARE(impresso(p, o.valor), QStringLiteral("454.454,54"));
        QCOMPARE(impresso(p, o.extenso), extenso);
        QCOMPARE(impresso(p, o.pagador), devedor ? k_emitente : k_outro);
        QCOMPARE(impresso(p, o.cpfPagador), devedor ? k_cnpj : k_cpf);
        QCOMPARE(impresso(p, o.assinante), devedor ? k_outro : k_emitente);
        QCOMPARE(impresso(p, o.cpfAssinante), devedor ? k_cpf : k_cnpj);
        QCOMPARE(impresso(p, o.local), QStringLiteral("CAMPINAS"));
        QCOMPARE(impresso(p, o.data), DataPorExtenso(QDate::currentDate()));
    }
    QCOMPARE(figuras(p), duasVias ? 2 : 1);
    QCOMPARE(r.imagens.size(), 1);
    QCOMPARE(r.imagens.first().convertToFormat(QImage::Format_RGB32), a.logo);

    // Printing changed nothing: the receipt is still being edited and was never stored.
    for (const Evento &e : a.aviso.eventos())
        QVERIFY2(e.tipo != Evento::Erro, qPrintable(e.texto));
    QVERIFY(filho(j, "BTsalvar")->isEnabled());
    QCOMPARE(a.dm->Recibos->estado(), Conjunto::Estado::Inserindo);
    QCOMPARE(a.contarDeFora(QStringLiteral("RECIBOS")), 0);
}

void TstImprimirRecibo::reciboGuardadoSemLogo_data() {
    QTest::addColumn<QString>("botao");
    QTest::newRow("1 via") << "SpeedButton3";
    QTest::newRow("2 vias") << "SpeedButton4";
}

// A stored receipt printed while browsing: the place is the issuer's city of today, not the
// one stored; no logo leaves the picture boxes empty; empty fields print nothing, not the
// layout's placeholder names.
void TstImprimirRecibo::reciboGuardadoSemLogo() {
    QFETCH(QString, botao);
    Ambiente a(false);
    a.executar(QStringLiteral(
        "INSERT INTO RECIBOS (ID_RECIBO, VALOR, VALOREXTENSO, DATA, DATARECIBO, LOCAL, TIPO, "
        "EMITENTE, CPFCNPJEMITENTE, CLIENTE, CPFCNPJCLIENTE, REFERENTE) VALUES (7, 50, "
        "'Cinqüenta Reais.', '2012-03-05', '05 de março de 2012', 'SOROCABA', 'DEVEDOR', "
        "'PADARIA BOM PAO LTDA', '11.222.333/0001-81', 'MARIA DA SILVA', '', 'Frete')"));
    TFRrecibo j;
    QVERIFY(abrir(j));
    QCOMPARE(texto(j, "DBEdit1"), QStringLiteral("7"));

    const RelatorioPreparado r = imprimir(j, qPrintable(botao));
    QCOMPARE(r.paginas.size(), 1);
    const PaginaPreparada &p = r.paginas.first();
    const bool duasVias = botao == u"SpeedButton4";
    for (const Objetos &o : objetos(duasVias)) {
        QCOMPARE(impresso(p, o.local), QStringLiteral("CAMPINAS"));
        QCOMPARE(impresso(p, o.valor), QStringLiteral("50,00"));
        QCOMPARE(impresso(p, o.extenso), QStringLiteral("Cinqüenta Reais."));
        QCOMPARE(impresso(p, o.data), QStringLiteral("05 de março de 2012"));
        QCOMPARE(impresso(p, o.assinante), k_outro);
        QVERIFY(impresso(p, o.cpfAssinante).isEmpty());
    }
    QCOMPARE(impresso(p, "referente"), QStringLiteral("Frete"));
    QVERIFY(impresso(p, "observacoes").isEmpty());
    QCOMPARE(figuras(p), 0);
    QVERIFY(a.aviso.eventos().isEmpty());
    QVERIFY(filho(j, "BTnovo")->isEnabled());
    QVERIFY(!filho(j, "BTsalvar")->isEnabled());
}

// A value the field cannot take stops the print with the field's message; the user stays in
// the field to put it right.
void TstImprimirRecibo::valorIlegivelNaoImprime() {
    Ambiente a(false);
    TFRrecibo j;
    QVERIFY(abrir(j));
    clicar(j, "BTnovo");
    digitar(j, "DBvalor", QStringLiteral("12x"));
    bool abriu = false;
    QObject guarda;
    QTimer::singleShot(0, &guarda, [&] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            abriu = true;
            w->close();
        }
    });
    clicar(j, "SpeedButton3");
    QVERIFY(!abriu);
    QCOMPARE(a.aviso.eventos().size(), 1);
    QCOMPARE(a.aviso.eventos().first().tipo, Evento::Erro);
    QVERIFY2(a.aviso.eventos().first().texto.contains(u"não é um valor válido"),
             qPrintable(a.aviso.eventos().first().texto));
    QCOMPARE(focado(), QStringLiteral("DBvalor"));
}

// The one-copy receipt exported to PDF from its preview: the texts stand where the layout
// puts them, and the fonts travel inside the file.
void TstImprimirRecibo::pdfDeUmaVia() {
    Ambiente a(true);
    a.executar(QStringLiteral(
        "INSERT INTO RECIBOS (ID_RECIBO, VALOR, VALOREXTENSO, DATA, DATARECIBO, LOCAL, TIPO, "
        "EMITENTE, CPFCNPJEMITENTE, CLIENTE, CPFCNPJCLIENTE, REFERENTE, OBS) VALUES (1, 1234.50, "
        "'Um Mil, e Duzentos e Trinta e Quatro Reais, e Cinqüenta Centavos.', '2026-03-05', "
        "'05 de março de 2026', 'CAMPINAS', 'DEVEDOR', 'PADARIA BOM PAO LTDA', "
        "'11.222.333/0001-81', 'MARIA DA SILVA', '123.456.789-09', 'Aluguel de março', "
        "'Pago em dinheiro')"));
    TFRrecibo j;
    QVERIFY(abrir(j));
    QTemporaryDir pasta;
    const QString pdf = pasta.filePath(QStringLiteral("recibo.pdf"));
    bool exportado = false;
    imprimir(j, "SpeedButton3", [&](TFRpreview &preview) {
        fotografar(QStringLiteral("recibo-1via-preview"));
        exportado = preview.exportarPara(FormatoExportacao::Pdf, pdf);
    });
    QVERIFY(exportado);
    QVERIFY(a.aviso.eventos().isEmpty());
    // Kept beside the screen pictures, for a look at the paper.
    if (const QString fotos = qEnvironmentVariable("TALVANO_FOTO"); !fotos.isEmpty())
        QFile::copy(pdf, fotos + QStringLiteral("/recibo-1via.pdf"));

    const QList<Palavra> palavras = palavrasDoPdf(pdf);
    QVERIFY(!palavras.isEmpty());
    const auto achar = [&](const QString &texto) {
        for (const Palavra &p : palavras)
            if (p.texto == texto)
                return p.caixa;
        qWarning("%s not in the PDF", qPrintable(texto));
        return QRectF();
    };
    // Where each word's line starts by the layout (px): its object's box, the inner gaps of
    // 2 px across and 1 px down, and the object's alignment.
    const double mm = 25.4 / 96;
    struct Caso {
        QString palavra;
        QRectF objeto; // layout pixels
        Qt::Alignment alinhamento;
    };
    const Caso casos[] = {
        {"Recibo", {326.93, 68.03, 139.84, 26.46}, Qt::AlignHCenter | Qt::AlignTop},
        {"1.234,50", {617.95, 68.03, 143.62, 26.46}, Qt::AlignRight | Qt::AlignTop},
        {"Recebi", {30.24, 170.08, 83.15, 18.90}, Qt::AlignLeft | Qt::AlignTop},
        {"PADARIA", {117.17, 170.08, 646.30, 18.90}, Qt::AlignLeft | Qt::AlignVCenter},
    };
    for (const Caso &c : casos) {
        const QRectF palavra = achar(c.palavra);
        QVERIFY(palavra.isValid());
        const QRectF interior(c.objeto.adjusted(2, 1, -2, -1).topLeft() * mm,
                              c.objeto.adjusted(2, 1, -2, -1).bottomRight() * mm);
        double dx = palavra.left() - interior.left();
        if (c.alinhamento & Qt::AlignHCenter)
            dx = palavra.center().x() - interior.center().x();
        else if (c.alinhamento & Qt::AlignRight)
            dx = palavra.right() - interior.right();
        double dy = palavra.top() - interior.top();
        if (c.alinhamento & Qt::AlignVCenter)
            dy = palavra.center().y() - interior.center().y();
        qInfo("%s: %.3f mm across, %.3f mm down from the layout's place", qPrintable(c.palavra), dx,
              dy);
        QVERIFY2(qAbs(dx) <= 0.5 && qAbs(dy) <= 0.5, qPrintable(c.palavra));
    }

    QProcess fontes;
    fontes.start(QStringLiteral("pdffonts"), {pdf});
    QVERIFY(fontes.waitForFinished(30000));
    const QStringList linhas =
        QString::fromUtf8(fontes.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(linhas.size() > 2); // the heading, its rule and at least one font
    for (const QString &l : linhas.mid(2)) {
        // name type encoding emb sub uni object ID
        const QStringList colunas = l.simplified().split(u' ');
        QVERIFY2(colunas.size() >= 7 && colunas.at(colunas.size() - 5) == u"yes", qPrintable(l));
    }
}

QTEST_MAIN(TstImprimirRecibo)
#include "tst_imprimirrecibo.moc"
