#include "BuscaEmSegundoPlano.h"

#include "Conjunto.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "Firebird.h"

#include <chrono>

// What a search's thread hands back: the statement opened with its first rows, or the error
// that stopped it.
struct BuscaEmSegundoPlano::Resultado {
    CursorAberto cursor;
    std::exception_ptr erro;
    bool cancelada = false;
};

BuscaEmSegundoPlano::BuscaEmSegundoPlano(QObject *parent) : QObject(parent) {
    m_demora.setSingleShot(true);
    m_demora.setInterval(k_demoraParaAvisar);
    connect(&m_demora, &QTimer::timeout, this, [this] {
        if (emAndamento())
            avisarOcupada(true);
    });
    m_repetirCancelamento.setInterval(20);
    connect(&m_repetirCancelamento, &QTimer::timeout, this, [this] {
        if (emAndamento() && !m_terminada)
            TDatamodule1::instancia().Base->cancelarOperacao();
        else
            m_repetirCancelamento.stop();
    });
}

void BuscaEmSegundoPlano::pedirCancelamento() {
    if (!emAndamento() || m_terminada)
        return;
    m_cancelada = true;
    m_cancelamentoEnviado = true;
    TDatamodule1::instancia().Base->cancelarOperacao();
    m_repetirCancelamento.start();
}

BuscaEmSegundoPlano::~BuscaEmSegundoPlano() {
    try {
        cancelar();
    } catch (...) {
        // Nothing can be told from a destructor; the thread is joined all the same.
    }
    if (m_linha.joinable())
        m_linha.join();
}

void BuscaEmSegundoPlano::buscar(Consultas::Busca busca, const QString &texto, int linhas) {
    Conjunto &conjunto = Consultas::conjuntoDaBusca(busca);
    try {
        Consultas::verificarTexto(busca, texto);
    } catch (const ErroSistema &) {
        // The grid shows nothing for a text that cannot be searched.
        cancelar();
        conjunto.fechar();
        throw;
    }
    buscar(
        conjunto,
        [busca, texto](Fb::Transacao &tra) { return Consultas::sqlDaBusca(busca, tra, texto); },
        linhas);
}

void BuscaEmSegundoPlano::buscar(Conjunto &conjunto, Montagem montagem, int linhas) {
    Pedido pedido{&conjunto, std::move(montagem), qMax(1, linhas)};
    if (emAndamento()) {
        // The newer text replaces any other waiting; the one running is stopped.
        m_esperando = std::move(pedido);
        if (!m_cancelamentoEnviado)
            pedirCancelamento();
        return;
    }
    iniciar(std::move(pedido));
}

void BuscaEmSegundoPlano::iniciar(Pedido pedido) {
    TDatamodule1 &dm = TDatamodule1::instancia();
    // Here, while this thread still owns the connection: the search's thread finds the
    // database attached and the transaction started, and no dataset reads the old statement.
    dm.garantirConexao();
    pedido.conjunto->soltarCursor();
    m_cancelada = false;
    m_terminada = false;
    m_cancelamentoEnviado = false;
    m_resultado = std::make_unique<Resultado>();
    m_conjuntoDaBusca = pedido.conjunto;
    if (!m_demora.isActive() && !m_avisouOcupada)
        m_demora.start();
    m_linha = std::thread(
        [this, &tra = *dm.Tra, pedido = std::move(pedido), resultado = m_resultado.get()] {
            try {
                const QStringList sql = pedido.montagem(tra);
                // Cancelled before its statement started: the engine would not have stopped it.
                if (m_cancelada)
                    resultado->cancelada = true;
                else
                    resultado->cursor = CursorAberto::abrir(tra, sql, pedido.linhas);
            } catch (const ErroSistema &erro) {
                resultado->cancelada = m_cancelada && Fb::Conexao::cancelada(erro.codigos());
                resultado->erro = std::current_exception();
            } catch (...) {
                resultado->erro = std::current_exception();
            }
            m_terminada = true;
            // Told in the window's thread; gone with this object if it goes first.
            QMetaObject::invokeMethod(this, &BuscaEmSegundoPlano::terminou, Qt::QueuedConnection);
        });
}

void BuscaEmSegundoPlano::receber() {
    m_linha.join();
    m_repetirCancelamento.stop();
    std::unique_ptr<Resultado> resultado = std::move(m_resultado);
    Conjunto *conjunto = std::exchange(m_conjuntoDaBusca, nullptr);
    if (m_cancelamentoEnviado) {
        // The search may have ended before the request reached the engine.
        TDatamodule1::instancia().Base->absorverCancelamento();
        m_cancelamentoEnviado = false;
    }
    if (m_esperando) {
        resultado.reset();
        iniciar(*std::exchange(m_esperando, std::nullopt));
        return;
    }
    avisarOcupada(false);
    if (resultado->cancelada)
        return;
    if (resultado->erro) {
        conjunto->fechar();
        std::rethrow_exception(resultado->erro);
    }
    conjunto->adotar(std::move(resultado->cursor));
}

void BuscaEmSegundoPlano::receberSeTerminou() {
    if (emAndamento() && m_terminada)
        receber();
}

void BuscaEmSegundoPlano::concluir() {
    while (emAndamento())
        receber();
}

void BuscaEmSegundoPlano::cancelar() {
    m_esperando.reset();
    if (emAndamento())
        pedirCancelamento();
    // Sent until the thread ends: a cancel that came before the statement started is lost.
    while (emAndamento() && !m_terminada) {
        TDatamodule1::instancia().Base->cancelarOperacao();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    while (emAndamento()) {
        try {
            receber();
        } catch (const ErroSistema &) {
            // A search cut short by its window's closing tells nothing.
        }
    }
    // A search cancelled in its last moment still gave its rows; a cancelled one did not.
    avisarOcupada(false);
}

void BuscaEmSegundoPlano::avisarOcupada(bool ocupada) {
    if (!ocupada)
        m_demora.stop();
    if (ocupada == m_avisouOcupada)
        return;
    m_avisouOcupada = ocupada;
    Q_EMIT ocupadaMudou(ocupada);
}
