#include "MotorCalculadora.h"

#include "Avisador.h"
#include "NumeroGeral.h"

#include <cmath>

namespace {

const QString Num = QStringLiteral("Num");
const QString BtnAdic = QStringLiteral("BtnAdic");
const QString BtnSub = QStringLiteral("BtnSub");
const QString BtnMult = QStringLiteral("BtnMult");
const QString BtnDiv = QStringLiteral("BtnDiv");
const QString BtnIgual = QStringLiteral("BtnIgual");
const QString BtnRaiz = QStringLiteral("BtnRaiz");
const QString BtnReciproca = QStringLiteral("BtnReciproca");
const QString Equal = QStringLiteral("Equal");
const QString Percent = QStringLiteral("Percent");

// The tape symbol of a pending operation; "Equal" and "Percent" write no line.
QString simboloDaFita(const QString &operacao) {
    if (operacao == BtnAdic || operacao == Num)
        return QStringLiteral("+");
    if (operacao == BtnSub)
        return QStringLiteral("-");
    if (operacao == BtnMult)
        return QStringLiteral("x");
    if (operacao == BtnDiv)
        return QStringLiteral("/");
    if (operacao == BtnReciproca)
        return QStringLiteral("1/x");
    if (operacao == BtnRaiz)
        return QStringLiteral("R");
    if (operacao == BtnIgual)
        return QStringLiteral("=");
    return {};
}

// The number of the display, or the error box when it holds none.
std::optional<long double> lerVisor(const QString &visor) {
    auto lido = lerNumeroDoVisor(visor);
    if (!lido)
        Avisador::atual().erro(
            QStringLiteral("'%1' is not a valid floating point value").arg(visor));
    return lido;
}

// The digit of a digit-row key held with Shift, from the symbol the keyboard
// reports for it on the US and the Brazilian (ABNT2) layouts; -1 for others.
int digitoDaFileiraComShift(int teclaQt) {
    switch (teclaQt) {
    case Qt::Key_ParenRight:
        return 0;
    case Qt::Key_Exclam:
        return 1;
    case Qt::Key_At:
        return 2;
    case Qt::Key_NumberSign:
        return 3;
    case Qt::Key_Dollar:
        return 4;
    case Qt::Key_Percent:
        return 5;
    case Qt::Key_AsciiCircum:
    case Qt::Key_Dead_Circumflex:
    case Qt::Key_Dead_Diaeresis:
        return 6;
    case Qt::Key_Ampersand:
        return 7;
    case Qt::Key_Asterisk:
        return 8;
    case Qt::Key_ParenLeft:
        return 9;
    default:
        return -1;
    }
}

} // namespace

MotorCalculadora::MotorCalculadora()
    : m_Operacao(Num), m_Fita(LinhasDaFita), m_FitaDigitos(LinhasDaFita) {}

MotorCalculadora::Atalho MotorCalculadora::atalhoDoCodigo(int codigo) {
    if (codigo >= 48 && codigo <= 57)
        return {Acao::Digito, QChar(u'0' + (codigo - 48)), {}};
    if (codigo >= 96 && codigo <= 105)
        return {Acao::Digito, QChar(u'0' + (codigo - 96)), {}};
    switch (codigo) {
    case 110:
        return {Acao::Virgula, {}, {}};
    case 106:
        return {Acao::Operador, {}, BtnMult};
    case 107:
        return {Acao::Operador, {}, BtnAdic};
    case 109:
        return {Acao::Operador, {}, BtnSub};
    case 111:
        return {Acao::Operador, {}, BtnDiv};
    case 13:
        return {Acao::Operador, {}, BtnIgual};
    case 8:
        return {Acao::Backspace, {}, {}};
    case 67:
        return {Acao::C, {}, {}};
    case 69:
        return {Acao::CE, {}, {}};
    case 83:
        return {Acao::Raiz, {}, {}};
    case 88:
        return {Acao::Reciproca, {}, {}};
    case 220:
        return {Acao::Sinal, {}, {}};
    case 80:
        return {Acao::Porcentagem, {}, {}};
    case 27:
        return {Acao::Fechar, {}, {}};
    default:
        return {};
    }
}

int MotorCalculadora::codigoDaTecla(int teclaQt, Qt::KeyboardModifiers modificadores) {
    const bool tecladoNumerico = modificadores.testFlag(Qt::KeypadModifier);
    if (teclaQt >= Qt::Key_0 && teclaQt <= Qt::Key_9)
        return (tecladoNumerico ? 96 : 48) + (teclaQt - Qt::Key_0);
    // Shift does not change what a digit-row key is: Shift+8 is the digit 8,
    // not the "*" the keyboard prints on it.
    if (!tecladoNumerico && modificadores.testFlag(Qt::ShiftModifier)) {
        if (const int digito = digitoDaFileiraComShift(teclaQt); digito >= 0)
            return 48 + digito;
    }
    if (teclaQt >= Qt::Key_A && teclaQt <= Qt::Key_Z)
        return teclaQt; // Qt numbers the letters by their capitals, as the table does
    switch (teclaQt) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    default:
        break;
    }
    if (!tecladoNumerico)
        return 0;
    switch (teclaQt) {
    case Qt::Key_Asterisk:
        return 106;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_Minus:
        return 109;
    case Qt::Key_Slash:
        return 111;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return 110;
    default:
        return 0;
    }
}

void MotorCalculadora::Digitar() {
    if (m_Estado == 0)
        m_visor = m_visor == u"0" ? m_Digito : m_visor + m_Digito;
    else if (m_Estado == 2)
        m_visor += m_Digito;
    else
        m_visor = m_Digito;
    m_Zerado = false;
}

void MotorCalculadora::RegistrarFita() {
    const QString simbolo = simboloDaFita(m_Operacao);
    if (simbolo.isEmpty())
        return;
    if (m_LinhaFita > LinhasDaFita - 1)
        LimparFita();
    m_Fita[m_LinhaFita] = m_visor;
    m_FitaDigitos[m_LinhaFita] = simbolo;
    ++m_LinhaFita;
}

void MotorCalculadora::LimparFita() {
    m_LinhaFita = 0;
    m_Fita = QStringList(LinhasDaFita);
    m_FitaDigitos = QStringList(LinhasDaFita);
}

bool MotorCalculadora::Calcular() {
    RegistrarFita();
    if (m_Operacao == Equal || m_Operacao == Percent) {
        m_visor = formatoGeral(m_Acumulador);
        return true;
    }

    const auto lido = lerVisor(m_visor);
    if (!lido)
        return false;
    const long double x = *lido;
    long double resultado = m_Acumulador;
    bool divisaoPorZero = false;
    bool invalida = false;
    if (m_Operacao == Num || m_Operacao == BtnAdic) {
        resultado = x + m_Acumulador;
    } else if (m_Operacao == BtnSub) {
        resultado = m_Acumulador - x;
    } else if (m_Operacao == BtnMult) {
        resultado = x * m_Acumulador;
    } else if (m_Operacao == BtnDiv) {
        if (x != 0)
            resultado = m_Acumulador / x;
        else if (m_Acumulador != 0)
            divisaoPorZero = true;
        else
            invalida = true;
    } else if (m_Operacao == BtnReciproca) {
        if (x != 0)
            resultado = 1 / x;
        else
            divisaoPorZero = true;
    } else if (m_Operacao == BtnRaiz) {
        if (x < 0)
            invalida = true;
        else
            resultado = std::sqrt(x);
    } else if (m_Operacao == BtnIgual) {
        resultado = x;
    }

    if (invalida) {
        Avisador::atual().erro(QStringLiteral("Invalid floating point operation"));
        return false;
    }
    if (divisaoPorZero) {
        resultado = 0;
        Avisador::atual().mensagem(QStringLiteral("Divisão por Zero !"));
        Avisador::atual().bipe();
    } else if (!std::isfinite(resultado)) {
        Avisador::atual().erro(QStringLiteral("Floating point overflow"));
        return false;
    }
    m_Acumulador = resultado;
    m_visor = formatoGeral(m_Acumulador);
    return true;
}

void MotorCalculadora::teclaDigito(QChar digito) {
    m_Digito = digito;
    Digitar();
    m_Estado = 0;
}

void MotorCalculadora::teclaVirgula() {
    if (m_visor.contains(u',')) {
        Avisador::atual().bipe();
        return;
    }
    m_Estado = 2;
    m_Digito = QStringLiteral(",");
    Digitar();
}

void MotorCalculadora::teclaOperador(const QString &nomeDaTecla) {
    if (m_Zerado) {
        Avisador::atual().bipe();
        return;
    }
    if (m_Estado != 1 && !Calcular())
        return;
    m_Estado = 1;
    m_Operacao = nomeDaTecla;
}

void MotorCalculadora::operadorDoTeclado(const QString &nomeDaTecla) {
    if (m_Zerado) {
        Avisador::atual().bipe();
        return;
    }
    m_Estado = 1;
    if (!Calcular())
        return;
    m_Operacao = nomeDaTecla;
}

// Square root and reciprocal act on the displayed number alone and drop the
// operation that was pending.
void MotorCalculadora::operacaoDeUmNumero(const QString &nomeDaTecla) {
    if (!m_Zerado) {
        m_Estado = 1;
        m_Operacao = nomeDaTecla;
        if (!Calcular())
            return;
    }
    m_Estado = 0;
    m_Operacao = Equal;
}

void MotorCalculadora::teclaRaiz() {
    operacaoDeUmNumero(BtnRaiz);
}

void MotorCalculadora::teclaReciproca() {
    operacaoDeUmNumero(BtnReciproca);
}

void MotorCalculadora::teclaPorcentagem() {
    if (m_Zerado) {
        Avisador::atual().bipe();
        return;
    }
    const auto lido = lerVisor(m_visor);
    if (!lido)
        return;
    m_visor = formatoGeral(*lido / 100);
    m_Estado = 1;
    m_Operacao = BtnMult;
    if (!Calcular())
        return;
    m_Estado = 0;
    m_Operacao = Percent;
}

void MotorCalculadora::teclaSinal() {
    if (m_visor == u"0")
        Avisador::atual().bipe();
    if (m_visor.contains(u'-'))
        m_visor.remove(0, 1);
    else
        m_visor.prepend(u'-');
}

void MotorCalculadora::teclaBackspace() {
    if (m_visor.size() < 2) {
        m_visor = QStringLiteral("0");
        Avisador::atual().bipe();
        return;
    }
    m_visor.chop(1);
}

void MotorCalculadora::teclaCE() {
    m_Estado = 0;
    m_Operacao = Num;
    m_visor = QStringLiteral("0");
}

void MotorCalculadora::teclaC() {
    m_Estado = 0;
    m_Acumulador = 0;
    m_Operacao = Num;
    m_Zerado = true;
    m_visor = QStringLiteral("0");
}

void MotorCalculadora::zerarTudo() {
    LimparFita();
    teclaC();
}

MotorCalculadora::Acao MotorCalculadora::teclar(int codigo) {
    const Atalho atalho = atalhoDoCodigo(codigo);
    switch (atalho.acao) {
    case Acao::Digito:
        teclaDigito(atalho.digito);
        break;
    case Acao::Virgula:
        teclaVirgula();
        break;
    case Acao::Operador:
        operadorDoTeclado(atalho.operacao);
        break;
    case Acao::Raiz:
        teclaRaiz();
        break;
    case Acao::Reciproca:
        teclaReciproca();
        break;
    case Acao::Porcentagem:
        teclaPorcentagem();
        break;
    case Acao::Sinal:
        teclaSinal();
        break;
    case Acao::Backspace:
        teclaBackspace();
        break;
    case Acao::CE:
        teclaCE();
        break;
    case Acao::C:
        teclaC();
        break;
    case Acao::Fechar:
    case Acao::Nenhuma:
        break;
    }
    return atalho.acao;
}

void MotorCalculadora::aoAbrir() {
    LimparFita();
}

void MotorCalculadora::aoFechar() {
    m_Acumulador = 0;
    m_Estado = 0;
    m_Operacao = Num;
}
