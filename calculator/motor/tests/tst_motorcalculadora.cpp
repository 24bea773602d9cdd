#include "AvisadorGravador.h"
#include "MotorCalculadora.h"
#include "NumeroGeral.h"
#include "casos_calculadora.h"

#include <QTest>

namespace {

// Presses one key of the shared table on the engine, as the window would.
void pressionar(MotorCalculadora &motor, const QString &nome) {
    if (const auto tecla = casos::teclaDoTeclado(nome)) {
        const int codigo = MotorCalculadora::codigoDaTecla(tecla->tecla, tecla->modificadores);
        if (motor.teclar(codigo) == MotorCalculadora::Acao::Fechar)
            motor.aoFechar();
        return;
    }
    const QString tecla = casos::legenda(nome);
    if (tecla.size() == 1 && tecla[0].isDigit())
        motor.teclaDigito(tecla[0]);
    else if (tecla == u",")
        motor.teclaVirgula();
    else if (tecla == u"+")
        motor.teclaOperador(QStringLiteral("BtnAdic"));
    else if (tecla == u"-")
        motor.teclaOperador(QStringLiteral("BtnSub"));
    else if (tecla == u"*")
        motor.teclaOperador(QStringLiteral("BtnMult"));
    else if (tecla == u"/")
        motor.teclaOperador(QStringLiteral("BtnDiv"));
    else if (tecla == u"=")
        motor.teclaOperador(QStringLiteral("BtnIgual"));
    else if (tecla == u"sqrt")
        motor.teclaRaiz();
    else if (tecla == u"1/X")
        motor.teclaReciproca();
    else if (tecla == u"%")
        motor.teclaPorcentagem();
    else if (tecla == u"+/-")
        motor.teclaSinal();
    else if (tecla == u"Backspace")
        motor.teclaBackspace();
    else if (tecla == u"CE")
        motor.teclaCE();
    else if (tecla == u"C")
        motor.teclaC();
    else if (tecla == u"Zerar TUDO")
        motor.zerarTudo();
    else if (tecla == u"Limpar Fita")
        motor.LimparFita();
    else if (tecla == u"Sair")
        motor.aoFechar();
    else if (tecla == u"Abrir")
        motor.aoAbrir();
    else
        qFatal("tecla desconhecida: %s", qPrintable(nome));
}

} // namespace

class TstMotorCalculadora : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Avisador::instalar(&m_avisos); }
    void cleanup() {
        Avisador::instalar(nullptr);
        m_avisos.limpar();
    }

    void sequenciasDeTeclas_data() { casos::preencherCasos(); }
    void sequenciasDeTeclas() {
        QFETCH(QStringList, teclas);
        QFETCH(QString, visor);
        QFETCH(QStringList, fita);
        QFETCH(QStringList, avisos);

        MotorCalculadora motor;
        for (const QString &tecla : teclas)
            pressionar(motor, tecla);

        QCOMPARE(motor.visor(), visor);
        QCOMPARE(casos::linhasDaFita(motor.Fita(), motor.FitaDigitos()), fita);
        QCOMPARE(casos::descrever(m_avisos.eventos()), avisos);
    }

    // On a Brazilian keyboard Shift+6 is the dead diaeresis: still the digit 6;
    // without Shift the symbols of the digit row are not digits.
    void shiftNoTecladoBrasileiro() {
        QCOMPARE(MotorCalculadora::codigoDaTecla(Qt::Key_Dead_Diaeresis, Qt::ShiftModifier), 54);
        QCOMPARE(MotorCalculadora::codigoDaTecla(Qt::Key_Percent, Qt::NoModifier), 0);
    }

    // An error stops the key where it was: what the key had set before the
    // calculation stays, the accumulator keeps its value.
    void erroParaATeclaOndeEstava_data() {
        QTest::addColumn<QString>("teclas");
        QTest::addColumn<int>("estado");
        QTest::addColumn<QString>("operacao");
        QTest::addColumn<QString>("acumulador");
        QTest::newRow("raiz de negativo") << "4 +/- sqrt" << 1 << "BtnRaiz"
                                          << "0";
        QTest::newRow("operador do teclado") << "5 [KP+] 3 +/- Backspace [KP-]" << 1 << "BtnAdic"
                                             << "5";
        QTest::newRow("operador da tela") << "5 + 3 +/- Backspace =" << 0 << "BtnAdic"
                                          << "5";
        QTest::newRow("porcentagem") << "5 + 3 +/- Backspace %" << 0 << "BtnAdic"
                                     << "5";
        QTest::newRow("estouro") << "1 0 0 0 0 0 0 0 0 0 0 " +
                                        QString("[KP*] ").repeated(10).trimmed()
                                 << 1 << "BtnMult"
                                 << "1E2560";
    }
    void erroParaATeclaOndeEstava() {
        QFETCH(QString, teclas);
        QFETCH(int, estado);
        QFETCH(QString, operacao);
        QFETCH(QString, acumulador);

        MotorCalculadora motor;
        for (const QString &tecla : teclas.split(u' '))
            pressionar(motor, tecla);

        QCOMPARE(m_avisos.eventos().size(), 1);
        QCOMPARE(motor.Estado(), estado);
        QCOMPARE(motor.Operacao(), operacao);
        QCOMPARE(formatoGeral(motor.Acumulador()), acumulador);
    }

    // Closing resets the calculation but keeps the display and whether
    // anything was typed; opening clears only the tape.
    void fecharEAbrir() {
        MotorCalculadora motor;
        for (const QString &tecla : QStringLiteral("3 + 5 =").split(u' '))
            pressionar(motor, tecla);
        motor.aoFechar();
        QCOMPARE(double(motor.Acumulador()), 0.0);
        QCOMPARE(motor.Estado(), 0);
        QCOMPARE(motor.Operacao(), QStringLiteral("Num"));
        QCOMPARE(motor.visor(), QStringLiteral("8"));
        QVERIFY(!motor.Zerado());
        QCOMPARE(motor.LinhaFita(), 2);
        motor.aoAbrir();
        QCOMPARE(motor.LinhaFita(), 0);
        QCOMPARE(casos::linhasDaFita(motor.Fita(), motor.FitaDigitos()), QStringList());
    }

private:
    AvisadorGravador m_avisos;
};

QTEST_GUILESS_MAIN(TstMotorCalculadora)
#include "tst_motorcalculadora.moc"
