#include "Aplicacao.h"
#include "Avisador.h"
#include "AvisadorGravador.h"
#include "Manual.h"
#include "NavegadorFalso.h"
#include "UNprincipal.h"
#include "UNrelatorios.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGlyphRun>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>

// Receives what the desktop shell would be asked to open.
class TstPrincipal : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Aplicacao::prepararAmbiente(); }

    void geometria_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QString>("legenda");
        QTest::newRow("Emitir Recibo") << "BTrecibo" << QRect(80, 48, 220, 68) << "Emitir Recibo";
        QTest::newRow("Emitir Recibo, inner face")
            << "BTrecibo2" << QRect(83, 52, 213, 60) << "Emitir Recibo";
        QTest::newRow("Cadastro") << "BTcadastro" << QRect(381, 48, 220, 68) << "Cadastro";
        QTest::newRow("Empresa ou Emitente")
            << "BTemitente" << QRect(80, 208, 220, 68) << "Empresa ou Emitente";
        QTest::newRow("Manual Rapido")
            << "BTmanual" << QRect(381, 208, 220, 68) << "   Manual Rápido";
        QTest::newRow("Relatorios") << "BTrelatorios" << QRect(80, 368, 220, 68) << "Relatórios";
        QTest::newRow("Sair") << "BTsair" << QRect(381, 368, 220, 68) << "Sair";
    }
    void geometria() {
        QFETCH(QString, nome);
        QFETCH(QRect, area);
        QFETCH(QString, legenda);
        TFRprincipal janela;
        QCOMPARE(janela.windowTitle(), QStringLiteral("Talvano  - V.2.2.2"));
        QCOMPARE(janela.size(), QSize(697, 511));
        QVERIFY(!(janela.windowFlags() & Qt::WindowMaximizeButtonHint));
        auto *botao = janela.findChild<QPushButton *>(nome);
        QVERIFY(botao);
        QCOMPARE(botao->geometry(), area);
        QCOMPARE(botao->text(), legenda);
        QCOMPARE(botao->focusPolicy(), Qt::NoFocus);
        QCOMPARE(botao->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(botao->iconSize().width(),
                 nome == "BTemitente" || nome == "BTmanual" || nome == "BTsair" ? 48 : 51);
        QVERIFY(!botao->icon().isNull());
        QCOMPARE(botao->icon().pixmap(botao->iconSize()).size(), botao->iconSize());
    }

    void fontesDasLegendasSaoAsDesenhadas() {
        TFRprincipal janela;
        const QFont cadastro = janela.findChild<QPushButton *>("BTcadastro")->font();
        QCOMPARE(QFontInfo(cadastro).family(), QStringLiteral("Liberation Sans"));
        QVERIFY(cadastro.italic());
        QCOMPARE(cadastro.pointSize(), 12);
        const QFont recibo = janela.findChild<QPushButton *>("BTrecibo")->font();
        QVERIFY(recibo.bold() && recibo.italic() && recibo.underline());
        QCOMPARE(QFontInfo(janela.font()).family(), QStringLiteral("MS Sans Serif"));
    }

    // The windows' MS Sans Serif would join "TM" into one "™" glyph; every letter typed is drawn.
    void textoDesenhadoComoDigitado() {
        const QString texto = QStringLiteral("/TMP/ATM");
        QTextLayout layout(texto, TFRprincipal().font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        qsizetype glifos = 0;
        for (const QGlyphRun &corrida : layout.glyphRuns())
            glifos += corrida.glyphIndexes().size();
        QCOMPARE(glifos, texto.size());
    }

    void manualAbreAPaginaInstalada() {
        NavegadorFalso navegador;
        TFRprincipal janela;
        janela.show();
        QTest::mouseClick(janela.findChild<QPushButton *>("BTmanual"), Qt::LeftButton);
        const QList<QUrl> abertos = navegador.abertos();
        QCOMPARE(abertos.size(), 1);
        const QString arquivo = abertos.first().toLocalFile();
        QVERIFY2(QFileInfo::exists(arquivo), qPrintable(arquivo));
        QFile pagina(arquivo);
        QVERIFY(pagina.open(QIODevice::ReadOnly));
        const QString texto = QString::fromUtf8(pagina.readAll());
        for (const char *assunto :
             {"Como emitir", "Como imprimir", "Como encontrar", "Como exportar"})
            QVERIFY2(texto.contains(QString::fromUtf8(assunto)), assunto);
    }

    // On a machine with no browser the opener fails: a box says where the manual is.
    void manualSemNavegadorDizOnde() {
        NavegadorFalso semNavegador(3);
        AvisadorGravador aviso;
        Avisador::instalar(&aviso);
        TFRprincipal janela;
        janela.show();
        QTest::mouseClick(janela.findChild<QPushButton *>("BTmanual"), Qt::LeftButton);
        QTRY_COMPARE(aviso.eventos().size(), 1);
        Avisador::instalar(nullptr);
        QVERIFY2(aviso.eventos().first().texto.contains(
                     QDir::toNativeSeparators(QFileInfo(caminhoManual()).absoluteFilePath())),
                 qPrintable(aviso.eventos().first().texto));
    }

    void botoesPadraoFalamPortugues() {
        QDialogButtonBox caixa(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Ok |
                               QDialogButtonBox::Cancel);
        QStringList textos;
        for (auto b : {QDialogButtonBox::Yes, QDialogButtonBox::No, QDialogButtonBox::Ok,
                       QDialogButtonBox::Cancel})
            textos << caixa.button(b)->text().remove(QLatin1Char('&'));
        QCOMPARE(textos, QStringList({"Sim", "Não", "OK", "Cancelar"}));
        QCOMPARE(QLocale().toString(1234.5, 'f', 2), QStringLiteral("1.234,50"));
        QCOMPARE(QLocale().monthName(3), QStringLiteral("março"));
    }

    void relatoriosAbreOMenuModal() {
        TFRrelatorios menu;
        FRrelatorios = &menu;
        TFRprincipal janela;
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        QWidget *aberta = nullptr;
        QTimer::singleShot(0, &menu, [&] {
            aberta = QApplication::activeModalWidget();
            menu.close();
        });
        QTest::mouseClick(janela.findChild<QPushButton *>("BTrelatorios"), Qt::LeftButton);
        FRrelatorios = nullptr;
        QCOMPARE(aberta, &menu);
        QVERIFY(janela.isVisible());
    }

    void sairFechaAJanela() {
        TFRprincipal janela;
        janela.show();
        QVERIFY(QTest::qWaitForWindowExposed(&janela));
        QTest::mouseClick(janela.findChild<QPushButton *>("BTsair"), Qt::LeftButton);
        QVERIFY(!janela.isVisible());
    }
};

QTEST_MAIN(TstPrincipal)
#include "tst_principal.moc"
