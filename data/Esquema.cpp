#include "Esquema.h"

#include "Datamodule1.h"
#include "ErroSistema.h"
#include "Firebird.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const char *const k_definicoes[] = {
    "CREATE TABLE CLIENTES (ID_CLIENTE INTEGER NOT NULL PRIMARY KEY, CLIENTE VARCHAR(50),"
    " EMAIL VARCHAR(60), EMAIL2 VARCHAR(60), TELEFONE VARCHAR(20), TELEFONE2 VARCHAR(20),"
    " OBS VARCHAR(100), ENDERECO VARCHAR(60), BAIRRO VARCHAR(30), CEP VARCHAR(10),"
    " CIDADE VARCHAR(40), UF VARCHAR(2), DATANASCIMENTO DATE, CPFCNPJ VARCHAR(20),"
    " PADRAO CHAR(1))",
    "CREATE TABLE EMITENTE (ID_EMITENTE INTEGER NOT NULL PRIMARY KEY, EMITENTE VARCHAR(50),"
    " CPFCNPJ VARCHAR(20), CIDADE VARCHAR(40), FOTO_MARC BLOB SUB_TYPE 0 SEGMENT SIZE 32768)",
    "CREATE TABLE RECIBOS (ID_RECIBO INTEGER NOT NULL PRIMARY KEY, EMITENTE VARCHAR(50),"
    " CLIENTE VARCHAR(50), VALOR NUMERIC(18,2), VALOREXTENSO VARCHAR(200),"
    " DATARECIBO VARCHAR(100), LOCAL VARCHAR(30), CPFCNPJCLIENTE VARCHAR(20),"
    " CPFCNPJEMITENTE VARCHAR(20), REFERENTE VARCHAR(100), OBS VARCHAR(100), DATA DATE,"
    " HORA TIME, TIPO VARCHAR(10))",
    "CREATE TABLE CONFIGURACOES (ID_CONFIGURACAO INTEGER NOT NULL PRIMARY KEY,"
    " CONFIGURACAO1 CHAR(1), CONFIGURACAO2 CHAR(1), CONFIGURACAO3 CHAR(1))",
    "CREATE TABLE TIPO (ID_TIPO INTEGER NOT NULL PRIMARY KEY, TIPO VARCHAR(10))",
    // The orders the windows ask for: clients by name, newest receipt first.
    "CREATE INDEX IX_CLIENTES_CLIENTE ON CLIENTES (CLIENTE)",
    "CREATE INDEX IX_CLIENTES_CPFCNPJ ON CLIENTES (CPFCNPJ)",
    "CREATE DESCENDING INDEX IX_RECIBOS_ID_DESC ON RECIBOS (ID_RECIBO)",
    "CREATE INDEX IX_RECIBOS_CLIENTE ON RECIBOS (CLIENTE)",
    "CREATE INDEX IX_RECIBOS_DATA ON RECIBOS (DATA)",
    "CREATE GENERATOR GEN_CLIENTES_ID",
    "CREATE GENERATOR GEN_EMITENTES_ID",
    "CREATE GENERATOR GEN_RECIBOS_ID",
};

} // namespace

namespace {

void preencherBanco(Fb::Conexao &base, Esquema::Modo modo, const QStringList &definicoes) {
    for (const QString &ddl : definicoes)
        base.executarDdl(ddl);

    Fb::Transacao tra(base);
    tra.iniciar();
    const QString modoInicial =
        modo == Esquema::Modo::Simples ? QStringLiteral("N") : QStringLiteral("Y");
    Fb::Comando config(tra, QStringLiteral("INSERT INTO CONFIGURACOES (ID_CONFIGURACAO, "
                                           "CONFIGURACAO1, CONFIGURACAO2, CONFIGURACAO3) "
                                           "VALUES (1, :MODO, 'N', 'N')"));
    config.definir(QStringLiteral("MODO"), modoInicial);
    config.executar();
    Fb::Comando(tra, QStringLiteral("INSERT INTO TIPO (ID_TIPO, TIPO) VALUES (1, 'DEVEDOR')"))
        .executar();
    Fb::Comando(tra, QStringLiteral("INSERT INTO TIPO (ID_TIPO, TIPO) VALUES (2, 'CREDOR')"))
        .executar();
    tra.commit();
}

} // namespace

namespace Esquema {

QStringList definicoes() {
    QStringList lista;
    for (const char *ddl : k_definicoes)
        lista << QString::fromLatin1(ddl);
    return lista;
}

void criarBanco(const QString &caminho, Modo modo) {
    criarBanco(caminho, modo, definicoes());
}

void criarBanco(const QString &caminho, Modo modo, const QStringList &definicoes) {
    if (QFileInfo::exists(caminho))
        throw ErroSistema(QStringLiteral("O arquivo \"%1\" já existe. Nada foi alterado: "
                                         "apague ou mova o arquivo antes de criar um banco novo.")
                              .arg(QDir::toNativeSeparators(caminho)));
    const QString pasta = QFileInfo(caminho).absolutePath();
    if (!QDir().mkpath(pasta))
        throw ErroSistema(QStringLiteral("Não foi possível criar a pasta \"%1\".")
                              .arg(QDir::toNativeSeparators(pasta)));

    Fb::Conexao base;
    base.configurar(caminho, QString::fromLatin1(TDatamodule1::usuario()),
                    QString::fromLatin1(TDatamodule1::senha()));
    base.criar();
    try {
        preencherBanco(base, modo, definicoes);
    } catch (const ErroSistema &) {
        // A half-made file would refuse every later attempt: it goes, and
        // the error that stopped the creation is the one told.
        try {
            base.apagar();
        } catch (const ErroSistema &) {
            try {
                base.desconectar();
            } catch (const ErroSistema &) {
            }
            QFile::remove(caminho);
        }
        throw;
    }
}

} // namespace Esquema

namespace {

const char *const k_tabelas[] = {"CLIENTES", "EMITENTE", "RECIBOS", "CONFIGURACOES", "TIPO"};
const char *const k_geradores[] = {"GEN_CLIENTES_ID", "GEN_EMITENTES_ID", "GEN_RECIBOS_ID"};

// A literal of SQL for a text.
QString literal(const QString &texto) {
    QString t = texto;
    return u'\'' + t.replace(u'\'', QStringLiteral("''")) + u'\'';
}

void exigirContasValidas(const QList<Esquema::Conta> &contas) {
    QStringList nomes;
    for (const Esquema::Conta &c : contas)
        nomes << c.nome;
    Esquema::verificarNomesDeConta(nomes);
    for (const Esquema::Conta &c : contas)
        if (c.senha.isEmpty())
            throw ErroSistema(QStringLiteral("A conta %1 precisa de uma senha.").arg(c.nome));
}

void darPapel(Fb::Conexao &base) {
    const QString papel = AcessoBanco::papelDasMesas();
    base.executarDdl(QStringLiteral("CREATE ROLE %1").arg(papel));
    for (const char *tabela : k_tabelas)
        base.executarDdl(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1 TO ROLE %2")
                             .arg(QLatin1String(tabela), papel));
    for (const char *gerador : k_geradores)
        base.executarDdl(QStringLiteral("GRANT USAGE ON GENERATOR %1 TO ROLE %2")
                             .arg(QLatin1String(gerador), papel));
}

void cadastrarEm(Fb::Conexao &base, const QList<Esquema::Conta> &contas) {
    for (const Esquema::Conta &c : contas) {
        base.executarDdl(QStringLiteral("CREATE OR ALTER USER %1 PASSWORD %2 USING PLUGIN Srp")
                             .arg(c.nome, literal(c.senha)));
        base.executarDdl(
            QStringLiteral("GRANT %1 TO USER %2").arg(AcessoBanco::papelDasMesas(), c.nome));
    }
}

} // namespace

namespace Esquema {

void verificarNomesDeConta(const QStringList &nomes) {
    static const QRegularExpression valido(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,30}$"));
    for (const QString &nome : nomes)
        if (!valido.match(nome).hasMatch())
            throw ErroSistema(QStringLiteral("\"%1\" não serve de nome de conta: use de 1 a 31 "
                                             "letras sem acento, algarismos ou \"_\", começando "
                                             "por uma letra.")
                                  .arg(nome));
}

void criarNoServidor(const AcessoBanco &admin, Modo modo, const QList<Conta> &contas) {
    exigirContasValidas(contas);
    Fb::Conexao base;
    base.configurar(admin.banco, admin.usuario, admin.senha);
    base.criar();
    try {
        preencherBanco(base, modo, definicoes());
        darPapel(base);
        cadastrarEm(base, contas);
    } catch (const ErroSistema &) {
        // Half a register on the server would refuse the next attempt: it goes.
        try {
            base.apagar();
        } catch (const ErroSistema &) {
        }
        throw;
    }
}

void cadastrarContas(const AcessoBanco &admin, const QList<Conta> &contas) {
    exigirContasValidas(contas);
    Fb::Conexao base;
    base.configurar(admin.banco, admin.usuario, admin.senha);
    base.conectar();
    cadastrarEm(base, contas);
}

} // namespace Esquema
