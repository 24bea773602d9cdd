#include "Datamodule1.h"

#include "ErroSistema.h"
#include "Firebird.h"
#include "Win1252.h"

#include <QDir>

TDatamodule1 *Datamodule1 = nullptr;

namespace {
// The fixed credentials every run attaches with; embedded access checks no password.
constexpr char vaultword[] = "masterkey";
} // namespace

TDatamodule1 &TDatamodule1::instancia() {
    if (!Datamodule1)
        throw ErroSistema(QStringLiteral("O módulo de dados não foi criado."));
    return *Datamodule1;
}

const char *TDatamodule1::senha() {
    return vaultword;
}

void TDatamodule1::prepararAmbiente() {
    Fb::prepararAmbiente();
}

void TDatamodule1::encerrarBanco() {
    Fb::encerrar();
}

void TDatamodule1::anteciparConexao(const QString &caminhoBanco) {
    anteciparConexao(AcessoBanco::local(caminhoBanco));
}

void TDatamodule1::anteciparConexao(const AcessoBanco &acesso) {
    Fb::anteciparConexao(acesso.banco, acesso.usuario, acesso.senha, acesso.papel);
}

void TDatamodule1::descartarConexaoAntecipada() {
    Fb::descartarConexaoAntecipada();
}

void TDatamodule1::confirmar() {
    Tra->commitRetaining();
}

bool TDatamodule1::conectado() const {
    return Base->conectada();
}

void TDatamodule1::cadastrarCliente(const QString &nome, const QString &cpfCnpj) {
    Clientes->abrir();
    Clientes->inserir();
    ClientesPADRAO->definirValor(QStringLiteral("N"));
    ClientesCLIENTE->definirValor(nome);
    ClientesCPFCNPJ->definirValor(cpfCnpj);
    Clientes->gravar();
    confirmar();
}

std::unique_ptr<ConsultaRelatorio> TDatamodule1::novaConsultaRelatorio(const QStringList &sql) {
    return std::make_unique<ConsultaRelatorio>(*Tra, sql);
}

QString TDatamodule1::caminhoPadrao() {
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Talvano\\DADOS.GDB");
#else
    return QDir::homePath() + QStringLiteral("/Talvano/DADOS.GDB");
#endif
}

Conjunto *TDatamodule1::novoConjunto(const QString &nome, const QString &sqlInicial) {
    auto *c = new Conjunto(*Tra, sqlInicial, this);
    c->setObjectName(nome);
    return c;
}

std::unique_ptr<Conjunto> TDatamodule1::nomesDosClientes() {
    auto nomes = std::make_unique<Conjunto>(
        *Tra, QStringLiteral("SELECT CLIENTE FROM CLIENTES ORDER BY CLIENTE"), nullptr);
    nomes->adicionarCampo(QStringLiteral("CLIENTE"), TipoCampo::Texto, 50);
    nomes->abrir();
    return nomes;
}

Campo *TDatamodule1::campo(Conjunto *conjunto, const QString &coluna, TipoCampo tipo, int tamanho) {
    Campo *c = conjunto->adicionarCampo(coluna, tipo, tamanho);
    c->setObjectName(conjunto->objectName() + coluna);
    return c;
}

ComandosAtualizacao *TDatamodule1::atualizacao(Conjunto *conjunto, const QString &nome,
                                               const QString &tabela) {
    QStringList colunas;
    for (const Campo *c : conjunto->campos())
        colunas << c->coluna();
    auto *up = new ComandosAtualizacao(tabela, colunas, this);
    up->setObjectName(nome);
    conjunto->definirAtualizacao(up);
    return up;
}

FonteDados *TDatamodule1::fonte(Conjunto *conjunto, const QString &nome) {
    auto *ds = new FonteDados(conjunto, this);
    ds->setObjectName(nome);
    return ds;
}

TDatamodule1::TDatamodule1(const QString &caminhoBanco, QObject *parent)
    : TDatamodule1(AcessoBanco::local(caminhoBanco), parent) {}

TDatamodule1::TDatamodule1(const AcessoBanco &acesso, QObject *parent)
    : QObject(parent), Base(std::make_unique<Fb::Conexao>()),
      Tra(std::make_unique<Fb::Transacao>(*Base)), m_acesso(acesso) {
    setObjectName(QStringLiteral("Datamodule1"));
    using T = TipoCampo;

    Clientes = novoConjunto(QStringLiteral("Clientes"), QStringLiteral("select * from CLIENTES"));
    ClientesID_CLIENTE = campo(Clientes, QStringLiteral("ID_CLIENTE"), T::Inteiro);
    ClientesCLIENTE = campo(Clientes, QStringLiteral("CLIENTE"), T::Texto, 50);
    ClientesEMAIL = campo(Clientes, QStringLiteral("EMAIL"), T::Texto, 60);
    ClientesEMAIL2 = campo(Clientes, QStringLiteral("EMAIL2"), T::Texto, 60);
    ClientesTELEFONE = campo(Clientes, QStringLiteral("TELEFONE"), T::Texto, 20);
    ClientesTELEFONE2 = campo(Clientes, QStringLiteral("TELEFONE2"), T::Texto, 20);
    ClientesOBS = campo(Clientes, QStringLiteral("OBS"), T::Texto, 100);
    ClientesENDERECO = campo(Clientes, QStringLiteral("ENDERECO"), T::Texto, 60);
    ClientesBAIRRO = campo(Clientes, QStringLiteral("BAIRRO"), T::Texto, 30);
    ClientesCEP = campo(Clientes, QStringLiteral("CEP"), T::Texto, 10);
    ClientesCEP->definirMascaraEdicao(QStringLiteral("00000\\-999;1;_"));
    ClientesCIDADE = campo(Clientes, QStringLiteral("CIDADE"), T::Texto, 40);
    ClientesUF = campo(Clientes, QStringLiteral("UF"), T::Texto, 2);
    ClientesDATANASCIMENTO = campo(Clientes, QStringLiteral("DATANASCIMENTO"), T::Data);
    ClientesDATANASCIMENTO->definirMascaraEdicao(QStringLiteral("!99/99/0000;1;_"));
    ClientesCPFCNPJ = campo(Clientes, QStringLiteral("CPFCNPJ"), T::Texto, 20);
    ClientesPADRAO = campo(Clientes, QStringLiteral("PADRAO"), T::Texto, 1);
    Clientes->definirGerador(QStringLiteral("GEN_CLIENTES_ID"), ClientesID_CLIENTE);
    Upclientes = atualizacao(Clientes, QStringLiteral("Upclientes"), QStringLiteral("CLIENTES"));
    DSclientes = fonte(Clientes, QStringLiteral("DSclientes"));

    Emitente = novoConjunto(QStringLiteral("Emitente"), QStringLiteral("select *   from EMITENTE"));
    EmitenteID_EMITENTE = campo(Emitente, QStringLiteral("ID_EMITENTE"), T::Inteiro);
    EmitenteEMITENTE = campo(Emitente, QStringLiteral("EMITENTE"), T::Texto, 50);
    EmitenteCPFCNPJ = campo(Emitente, QStringLiteral("CPFCNPJ"), T::Texto, 20);
    EmitenteCIDADE = campo(Emitente, QStringLiteral("CIDADE"), T::Texto, 40);
    EmitenteFOTO_MARC = campo(Emitente, QStringLiteral("FOTO_MARC"), T::Blob);
    Emitente->definirGerador(QStringLiteral("GEN_EMITENTES_ID"), EmitenteID_EMITENTE);
    Upemitente = atualizacao(Emitente, QStringLiteral("Upemitente"), QStringLiteral("EMITENTE"));
    DSemitente = fonte(Emitente, QStringLiteral("DSemitente"));

    Recibos = novoConjunto(QStringLiteral("Recibos"), QStringLiteral("select * from RECIBOS"));
    RecibosID_RECIBO = campo(Recibos, QStringLiteral("ID_RECIBO"), T::Inteiro);
    RecibosEMITENTE = campo(Recibos, QStringLiteral("EMITENTE"), T::Texto, 50);
    RecibosCLIENTE = campo(Recibos, QStringLiteral("CLIENTE"), T::Texto, 50);
    RecibosVALOR = campo(Recibos, QStringLiteral("VALOR"), T::Valor);
    RecibosVALOR->definirFormatoExibicao(QStringLiteral("#,##0.00"));
    RecibosVALOREXTENSO = campo(Recibos, QStringLiteral("VALOREXTENSO"), T::Texto, 200);
    RecibosDATA = campo(Recibos, QStringLiteral("DATA"), T::Data);
    RecibosDATA->definirMascaraEdicao(QStringLiteral("!00/00/0000;1;_"));
    RecibosDATARECIBO = campo(Recibos, QStringLiteral("DATARECIBO"), T::Texto, 100);
    RecibosLOCAL = campo(Recibos, QStringLiteral("LOCAL"), T::Texto, 30);
    RecibosCPFCNPJCLIENTE = campo(Recibos, QStringLiteral("CPFCNPJCLIENTE"), T::Texto, 20);
    RecibosCPFCNPJEMITENTE = campo(Recibos, QStringLiteral("CPFCNPJEMITENTE"), T::Texto, 20);
    RecibosREFERENTE = campo(Recibos, QStringLiteral("REFERENTE"), T::Texto, 100);
    RecibosOBS = campo(Recibos, QStringLiteral("OBS"), T::Texto, 100);
    RecibosHORA = campo(Recibos, QStringLiteral("HORA"), T::Hora);
    RecibosTIPO = campo(Recibos, QStringLiteral("TIPO"), T::Texto, 10);
    Recibos->definirGerador(QStringLiteral("GEN_RECIBOS_ID"), RecibosID_RECIBO);
    Uprecibos = atualizacao(Recibos, QStringLiteral("Uprecibos"), QStringLiteral("RECIBOS"));
    DSrecibos = fonte(Recibos, QStringLiteral("DSrecibos"));

    Configuracao = novoConjunto(QStringLiteral("Configuracao"),
                                QStringLiteral("select *  from CONFIGURACOES"));
    ConfiguracaoID_CONFIGURACAO =
        campo(Configuracao, QStringLiteral("ID_CONFIGURACAO"), T::Inteiro);
    ConfiguracaoCONFIGURACAO1 = campo(Configuracao, QStringLiteral("CONFIGURACAO1"), T::Texto, 1);
    ConfiguracaoCONFIGURACAO2 = campo(Configuracao, QStringLiteral("CONFIGURACAO2"), T::Texto, 1);
    ConfiguracaoCONFIGURACAO3 = campo(Configuracao, QStringLiteral("CONFIGURACAO3"), T::Texto, 1);
    Upconfiguracao = atualizacao(Configuracao, QStringLiteral("Upconfiguracao"),
                                 QStringLiteral("CONFIGURACOES"));
    DSconfiguracao = fonte(Configuracao, QStringLiteral("DSconfiguracao"));

    Tipo = novoConjunto(QStringLiteral("Tipo"), QStringLiteral("select *  from TIPO"));
    TipoID_TIPO = campo(Tipo, QStringLiteral("ID_TIPO"), T::Inteiro);
    TipoTIPO = campo(Tipo, QStringLiteral("TIPO"), T::Texto, 10);
    Uptipo = atualizacao(Tipo, QStringLiteral("Uptipo"), QStringLiteral("TIPO"));
    DStipo = fonte(Tipo, QStringLiteral("DStipo"));

    // Exported documents name the issuer as their author.
    Exportacoes.autorPadrao = [this] { return nomeDoEmitente(); };

    Base->configurar(acesso.banco, acesso.usuario, acesso.senha, acesso.papel);
    // The attach started in advance goes on while the remaining windows are built.
    if (Fb::conexaoAntecipada(acesso.banco))
        return;
    try {
        Base->conectar();
        Tra->iniciar();
    } catch (const ErroSistema &) {
        // Silent on purpose: the first open tries again and raises the error.
    }
}

TDatamodule1::~TDatamodule1() {
    // Cursors and prepared statements go before the transaction ends and the
    // connection closes; the transaction commits what is still pending.
    m_cmdClientePorCpfCnpj.reset();
    for (Conjunto *c : {Clientes, Emitente, Recibos, Configuracao, Tipo})
        delete c;
    Tra.reset();
    Base.reset();
}

void TDatamodule1::garantirConexao() {
    if (!Base->conectada())
        Base->conectar();
    if (!Tra->ativa())
        Tra->iniciar();
}

QString TDatamodule1::nomeDoEmitente() {
    try {
        garantirConexao();
        const Fb::Linha linha =
            Fb::Comando(*Tra, QStringLiteral("SELECT FIRST 1 EMITENTE FROM EMITENTE ORDER BY "
                                             "ID_EMITENTE"))
                .executar();
        return linha.empty() ? QString() : linha[0].toString().trimmed();
    } catch (const ErroSistema &) {
        // A document without an author is no reason to refuse the export.
        return {};
    }
}

std::optional<ClienteCadastrado> TDatamodule1::clientePorCpfCnpj(const QString &cpfCnpj) {
    // A text the column cannot hold is registered by nobody.
    if (cpfCnpj.isEmpty() || cpfCnpj.size() > ClientesCPFCNPJ->tamanho() ||
        Win1252::primeiroRecusadoEmValor(cpfCnpj))
        return std::nullopt;
    garantirConexao();
    if (!m_cmdClientePorCpfCnpj)
        m_cmdClientePorCpfCnpj = std::make_unique<Fb::Comando>(
            *Tra,
            QStringLiteral("SELECT ID_CLIENTE, CLIENTE FROM CLIENTES WHERE CPFCNPJ = :CPFCNPJ"));
    Fb::Comando &cmd = *m_cmdClientePorCpfCnpj;
    cmd.definir(QStringLiteral("CPFCNPJ"), cpfCnpj);
    std::optional<ClienteCadastrado> achado;
    cmd.abrirCursor();
    for (Fb::Linha linha; cmd.buscar(linha);)
        if (!achado || linha[0].toInt() < achado->id)
            achado = ClienteCadastrado{linha[0].toInt(), linha[1].toString()};
    return achado;
}
