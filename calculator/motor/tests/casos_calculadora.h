#pragma once
// Key sequences of the calculator with what each leaves behind, pressed on the
// engine and again on the real window, so both must agree.
//
// A key is the caption of an on-screen key ("7", "+", "sqrt", "Zerar_TUDO",
// with "_" for a blank), "Limpar_Fita" (the tape's menu), "Sair", "Abrir" (the
// window opens again), or a keyboard key in brackets: "[5]" on the digit row,
// "[KP5]", "[KP+]", "[KP,]" on the numeric keypad, "[Enter]", "[Backspace]",
// "[Esc]", "[C]", "[\]", "[+]" (the "+" of the main keyboard), with "Shift+",
// "Ctrl+" or "Alt+" in front when held. A digit-row key held with Shift comes
// as a real keyboard reports it: by the symbol printed above the digit on a US
// keyboard ("[Shift+5]" is "%"). Every sequence starts from a freshly
// created calculator. Tape lines are "operand symbol"; notices are "bipe",
// "mensagem: text" or "erro: text".

#include "Avisador.h"
#include "AvisadorGravador.h"

#include <QStringList>
#include <QTest>
#include <optional>

namespace casos {

struct TeclaDoTeclado {
    Qt::Key tecla;
    Qt::KeyboardModifiers modificadores;
};

// The Qt key of a bracketed key name, or nothing for an on-screen key.
inline std::optional<TeclaDoTeclado> teclaDoTeclado(const QString &nome) {
    if (!nome.startsWith(u'[') || !nome.endsWith(u']'))
        return std::nullopt;
    QString resto = nome.mid(1, nome.size() - 2);
    Qt::KeyboardModifiers modificadores;
    const std::pair<const char *, Qt::KeyboardModifier> prefixos[] = {
        {"Shift+", Qt::ShiftModifier},
        {"Ctrl+", Qt::ControlModifier},
        {"Alt+", Qt::AltModifier},
        {"KP", Qt::KeypadModifier}};
    for (const auto &[prefixo, modificador] : prefixos) {
        if (resto.size() > 1 && resto.startsWith(QLatin1String(prefixo))) {
            modificadores |= modificador;
            resto.remove(0, qsizetype(qstrlen(prefixo)));
        }
    }
    if (resto.size() == 1 && resto[0].isDigit()) {
        const int digito = resto[0].digitValue();
        if (modificadores.testFlag(Qt::ShiftModifier) &&
            !modificadores.testFlag(Qt::KeypadModifier)) {
            const Qt::Key acimaDoDigito[] = {
                Qt::Key_ParenRight, Qt::Key_Exclam,   Qt::Key_At,          Qt::Key_NumberSign,
                Qt::Key_Dollar,     Qt::Key_Percent,  Qt::Key_AsciiCircum, Qt::Key_Ampersand,
                Qt::Key_Asterisk,   Qt::Key_ParenLeft};
            return TeclaDoTeclado{acimaDoDigito[digito], modificadores};
        }
        return TeclaDoTeclado{Qt::Key(Qt::Key_0 + digito), modificadores};
    }
    if (resto.size() == 1 && resto[0] >= u'A' && resto[0] <= u'Z')
        return TeclaDoTeclado{Qt::Key(Qt::Key_A + (resto[0].unicode() - u'A')), modificadores};
    const std::pair<const char *, Qt::Key> nomes[] = {
        {"+", Qt::Key_Plus},
        {"-", Qt::Key_Minus},
        {"*", Qt::Key_Asterisk},
        {"/", Qt::Key_Slash},
        {",", Qt::Key_Comma},
        {".", Qt::Key_Period},
        {"=", Qt::Key_Equal},
        {"\\", Qt::Key_Backslash},
        {"Backspace", Qt::Key_Backspace},
        {"Esc", Qt::Key_Escape},
        {"F2", Qt::Key_F2},
        {"Enter", modificadores.testFlag(Qt::KeypadModifier) ? Qt::Key_Enter : Qt::Key_Return}};
    for (const auto &[texto, tecla] : nomes) {
        if (resto == QLatin1String(texto))
            return TeclaDoTeclado{tecla, modificadores};
    }
    qFatal("tecla desconhecida na tabela de casos: %s", qPrintable(nome));
}

// The on-screen caption of a key name ("Zerar_TUDO" is "Zerar TUDO").
inline QString legenda(const QString &nome) {
    return QString(nome).replace(u'_', u' ');
}

// The tape as the table writes it: one "operand symbol" per position, up to
// the last position that holds anything.
inline QStringList linhasDaFita(const QStringList &operandos, const QStringList &simbolos) {
    QStringList linhas;
    for (qsizetype i = 0; i < operandos.size(); ++i)
        linhas << operandos[i] + u' ' + simbolos.value(i);
    while (!linhas.isEmpty() && linhas.last() == u" ")
        linhas.removeLast();
    return linhas;
}

inline QStringList descrever(const QList<AvisadorGravador::Evento> &eventos) {
    QStringList textos;
    for (const auto &evento : eventos) {
        switch (evento.tipo) {
        case AvisadorGravador::Evento::Bipe:
            textos << QStringLiteral("bipe");
            break;
        case AvisadorGravador::Evento::Mensagem:
            textos << u"mensagem: " + evento.texto;
            break;
        case AvisadorGravador::Evento::Erro:
            textos << u"erro: " + evento.texto;
            break;
        case AvisadorGravador::Evento::Pergunta:
            textos << u"pergunta: " + evento.texto;
            break;
        }
    }
    return textos;
}

// Numbers 1 to n, each followed by an operator key.
inline QString numerosSomados(int n, const QString &operador) {
    QStringList teclas;
    for (int i = 1; i <= n; ++i) {
        for (const QChar c : QString::number(i))
            teclas << c;
        teclas << operador;
    }
    return teclas.join(u' ');
}

inline void preencherCasos() {
    QTest::addColumn<QStringList>("teclas");
    QTest::addColumn<QString>("visor");
    QTest::addColumn<QStringList>("fita");
    QTest::addColumn<QStringList>("avisos");

    const QString bipe = QStringLiteral("bipe");
    const QString divisaoPorZero = QStringLiteral("mensagem: Divisão por Zero !");
    const QString invalida = QStringLiteral("erro: Invalid floating point operation");
    const QString estouro = QStringLiteral("erro: Floating point overflow");
    const auto ilegivel = [](const char *visor) {
        return QStringLiteral("erro: '%1' is not a valid floating point value")
            .arg(QLatin1String(visor));
    };
    const auto linha = [](const char *nome, const QString &teclas, const char *visor,
                          const QStringList &fita, const QStringList &avisos = {}) {
        QTest::newRow(nome) << teclas.split(u' ') << QString::fromUtf8(visor) << fita << avisos;
    };

    linha("soma na tela", "1 2 + 3 =", "15", {"12 +", "3 +"});
    linha("CE troca a multiplicação pendente por soma", "5 * 3 CE 2 =", "7", {"5 +", "2 +"});
    linha("porcentagem multiplica o acumulado", "2 0 0 + 1 0 %", "20", {"200 +", "0,1 x"});
    linha("igual após porcentagem não grava", "2 0 0 + 1 0 % =", "20", {"200 +", "0,1 x"});
    linha("divisão por zero", "1 0 / 0 =", "0", {"10 +", "0 /"}, {divisaoPorZero, bipe});
    linha("divisão por zero zera o acumulado e segue", "1 0 / 0 = + 4 =", "4",
          {"10 +", "0 /", "4 +"}, {divisaoPorZero, bipe});
    linha("recíproca de zero", "0 1/X", "0", {"0 1/x"}, {divisaoPorZero, bipe});
    linha("zero dividido por zero", "0 / 0 =", "0", {"0 +", "0 /"}, {invalida});
    linha("raiz de negativo mantém o visor", "4 +/- sqrt", "-4", {"-4 R"}, {invalida});
    linha("raiz", "9 sqrt", "3", {"9 R"});
    linha("dígito após raiz é anexado", "9 sqrt 4", "34", {"9 R"});
    linha("operador após raiz volta ao resultado", "9 sqrt 4 +", "3", {"9 R"});
    linha("raiz descarta a operação pendente", "5 + 9 sqrt =", "3", {"5 +", "9 R"});
    linha("recíproca", "4 1/X", "0,25", {"4 1/x"});
    linha("mais do teclado repetido reaplica", "5 [KP+] [KP+]", "10", {"5 +", "5 +"});
    linha("mais da tela repetido não reaplica", "5 + +", "5", {"5 +"});
    linha("Enter repetido reaplica", "5 + 3 [Enter] [Enter]", "8", {"5 +", "3 +", "8 ="});
    linha("igual da tela repetido não reaplica", "5 + 3 = =", "8", {"5 +", "3 +"});
    linha("operadores logo após C só bipam", "C + = % [KP*] [Enter]", "0", {},
          {bipe, bipe, bipe, bipe, bipe});
    linha("raiz logo após C perde o número seguinte", "C sqrt 5 +", "0", {});
    linha("sinal no zero", "+/-", "-0", {}, {bipe});
    linha("sinal duas vezes", "5 +/- +/-", "5", {});
    linha("sinal em 1E-6 deixa um visor ilegível", "1 0 0 0 0 0 0 1/X +/- sqrt", "E-6",
          {"1000000 1/x", "E-6 R"}, {ilegivel("E-6")});
    linha("vírgula à frente do número deixa o visor ilegível", "4 0 0 0 0 0 1/X +/- sqrt", ",5E-6",
          {"400000 1/x", ",5E-6 R"}, {ilegivel(",5E-6")});
    linha("segue depois de um erro", "4 +/- sqrt C 2 + 3 =", "5", {"-4 R", "2 +", "3 +"},
          {invalida});
    linha("vírgula repetida bipa", "1 , 5 ,", "1,5", {}, {bipe});
    linha("vírgula após operador vai no resultado", "5 + , 5 =", "10,5", {"5 +", "5,5 +"});
    linha("Backspace tira o último caractere", "1 2 3 Backspace", "12", {});
    linha("Backspace em um caractere bipa", "7 Backspace", "0", {}, {bipe});
    linha("Backspace em -5 deixa o sinal", "5 +/- Backspace", "-", {});
    linha("sinal sozinho não é número", "5 +/- Backspace =", "-", {"- +"}, {ilegivel("-")});
    linha("décima sexta linha esvazia a fita", numerosSomados(16, "+"), "136", {"16 +"});
    {
        QStringList quinze;
        for (int i = 1; i <= 15; ++i)
            quinze << QString::number(i) + u" +";
        linha("quinze linhas cabem na fita", numerosSomados(15, "+"), "120", quinze);
    }
    linha("reabrir mostra a fita vazia", "3 + 5 = Sair Abrir", "8", {});
    linha("reabrir continua o número do visor", "3 + 5 = Sair Abrir 5 +", "85", {"85 +"});
    linha("Esc fecha como Sair", "3 + 5 = [Esc] Abrir 5 +", "85", {"85 +"});
    linha("C mantém a fita", "1 + 2 C", "0", {"1 +"});
    linha("C zera o acumulado", "1 + 2 C 5 =", "5", {"1 +", "5 +"});
    linha("Zerar TUDO limpa fita e cálculo", "1 + 2 Zerar_TUDO", "0", {});
    linha("Limpar Fita só limpa a fita", "1 + 2 Limpar_Fita =", "3", {"2 +"});
    linha("teclado numérico", "[KP1] [KP,] [KP5] [KP*] [2] [Enter]", "3", {"1,5 +", "2 x"});
    linha("letras do teclado", "[1] [6] [S] [X] [\\] [E] [7] [Enter]", "7,25",
          {"16 R", "4 1/x", "7 +"});
    linha("P é porcentagem", "5 0 [KP+] 1 0 [P]", "5", {"50 +", "0,1 x"});
    linha("C e Backspace do teclado", "1 2 [Backspace] [KP+] [C] [KP+]", "0", {"1 +"}, {bipe});
    linha("modificadores não importam", "[Shift+5] [Ctrl+S]", "2,23606797749979", {"5 R"});
    linha("Shift na fileira de dígitos digita o dígito",
          "[Shift+1] [Shift+2] [Shift+3] [Shift+4] [Shift+5] [Shift+6] [Shift+7] [Shift+8] "
          "[Shift+9] [Shift+0]",
          "1234567890", {});
    linha("Shift+8 é dígito, o * do teclado numérico multiplica",
          "[Shift+8] [KP*] [Shift+2] [Enter]", "16", {"8 +", "2 x"});
    linha("teclas fora do teclado numérico não fazem nada", "5 [+] [-] [*] [/] [=] [.] [,] [A] 3",
          "53", {});
    linha("F2 não limpa a fita pelo teclado", "1 + [F2]", "1", {"1 +"});
    linha("estouro mantém o visor",
          "1 0 0 0 0 0 0 0 0 0 0 " + QString("[KP*] ").repeated(10).trimmed(), "1E2560",
          {"10000000000 +", "10000000000 x", "1E20 x", "1E40 x", "1E80 x", "1E160 x", "1E320 x",
           "1E640 x", "1E1280 x", "1E2560 x"},
          {estouro});
    linha("dígitos sem limite", QString("9 ").repeated(30).trimmed(),
          "999999999999999999999999999999", {});
}

} // namespace casos
