#pragma once
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#include "Campo.h"

namespace Fb {
class Transacao;
class Comando;
} // namespace Fb

// The four statements a dataset runs when a record is written, built from the
// table's key and column list; :C takes a field's current value, :OLD_C the
// value it had when the record was read.
class ComandosAtualizacao : public QObject {
    Q_OBJECT
public:
    ComandosAtualizacao(const QString &tabela, const QStringList &colunas, QObject *parent);
    QString inserir;
    QString modificar;
    QString excluir;
    QString reler;
};

// A bound control that may still hold text typed for the current record. The
// dataset asks every one of them to hand it over, once, before it posts.
class EntregadorTexto {
public:
    // Writes the pending text into its field; throws ErroSistema, in
    // Portuguese, when the text cannot be read.
    virtual void entregarPendente() = 0;

protected:
    ~EntregadorTexto() = default;
};

// A statement opened apart from any dataset (a search run in a thread of its own) and the
// first rows read from it, in the statement's column order; a dataset adopts it whole.
struct CursorAberto {
    QStringList sql;
    std::unique_ptr<Fb::Comando> select;
    std::vector<std::vector<QVariant>> linhas;

    CursorAberto();
    CursorAberto(CursorAberto &&) noexcept;
    CursorAberto &operator=(CursorAberto &&) noexcept;
    ~CursorAberto();
    // Prepares and opens the statement in the transaction and reads up to `linhas` rows. It
    // touches the engine only, never a dataset, so it may run in any thread while no other
    // call uses the connection.
    static CursorAberto abrir(Fb::Transacao &tra, const QStringList &sql, int linhas);
};

// A dataset over one table: a statement, the rows fetched from it so far, a
// current record and the states closed, browsing, editing and inserting.
// Rows are fetched on demand, so opening costs what is shown.
class Conjunto : public QObject {
    Q_OBJECT
public:
    enum class Estado { Fechado, Navegando, Editando, Inserindo };
    Q_ENUM(Estado)

    Conjunto(Fb::Transacao &tra, const QString &sqlInicial, QObject *parent);
    ~Conjunto() override;

    // Set up once by the data module.
    Campo *adicionarCampo(const QString &coluna, TipoCampo tipo, int tamanho = 0);
    void definirGerador(const QString &gerador, Campo *id);
    void definirAtualizacao(ComandosAtualizacao *comandos) { m_atualizacao = comandos; }

    const QList<Campo *> &campos() const { return m_campos; }
    Campo *campo(const QString &coluna) const;

    QStringList sql() const { return m_sql; }
    // Closes, sets the new lines and opens again.
    void substituirSql(const QStringList &linhas);

    void abrir();
    void fechar();
    // Browses the statement and rows opened apart (a pending record is dropped, as closing
    // drops it): one reopening, told once, however many rows came with it.
    void adotar(CursorAberto cursor);
    // Stops reading the statement: the rows read so far stay, and none is read until the
    // dataset is opened again. A search running in another thread needs the connection alone.
    void soltarCursor();
    Fb::Transacao &transacao() const { return m_tra; }
    bool aberto() const { return m_estado != Estado::Fechado; }
    Estado estado() const { return m_estado; }
    bool emEdicao() const { return m_estado == Estado::Editando || m_estado == Estado::Inserindo; }

    // Rows fetched so far, and whether the statement may still have more.
    int linhasCarregadas() const { return int(m_linhas.size()); }
    bool podeCarregarMais() const;
    void carregarMais(int quantas);
    void carregarTudo();

    bool vazio() const { return m_linhas.empty(); }
    // Index of the current record among the fetched rows; -1 when empty.
    int atual() const { return m_atual; }
    void irPara(int linha);
    void primeiro() { irPara(0); }
    void proximo();
    void anterior();
    void ultimo();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }

    void inserir();
    void editar();
    void gravar();
    void cancelar();
    void excluir();
    bool localizar(const QString &coluna, const QVariant &valor);

    // Controls holding typed text, asked in the order they registered.
    void registrarEntregador(EntregadorTexto *entregador);
    void removerEntregador(EntregadorTexto *entregador);
    // Asks every registered control to hand over its text; a posting does it
    // once, first. A refusal does not stop the others from being asked: then
    // the refusals are thrown together as one ErroSistema, and the record stays
    // pending with what the others handed over.
    void entregarTextos();

    // A value of any fetched row, for grids.
    QVariant valor(int linha, int campo) const;
    QVariant valorAtual(int campo) const;
    QVariant valorAntigo(int campo) const;
    void definirValorAtual(Campo *campo, const QVariant &valor);

Q_SIGNALS:
    void estadoMudou(Conjunto::Estado estado);
    // The current record moved, or its values were read again.
    void registroMudou();
    void campoMudou(Campo *campo);
    void linhasAcrescentadas(int primeira, int ultima);
    void linhaInserida(int linha);
    void linhaRemovida(int linha);
    // Opened, closed or its statement replaced: every row may be different.
    void reiniciado();

private:
    void mudarEstado(Estado estado);
    // The values of a row read from the statement, in the fields' order.
    std::vector<QVariant> linhaDosCampos(std::vector<QVariant> lida) const;
    bool buscarUma();
    void exigirAberto() const;
    void exigirNavegando();
    // Drops the pending record or change and browses again; the row removed, or -1.
    int sairDaEdicao();
    Fb::Comando &comando(std::unique_ptr<Fb::Comando> &cache, const QString &sql);
    void executarAtualizacao(std::unique_ptr<Fb::Comando> &cache, const QString &sql,
                             const std::vector<QVariant> &atual,
                             const std::vector<QVariant> &antigo);
    QVariant proximoId();

    Fb::Transacao &m_tra;
    QStringList m_sql;
    QList<Campo *> m_campos;
    QString m_gerador;
    Campo *m_campoId = nullptr;
    ComandosAtualizacao *m_atualizacao = nullptr;
    std::vector<EntregadorTexto *> m_entregadores;

    Estado m_estado = Estado::Fechado;
    std::unique_ptr<Fb::Comando> m_select;
    std::vector<int> m_campoDaColuna; // select column -> field index, -1 when unknown
    std::vector<std::vector<QVariant>> m_linhas;
    std::vector<QVariant> m_antigo; // the current record as it was read
    int m_atual = -1;
    bool m_eof = true;
    bool m_bof = true;

    std::unique_ptr<Fb::Comando> m_cmdInserir, m_cmdModificar, m_cmdExcluir, m_cmdGerador;
};

// What a bound control names: the dataset, and whether typing may start an edit.
class FonteDados : public QObject {
    Q_OBJECT
public:
    FonteDados(Conjunto *conjunto, QObject *parent) : QObject(parent), m_conjunto(conjunto) {}
    Conjunto *conjunto() const { return m_conjunto; }
    bool autoEdicao() const { return true; }

private:
    Conjunto *m_conjunto;
};
