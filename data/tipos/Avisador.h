#pragma once
#include <QList>
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

    // The sink in force; a recorder that keeps nothing until one is installed.
    static Avisador &atual();
    static void instalar(Avisador *avisador);
};

// Keeps everything said, in order, for tests; answers questions from a queue.
class AvisadorGravador : public Avisador {
public:
    struct Evento {
        enum Tipo { Mensagem, Erro, Pergunta, Bipe } tipo;
        QString texto;
        bool operator==(const Evento &) const = default;
    };
    void mensagem(const QString &texto) override { m_eventos.push_back({Evento::Mensagem, texto}); }
    void erro(const QString &texto) override { m_eventos.push_back({Evento::Erro, texto}); }
    Resposta perguntar(const QString &texto) override {
        m_eventos.push_back({Evento::Pergunta, texto});
        if (m_respostas.isEmpty())
            return Resposta::Nao;
        return m_respostas.takeFirst();
    }
    void bipe() override { m_eventos.push_back({Evento::Bipe, {}}); }

    void responder(bool sim) { m_respostas.push_back(sim ? Resposta::Sim : Resposta::Nao); }
    // The next question is put away with Esc or the close box.
    void desistir() { m_respostas.push_back(Resposta::Desistiu); }
    const QList<Evento> &eventos() const { return m_eventos; }
    void limpar() { m_eventos.clear(); }

private:
    QList<Evento> m_eventos;
    QList<Resposta> m_respostas;
};
