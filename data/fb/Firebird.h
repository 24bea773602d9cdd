#pragma once
#include <QString>
#include <QStringList>
#include <QVariant>
#include <exception>
#include <memory>
#include <vector>

namespace Firebird {
class IAttachment;
class ITransaction;
class IStatement;
class IResultSet;
class IMessageMetadata;
} // namespace Firebird

// A thin layer over Firebird's object interface, embedded or through a server: one
// attachment, transactions, prepared statements with named parameters. Every
// failure is thrown as ErroSistema with Firebird's own message text and codes.
namespace Fb {

// Must run before the first database call: the engine's lock files go to a
// folder of the user's own, so that an ordinary user can work on a machine
// where root or another user has already used Firebird: the user's runtime
// folder ($XDG_RUNTIME_DIR/talvano/firebird) where there is one, else
// ~/.cache/talvano/firebird.
void prepararAmbiente();

// Whether a database name is a server's address ("servidor:/caminho", "servidor/porta:...")
// rather than a file this process opens itself.
bool enderecoDeServidor(const QString &banco);
// The two parts of a server's address: "servidor/3050" and "/srv/talvano/DADOS.GDB".
QString servidorDe(const QString &endereco);
QString caminhoNoServidor(const QString &endereco);

// Releases the engine's threads and files; called once, at exit.
void encerrar();

// Starts attaching to a database in a thread of its own, so that the engine's first start
// (its libraries, its lock files, the first reading of the file) runs while the program
// builds its windows. The first Conexao configured with the same file and account takes
// the attachment when it connects; an attempt that failed is forgotten, and that connection
// attaches again itself, so the error is told where it always was.
void anteciparConexao(const QString &caminho, const QString &usuario, const QString &senha,
                      const QString &papel = {});
// Whether an attachment to this file was started in advance and nobody took it yet.
bool conexaoAntecipada(const QString &caminho);
// Waits for an attachment started in advance that nobody took, and ends it.
void descartarConexaoAntecipada();

// The engine's own backup of a database file into a backup file, through its services
// interface: embedded, or from a server's address, the server sending the backup to be
// written here. Garbage is left alone, so the database is only read.
void copiarBanco(const QString &banco, const QString &arquivo, const QString &usuario,
                 const QString &senha);
// The engine's own restore of a backup file into a new database file, which must not exist;
// on a server the backup file is read here and sent to the server.
// A damaged backup file can bring the engine down with the process: run it in a process of
// its own.
void restaurarBanco(const QString &arquivo, const QString &banco, const QString &usuario,
                    const QString &senha);

// A database on a server closed to every attachment (a full shutdown), refused with the
// server's words while any desk is attached; and opened again.
void fecharBancoNoServidor(const QString &banco, const QString &usuario, const QString &senha);
void abrirBancoNoServidor(const QString &banco, const QString &usuario, const QString &senha);

class Conexao {
public:
    Conexao() = default;
    ~Conexao();
    Conexao(const Conexao &) = delete;
    Conexao &operator=(const Conexao &) = delete;

    // `caminho` is a file, or a server's address; `papel` the role to work in, if any.
    void configurar(const QString &caminho, const QString &usuario, const QString &senha,
                    const QString &papel = {});
    const QString &caminho() const { return m_caminho; }
    // Attaches with the configured credentials, client character set WIN1252, dialect 3. To
    // a server the wire is encrypted or there is no attachment, and a server that does not
    // answer is given up in seconds, with its name and the reason.
    void conectar();
    // Creates a new database file (default character set WIN1252, forced
    // writes on) and stays attached to it.
    void criar();
    void desconectar();
    // Deletes the attached database file and ends the attachment.
    void apagar();
    bool conectada() const { return m_anexo != nullptr; }
    Firebird::IAttachment *anexo() const { return m_anexo; }

    // Runs a statement of data definition in a transaction of its own.
    void executarDdl(const QString &sql);

    // Asks the engine, from any thread, to stop the call running on this attachment (a
    // search in another thread): that call fails as cancelled. A request that arrives when
    // the call has already ended waits for the next one: whoever sent it calls
    // absorverCancelamento once that thread is done, before the attachment is used again.
    void cancelarOperacao();
    void absorverCancelamento();
    // Whether an error is the engine's "operation was cancelled".
    static bool cancelada(const std::vector<long> &codigos);

private:
    void anexar(bool criando);

    Firebird::IAttachment *m_anexo = nullptr;
    QString m_caminho, m_usuario, m_senha, m_papel;
};

class Comando;

// read_committed, rec_version, nowait. Destroyed while active it commits, but
// rolls back when the destruction comes from an exception unwinding the stack:
// work left half done by a failure is never made permanent.
class Transacao {
public:
    explicit Transacao(Conexao &conexao)
        : m_conexao(conexao), m_excecoesAoCriar(std::uncaught_exceptions()) {}
    ~Transacao();
    Transacao(const Transacao &) = delete;
    Transacao &operator=(const Transacao &) = delete;

    void iniciar();
    bool ativa() const { return m_tra != nullptr; }
    void commitRetaining();
    void commit();
    void rollback();

    Conexao &conexao() const { return m_conexao; }
    Firebird::ITransaction *handle() const { return m_tra; }

    // A statement of a dataset or a report query: the connection attached and the transaction
    // started first when they are not, so that a dataset opened after a failure, or before
    // anything else, finds both.
    std::unique_ptr<Comando> preparar(const QString &sql);

private:
    void exigirAtiva() const;

    Conexao &m_conexao;
    int m_excecoesAoCriar;
    Firebird::ITransaction *m_tra = nullptr;
};

// A row as the statement returns it; an invalid QVariant is NULL. Texts are
// QString, INTEGER is int, BIGINT qlonglong, NUMERIC(18,2) Dinheiro, DATE
// QDate, TIME QTime, binary BLOB QByteArray.
using Linha = std::vector<QVariant>;

// A prepared statement whose parameters are written :NAME in the text.
class Comando {
public:
    Comando(Transacao &transacao, const QString &sql);
    ~Comando();
    Comando(const Comando &) = delete;
    Comando &operator=(const Comando &) = delete;

    // Distinct parameter names, in the order of their first appearance.
    QStringList nomesParametros() const;
    void definir(const QString &nome, const QVariant &valor);

    // Runs a statement that returns at most one row; the row, if any.
    Linha executar();

    void abrirCursor();
    // Reads the next row of the open cursor; false at its end.
    bool buscar(Linha &linha);
    void fecharCursor();
    bool cursorAberto() const { return m_cursor != nullptr; }

    QStringList colunas() const;

private:
    // Each handle is given back to the engine however the object ends, also
    // when the constructor throws halfway.
    struct LiberarComando {
        void operator()(Firebird::IStatement *p) const;
    };
    struct FecharCursor {
        void operator()(Firebird::IResultSet *p) const;
    };
    struct LiberarMetadados {
        void operator()(Firebird::IMessageMetadata *p) const;
    };

    void montarEntrada();
    Linha lerSaida() const;

    Transacao &m_transacao;
    // Declared first, destroyed last: the cursor and metadata go before the statement.
    std::unique_ptr<Firebird::IStatement, LiberarComando> m_stmt;
    std::unique_ptr<Firebird::IMessageMetadata, LiberarMetadados> m_metaEntrada;
    std::unique_ptr<Firebird::IMessageMetadata, LiberarMetadados> m_metaSaida;
    std::unique_ptr<Firebird::IResultSet, FecharCursor> m_cursor;
    QStringList m_nomesPorPosicao;
    std::vector<QVariant> m_valores;
    std::vector<unsigned char> m_bufEntrada;
    std::vector<unsigned char> m_bufSaida;
};

} // namespace Fb
