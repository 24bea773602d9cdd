#include "AvisadorGravador.h"
#include "Calculad.h"
#include "ColunaFita.h"
#include "casos_calculadora.h"

#include <QContextMenuEvent>
#include <QScreen>
#include <QTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>

namespace {

bool abrir(TFormCalculadora &janela) {
    janela.show();
    return QTest::qWaitForWindowActive(&janela);
}

QAbstractButton *botaoComLegenda(TFormCalculadora &janela, const QString &legenda) {
    const auto botoes = janela.findChildren<QAbstractButton *>();
    for (QAbstractButton *botao : botoes) {
        if (botao->text() == legenda)
            return botao;
    }
    return nullptr;
}

QString visor(TFormCalculadora &janela) {
    return janela.findChild<QLabel *>(QStringLiteral("LbVisor"))->text();
}

} // namespace

class TstCalculad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Avisador::instalar(&m_avisos); }
    void cleanup() {
        Avisador::instalar(nullptr);
        m_avisos.limpar();
    }

    // The same sequences the engine runs, pressed as real clicks and keys.
    void sequenciasDeTeclas_data() { casos::preencherCasos(); }
    void sequenciasDeTeclas() {
        QFETCH(QStringList, teclas);
        QFETCH(QString, visor);
        QFETCH(QStringList, fita);
        QFETCH(QStringList, avisos);

        TFormCalculadora janela;
        QVERIFY(abrir(janela));
        for (const QString &nome : std::as_const(teclas)) {
            if (const auto tecla = casos::teclaDoTeclado(nome)) {
                QWidget *foco = QApplication::focusWidget();
                QVERIFY2(foco, qPrintable(nome));
                QTest::keyClick(foco, tecla->tecla, tecla->modificadores);
            } else if (nome == u"Abrir") {
                QVERIFY(abrir(janela));
            } else if (nome == u"Limpar_Fita") {
                // The right button's context menu event, as the window system sends it.
                QWidget *fita = janela.findChild<QWidget *>(QStringLiteral("Fita"));
                QContextMenuEvent clique(QContextMenuEvent::Mouse, QPoint(5, 5),
                                         fita->mapToGlobal(QPoint(5, 5)));
                QApplication::sendEvent(fita, &clique);
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                QVERIFY(menu);
                QAction *acao = menu->actions().value(0);
                QVERIFY(acao);
                QCOMPARE(acao->text(), QStringLiteral("Limpar Fita"));
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(acao).center());
            } else {
                QAbstractButton *botao = botaoComLegenda(janela, casos::legenda(nome));
                QVERIFY2(botao, qPrintable(nome));
                QTest::mouseClick(botao, Qt::LeftButton);
            }
        }

        QCOMPARE(::visor(janela), visor);
        const auto *operandos = janela.findChild<ColunaFita *>(QStringLiteral("Fita"));
        const auto *simbolos = janela.findChild<ColunaFita *>(QStringLiteral("FitaDigitos"));
        QCOMPARE(casos::linhasDaFita(operandos->linhas(), simbolos->linhas()), fita);
        QCOMPARE(casos::descrever(m_avisos.eventos()), avisos);
    }

    void geometria_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QRect>("retangulo");
        const auto linha = [](const char *nome, int x, int y, int w, int h) {
            QTest::newRow(nome) << QString::fromLatin1(nome) << QRect(x, y, w, h);
        };
        linha("TFormCalculadora", 0, 0, 403, 329);
        linha("Panel1", 22, 18, 198, 33);
        linha("LbVisor", 23, 19, 196, 31);
        linha("Panel2", 221, 18, 164, 202);
        linha("Fita", 224, 21, 133, 195);
        linha("FitaDigitos", 357, 21, 25, 195);
        linha("BtnBackspace", 22, 56, 80, 26);
        linha("BtnCE", 109, 56, 52, 26);
        linha("BtnC", 165, 56, 53, 26);
        linha("Btn7", 22, 94, 34, 28);
        linha("Btn8", 62, 94, 34, 28);
        linha("Btn9", 102, 94, 34, 28);
        linha("Btn4", 22, 126, 34, 28);
        linha("Btn5", 62, 126, 34, 28);
        linha("Btn6", 102, 126, 34, 28);
        linha("Btn1", 22, 158, 34, 28);
        linha("Btn2", 62, 158, 34, 28);
        linha("Btn3", 102, 158, 34, 28);
        linha("Btn0", 22, 190, 34, 28);
        linha("BtnSinal", 62, 190, 34, 28);
        linha("BtnVirgula", 102, 190, 34, 28);
        linha("BtnDiv", 142, 94, 34, 28);
        linha("BtnMult", 142, 126, 34, 28);
        linha("BtnSub", 142, 158, 34, 28);
        linha("BtnAdic", 142, 190, 34, 28);
        linha("BtnRaiz", 182, 94, 34, 28);
        linha("BtnPorcentagem", 182, 126, 34, 28);
        linha("BtnReciproca", 182, 158, 34, 28);
        linha("BtnIgual", 182, 190, 34, 28);
        linha("BitBtn1", 22, 272, 100, 33);
        linha("SpeedButton1", 285, 271, 100, 39);
        linha("EdVisor", 30, 275, 75, 21);
    }
    void geometria() {
        QFETCH(QString, nome);
        QFETCH(QRect, retangulo);
        TFormCalculadora janela;
        QVERIFY(abrir(janela));
        QWidget *widget = nome == janela.objectName() ? &janela : janela.findChild<QWidget *>(nome);
        QVERIFY(widget);
        QCOMPARE(QRect(widget->mapTo(&janela, QPoint(0, 0)), widget->size()), retangulo);
    }

    void legendasEDicas_data() {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("legenda");
        QTest::addColumn<QString>("dica");
        const auto linha = [](const char *nome, const char *legenda, const char *dica) {
            QTest::newRow(nome) << QString::fromLatin1(nome) << QString::fromUtf8(legenda)
                                << QString::fromUtf8(dica);
        };
        linha("BtnBackspace", "Backspace", "Exclui o último dígito.\nAtalho: BACKSPACE");
        linha("BtnCE", "CE", "Limpa o número exibido.\nAtalho: E ou e");
        linha("BtnC", "C", "Limpa cálculo atual.\nAtalho: C ou c");
        linha("Btn7", "7", "Coloca o número 7 no \nvisor da calculadora.");
        linha("Btn0", "0", "Coloca o número 0 no \nvisor da calculadora.");
        linha("BtnSinal", "+/-", "Altera sinal do número exibido.\nAtalho: \\");
        linha("BtnVirgula", ",", "Insere ponto flutuante.\nAtalho: . ou ,");
        linha("BtnDiv", "/", "Operação de Divisão.\nAtalho: /");
        linha("BtnMult", "*", "Operação de Multiplicação.\nAtalho: *");
        linha("BtnSub", "-", "Operação de Subtração.\nAtalho: -");
        linha("BtnAdic", "+", "Operação de Adição.\nAtalho: +");
        linha("BtnRaiz", "sqrt", "Calcula a Raiz Quadrada do número exibido.\nAtalho: S ou s");
        linha("BtnPorcentagem", "%", "Operações com Porcentagem.\nAtalho: P ou p");
        linha("BtnReciproca", "1/X", "Calcula a recíproca do número exibido.\nAtalho: X ou x");
        linha("BtnIgual", "=", "Efetua a útima operação.\nAtalho: ENTER ou =");
        linha("Fita", "", "Fita detalhe");
        linha("FitaDigitos", "", "Fita detalhe");
        linha("BitBtn1", "Zerar TUDO", "");
        linha("SpeedButton1", "Sair", "");
    }
    void legendasEDicas() {
        QFETCH(QString, nome);
        QFETCH(QString, legenda);
        QFETCH(QString, dica);
        TFormCalculadora janela;
        QWidget *widget = janela.findChild<QWidget *>(nome);
        QVERIFY(widget);
        if (auto *botao = qobject_cast<QAbstractButton *>(widget))
            QCOMPARE(botao->text(), legenda);
        QCOMPARE(widget->toolTip(), dica);
    }

    void aberturaModalNoCentro() {
        TFormCalculadora janela;
        QCOMPARE(janela.windowTitle(), QStringLiteral("Calculadora"));
        QVERIFY(janela.isModal());
        QCOMPARE(janela.minimumSize(), QSize(403, 329));
        QCOMPARE(janela.maximumSize(), QSize(403, 329));
        QVERIFY(!janela.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!janela.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(abrir(janela));
        QCOMPARE(janela.frameGeometry().center(), janela.screen()->availableGeometry().center());
        QCOMPARE(visor(janela), QStringLiteral("0"));
    }

    // The hidden entry box holds the focus; keys and the tape never keep it.
    // "Zerar TUDO" does, and then the keyboard acts on it until Tab.
    void foco() {
        TFormCalculadora janela;
        QVERIFY(abrir(janela));
        auto *edVisor = janela.findChild<QLineEdit *>(QStringLiteral("EdVisor"));
        QAbstractButton *zerarTudo = botaoComLegenda(janela, QStringLiteral("Zerar TUDO"));
        QCOMPARE(QApplication::focusWidget(), edVisor);

        QTest::mouseClick(botaoComLegenda(janela, QStringLiteral("5")), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), edVisor);
        QTest::mouseClick(janela.findChild<QWidget *>(QStringLiteral("FitaDigitos")),
                          Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), edVisor);

        QTest::keyClick(edVisor, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), zerarTudo);
        QTest::keyClick(zerarTudo, Qt::Key_7, Qt::KeypadModifier);
        QCOMPARE(visor(janela), QStringLiteral("5"));
        QTest::keyClick(zerarTudo, Qt::Key_Return);
        QCOMPARE(visor(janela), QStringLiteral("0"));
        QTest::mouseClick(botaoComLegenda(janela, QStringLiteral("6")), Qt::LeftButton);
        QTest::keyClick(zerarTudo, Qt::Key_Space);
        QCOMPARE(visor(janela), QStringLiteral("0"));
        QTest::keyClick(zerarTudo, Qt::Key_Escape);
        QVERIFY(janela.isVisible());

        QTest::keyClick(zerarTudo, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), edVisor);
        QTest::keyClick(edVisor, Qt::Key_7, Qt::KeypadModifier);
        QCOMPARE(visor(janela), QStringLiteral("7"));
        QVERIFY(m_avisos.eventos().isEmpty());
    }

private:
    AvisadorGravador m_avisos;
};

QTEST_MAIN(TstCalculad)
#include "tst_calculad.moc"
