#pragma once
#include <QString>
#include <QStringList>
#include <QtCore/qnamespace.h>

// The desk calculator without its window: one display, one accumulator, one
// pending operation and a paper tape of fifteen lines. Works left to right
// without precedence; speaks to the user only through the Avisador.
class MotorCalculadora {
public:
    static constexpr int LinhasDaFita = 15;

    // What a key of the keyboard stands for.
    enum class Acao {
        Nenhuma,
        Digito,
        Virgula,
        Operador,
        Raiz,
        Reciproca,
        Porcentagem,
        Sinal,
        Backspace,
        CE,
        C,
        Fechar
    };
    struct Atalho {
        Acao acao = Acao::Nenhuma;
        QChar digito;     // for Digito
        QString operacao; // for Operador: the name of the matching on-screen key
    };
    // The keyboard table: the key code alone decides.
    static Atalho atalhoDoCodigo(int codigo);
    // The key code of a key as the keyboard table knows it (0 for keys it does
    // not know): digit row 48-57, numeric keypad 96-111, letters by their capital.
    // Modifiers change nothing: a digit-row key held with Shift, which Qt reports
    // by its symbol ("%" for Shift+5), is still its digit.
    static int codigoDaTecla(int teclaQt, Qt::KeyboardModifiers modificadores);

    MotorCalculadora();

    void teclaDigito(QChar digito);
    void teclaVirgula();
    // "/", "*", "-", "+" and "=" on screen, by key name ("BtnDiv", "BtnMult",
    // "BtnSub", "BtnAdic", "BtnIgual").
    void teclaOperador(const QString &nomeDaTecla);
    // The same operators from the keyboard: they apply the pending operation
    // even when one was just applied.
    void operadorDoTeclado(const QString &nomeDaTecla);
    void teclaRaiz();
    void teclaReciproca();
    void teclaPorcentagem();
    void teclaSinal();
    void teclaBackspace();
    void teclaCE();
    void teclaC();
    void zerarTudo();
    void LimparFita();
    // Runs a key of the keyboard; Acao::Fechar is left to the window.
    Acao teclar(int codigo);

    // Every time the window opens: a clean tape, nothing else reset.
    void aoAbrir();
    // Every time it closes: the display and Zerado are kept for the next time.
    void aoFechar();

    long double Acumulador() const { return m_Acumulador; }
    const QString &Operacao() const { return m_Operacao; }
    int Estado() const { return m_Estado; }
    bool Zerado() const { return m_Zerado; }
    int LinhaFita() const { return m_LinhaFita; }
    const QString &visor() const { return m_visor; }
    const QStringList &Fita() const { return m_Fita; }
    const QStringList &FitaDigitos() const { return m_FitaDigitos; }

private:
    void Digitar();
    void RegistrarFita();
    // Applies the pending operation; false when an error stopped it.
    bool Calcular();
    void operacaoDeUmNumero(const QString &nomeDaTecla);

    long double m_Acumulador = 0;
    QString m_Operacao;
    int m_Estado = 0;
    bool m_Zerado = true;
    QString m_Digito;
    int m_LinhaFita = 0;
    QString m_visor = QStringLiteral("0");
    QStringList m_Fita;
    QStringList m_FitaDigitos;
};
