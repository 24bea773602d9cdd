#pragma once
#include <QString>

// Where widget-free logic sends what the user must see or hear: the program
// installs one built on message boxes, tests install a recorder.
class Avisador {
public:
    virtual ~Avisador() = default;
    // A plain notice with an OK button.
    virtual void mensagem(const QString &texto) = 0;
    // An error box (the last-resort handler and the report service use it).
    virtual void erro(const QString &texto) = 0;
    // A confirmation with Yes and No. The user may also put the question away unanswered (Esc,
    // the close box): then nothing that hangs on the answer happens.
    enum class Resposta { Sim, Nao, Desistiu };
    virtual Resposta perguntar(const QString &texto) = 0;
    // True when the user answers Yes.
    bool pergunta(const QString &texto) { return perguntar(texto) == Resposta::Sim; }
    // The information beep.
    virtual void bipe() = 0;

    // The sink in force; until one is installed, one that shows nothing and answers No.
    static Avisador &atual();
    static void instalar(Avisador *avisador);
};
