#include "AvisadorCaixas.h"

#include <QtCore/QFile>
#include <QtCore/QTimer>
#include <QtGui/QFontDatabase>
#include <QtGui/QGlyphRun>
#include <QtGui/QTextLayout>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMessageBox>

#include <functional>

namespace {

// How many glyphs a text is drawn with in a font: fewer than its characters
// when the font joins some of them.
int glifos(const QString &texto, const QFont &fonte) {
    QTextLayout layout(texto, fonte);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int total = 0;
    for (const QGlyphRun &corrida : layout.glyphRuns())
        total += int(corrida.glyphIndexes().size());
    return total;
}

// Acts on the message box as soon as it is up, from inside its own event loop.
void quandoAbrir(std::function<void(QMessageBox *)> acao) {
    QTimer::singleShot(0, [acao] {
        if (auto *caixa = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            acao(caixa);
        else
            quandoAbrir(acao);
    });
}

struct Vista {
    QString titulo;
    QString texto;
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    QStringList botoes;
};

Vista ver(QMessageBox *caixa) {
    Vista vista{caixa->windowTitle(), caixa->text(), caixa->icon(), {}};
    for (auto *botao : caixa->buttons())
        vista.botoes << botao->text();
    vista.botoes.sort();
    return vista;
}

} // namespace

class TestAvisadorCaixas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pergunta_data();
    void pergunta();
    void avisos_data();
    void avisos();
    void textoComoDigitado();
};

using Resposta = Avisador::Resposta;

void TestAvisadorCaixas::pergunta_data() {
    QTest::addColumn<QString>("gesto");
    QTest::addColumn<Resposta>("esperado");
    QTest::newRow("clique em Sim") << "Sim" << Resposta::Sim;
    QTest::newRow("clique em Não") << "Não" << Resposta::Nao;
    QTest::newRow("Enter escolhe Sim, o padrão") << "Enter" << Resposta::Sim;
    QTest::newRow("Esc deixa a pergunta sem resposta") << "Esc" << Resposta::Desistiu;
    QTest::newRow("a caixa fechada não responde") << "fechar" << Resposta::Desistiu;
}

void TestAvisadorCaixas::pergunta() {
    QFETCH(QString, gesto);
    QFETCH(Resposta, esperado);
    Vista vista;
    quandoAbrir([&](QMessageBox *caixa) {
        vista = ver(caixa);
        if (gesto == "Enter")
            QTest::keyClick(caixa, Qt::Key_Return);
        else if (gesto == "Esc")
            QTest::keyClick(caixa, Qt::Key_Escape);
        else if (gesto == "fechar")
            caixa->close();
        else
            caixa->button(gesto == "Sim" ? QMessageBox::Yes : QMessageBox::No)->click();
    });

    AvisadorCaixas avisador;
    QCOMPARE(avisador.perguntar("Deseja excluir o Cliente?"), esperado);
    QCOMPARE(vista.titulo, QString("Talvano"));
    QCOMPARE(vista.texto, QString("Deseja excluir o Cliente?"));
    QCOMPARE(vista.icone, QMessageBox::Question);
    QCOMPARE(vista.botoes, QStringList({"&Não", "&Sim"}));
}

void TestAvisadorCaixas::avisos_data() {
    QTest::addColumn<bool>("erro");
    QTest::addColumn<int>("icone");
    QTest::newRow("mensagem") << false << int(QMessageBox::Information);
    QTest::newRow("erro") << true << int(QMessageBox::Critical);
}

void TestAvisadorCaixas::avisos() {
    QFETCH(bool, erro);
    QFETCH(int, icone);
    Vista vista;
    quandoAbrir([&](QMessageBox *caixa) {
        vista = ver(caixa);
        caixa->button(QMessageBox::Ok)->click();
    });

    AvisadorCaixas avisador;
    if (erro)
        avisador.erro("Cliente salvo");
    else
        avisador.mensagem("Cliente salvo");
    QCOMPARE(vista.titulo, QString("Talvano"));
    QCOMPARE(vista.texto, QString("Cliente salvo"));
    QCOMPARE(int(vista.icone), icone);
    QCOMPARE(vista.botoes, QStringList({"OK"}));
}

// The windows' MS Sans Serif draws "TM" as one "™" glyph; the boxes draw every
// character of a path.
void TestAvisadorCaixas::textoComoDigitado() {
    const QString caminho = QStringLiteral("/TMP/ARQUIVO.PDF");
    const QString msSansSerif = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
    if (QFile::exists(msSansSerif) && QFontDatabase::addApplicationFont(msSansSerif) >= 0) {
        const QFont fonteDasJanelas(QStringLiteral("MS Sans Serif"), 8);
        QApplication::setFont(fonteDasJanelas);
        QCOMPARE(glifos(caminho, fonteDasJanelas), caminho.size() - 1);
    }
    QFont fonteDoTexto;
    quandoAbrir([&](QMessageBox *caixa) {
        fonteDoTexto = caixa->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->font();
        caixa->button(QMessageBox::Ok)->click();
    });
    AvisadorCaixas().mensagem(caminho);
    QApplication::setFont(QFont());
    QCOMPARE(glifos(caminho, fonteDoTexto), caminho.size());
}

QTEST_MAIN(TestAvisadorCaixas)
#include "tst_avisadorcaixas.moc"
