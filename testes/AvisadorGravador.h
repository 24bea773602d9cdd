#pragma once
#include "Avisador.h"

#include <QList>

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
