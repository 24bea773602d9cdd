#pragma once
#include "Consultas.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class Conjunto;
struct CursorAberto;

namespace Fb {
class Transacao;
}

// The search of a search box, run in a thread of its own so that typing never waits for it:
// each keystroke cancels the search still running (the engine stops its statement) and its
// own search runs once that one has stopped. The dataset searched keeps the rows it shows
// until the new ones are read, and then takes them at once, with the first screen already
// read. While a search runs the connection belongs to it: the dataset reads nothing more of
// its old statement, and whoever needs the connection first calls concluir or cancelar.
class BuscaEmSegundoPlano : public QObject {
    Q_OBJECT
public:
    // What a search runs, in the search's thread: the statement, built from the text typed
    // (a look that chooses it may read the database), opened in the transaction.
    using Montagem = std::function<QStringList(Fb::Transacao &)>;

    explicit BuscaEmSegundoPlano(QObject *parent = nullptr);
    // Cancels and waits.
    ~BuscaEmSegundoPlano() override;

    // The search of a box of the shared datasets (Consultas::Busca), reading `linhas` rows
    // at first. A text no statement can hold is refused here at once (ErroSistema naming
    // the character), and the grid empties.
    void buscar(Consultas::Busca busca, const QString &texto, int linhas);
    // Any search of a dataset on the data module's transaction.
    void buscar(Conjunto &conjunto, Montagem montagem, int linhas);

    // Waits for the search running, and the one waiting after it, and gives the last one's
    // rows to its dataset. A search that failed (not one cancelled) throws its error then,
    // the dataset closed.
    void concluir();
    // What the window does when told terminou: concluir, but only when the search that ran
    // has really ended (the news of an earlier one may come late), and only for it: a search
    // waiting starts and is not waited for.
    void receberSeTerminou();
    // Cancels the search running, drops the one waiting and waits: the datasets keep what
    // they show.
    void cancelar();
    bool emAndamento() const { return m_linha.joinable(); }

    // How long a search runs before it is shown as running.
    static constexpr int k_demoraParaAvisar = 150;

Q_SIGNALS:
    // A search ended in its thread: receberSeTerminou gives its rows to the dataset.
    void terminou();
    // A search has run longer than k_demoraParaAvisar (true); no search runs any more (false).
    void ocupadaMudou(bool ocupada);

private:
    struct Pedido {
        Conjunto *conjunto;
        Montagem montagem;
        int linhas;
    };
    struct Resultado;

    void iniciar(Pedido pedido);
    // Joins the search's thread and gives its result to the dataset, or starts the search
    // waiting. Throws the error of a search that failed.
    void receber();
    void avisarOcupada(bool ocupada);
    // The engine ignores a cancel that comes before the statement starts: it is sent again
    // until the search's thread ends.
    void pedirCancelamento();

    std::thread m_linha;
    Conjunto *m_conjuntoDaBusca = nullptr; // the dataset of the search running
    std::optional<Pedido> m_esperando;
    std::unique_ptr<Resultado> m_resultado;
    std::atomic<bool> m_cancelada{false};
    std::atomic<bool> m_terminada{false};
    bool m_cancelamentoEnviado = false;
    bool m_avisouOcupada = false;
    QTimer m_demora;
    QTimer m_repetirCancelamento;
};
