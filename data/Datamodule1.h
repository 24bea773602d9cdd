#pragma once
#include <QObject>
#include <memory>
#include <optional>

#include "AcessoBanco.h"
#include "ConfigExportacao.h"
#include "Conjunto.h"
#include "ConsultaRelatorio.h"

namespace Fb {
class Conexao;
class Transacao;
class Comando;
} // namespace Fb

// A client found by its tax number.
struct ClienteCadastrado {
    int id = 0;
    QString nome;
};

// The one connection, the one transaction and one shared dataset per table,
// with their data sources, update statement sets and field objects. No window
// keeps a private copy of a table: they bind to these and call them directly.
class TDatamodule1 : public QObject {
    Q_OBJECT
public:
    // Connects at once, or leaves the attach started in advance (anteciparConexao) to run on
    // until the first use; a failure here is silent and the first open of a dataset tries
    // again, raising the database's own error.
    explicit TDatamodule1(const QString &caminhoBanco = caminhoPadrao(), QObject *parent = nullptr);
    // The register of `acesso`: a file embedded, or a server's with a desk's account.
    explicit TDatamodule1(const AcessoBanco &acesso, QObject *parent = nullptr);
    ~TDatamodule1() override;

    // The one instance, for windows that must not run before start-up created it.
    static TDatamodule1 &instancia();

    // Where the database file lives: fixed, read from no setting.
    static QString caminhoPadrao();
    static const char *usuario() { return "sysdba"; }
    static const char *senha();

    // The database engine's side of the process: prepared once before the
    // first window (its lock files go to a folder of the user's own), shut
    // down once at exit, after the last data module is gone.
    static void prepararAmbiente();
    static void encerrarBanco();
    // Starts attaching to the database in the background as the program starts, so that the
    // engine's own start runs while the windows are built; the data module of that file
    // takes the attachment at its first use.
    static void anteciparConexao(const QString &caminhoBanco);
    static void anteciparConexao(const AcessoBanco &acesso);
    // Ends an attachment started in advance that no data module took.
    static void descartarConexaoAntecipada();

    // Commit-retaining of Tra: all work so far becomes permanent, and every
    // dataset stays open on its row.
    void confirmar();
    // Whether the database is attached: false when opening it failed.
    bool conectado() const;
    // The register this module works on, and with which account.
    const AcessoBanco &acesso() const { return m_acesso; }

    std::unique_ptr<Fb::Conexao> Base;
    std::unique_ptr<Fb::Transacao> Tra;

    Conjunto *Clientes, *Emitente, *Recibos, *Configuracao, *Tipo;
    FonteDados *DSclientes, *DSemitente, *DSrecibos, *DSconfiguracao, *DStipo;
    ComandosAtualizacao *Upclientes, *Upemitente, *Uprecibos, *Upconfiguracao, *Uptipo;

    Campo *ClientesID_CLIENTE, *ClientesCLIENTE, *ClientesEMAIL, *ClientesEMAIL2, *ClientesTELEFONE,
        *ClientesTELEFONE2, *ClientesOBS, *ClientesENDERECO, *ClientesBAIRRO, *ClientesCEP,
        *ClientesCIDADE, *ClientesUF, *ClientesDATANASCIMENTO, *ClientesCPFCNPJ, *ClientesPADRAO;
    Campo *EmitenteID_EMITENTE, *EmitenteEMITENTE, *EmitenteCPFCNPJ, *EmitenteCIDADE,
        *EmitenteFOTO_MARC;
    Campo *RecibosID_RECIBO, *RecibosEMITENTE, *RecibosCLIENTE, *RecibosVALOR, *RecibosVALOREXTENSO,
        *RecibosDATARECIBO, *RecibosLOCAL, *RecibosCPFCNPJCLIENTE, *RecibosCPFCNPJEMITENTE,
        *RecibosREFERENTE, *RecibosOBS, *RecibosDATA, *RecibosHORA, *RecibosTIPO;
    Campo *ConfiguracaoID_CONFIGURACAO, *ConfiguracaoCONFIGURACAO1, *ConfiguracaoCONFIGURACAO2,
        *ConfiguracaoCONFIGURACAO3;
    Campo *TipoID_TIPO, *TipoTIPO;

    // The five export formats every report preview offers, shared by the whole program.
    ExportacoesRelatorio Exportacoes;

    // The issuer's name as stored (the first row of EMITENTE); empty when there is none or the
    // database cannot be read.
    QString nomeDoEmitente();
    // The client registered with exactly this tax number (as stored, punctuation
    // included), through the CPFCNPJ index; the one with the lowest id when several
    // share it. Sees what this run posted and not yet committed. Touches no dataset.
    std::optional<ClienteCadastrado> clientePorCpfCnpj(const QString &cpfCnpj);
    // Registers a client with only a name and a tax number, not the default client, through
    // Clientes (which ends on the new row), and commits.
    void cadastrarCliente(const QString &nome, const QString &cpfCnpj);

    // A query of a list report's own over this connection, run in Tra; the
    // caller keeps it, and it must go before the data module does.
    std::unique_ptr<ConsultaRelatorio> novaConsultaRelatorio(const QStringList &sql);

    // The CLIENTE values of Clientes as "SELECT * FROM CLIENTES ORDER BY CLIENTE" lists them,
    // alone, in a dataset of their own read as it is shown (a picker of names): one column
    // reads many times faster than every column of the shared dataset.
    std::unique_ptr<Conjunto> nomesDosClientes();

    // Attaches and starts Tra when they are not: before work handed to another thread,
    // which must find both.
    void garantirConexao();

private:
    Conjunto *novoConjunto(const QString &nome, const QString &sqlInicial);
    Campo *campo(Conjunto *conjunto, const QString &coluna, TipoCampo tipo, int tamanho = 0);
    ComandosAtualizacao *atualizacao(Conjunto *conjunto, const QString &nome,
                                     const QString &tabela);
    FonteDados *fonte(Conjunto *conjunto, const QString &nome);

    AcessoBanco m_acesso;
    std::unique_ptr<Fb::Comando> m_cmdClientePorCpfCnpj;
};

// The one instance, created fourth at start-up.
extern TDatamodule1 *Datamodule1;
