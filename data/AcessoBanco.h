#pragma once
#include <QString>

// Where this desk's register lives and the account it enters with. Without a setting it is
// the embedded file ~/Talvano/DADOS.GDB, as a single desk has always worked. An office that
// shares one register through a Firebird server writes, once per desk, the server's address
// and the desk's account in ~/.config/Talvano/servidor.conf (created readable by its owner
// alone, since it holds the password), or gives the address in TALVANO_SERVIDOR.
struct AcessoBanco {
    QString banco;   // a file path, or "servidor:/caminho/DADOS.GDB" ("servidor/porta:...")
    QString usuario; // the account
    QString senha;
    QString papel; // the role that holds the rights on the tables, on a server

    bool noServidor() const;
    // The server part of a server address ("escritorio", "192.168.0.10/3051"); empty for a file.
    QString servidor() const;
    // The database file: the path after the server's name, or the file itself.
    QString caminho() const;
    // The database as the user reads it in a message.
    QString descricao() const;

    // The embedded file, with the fixed local account.
    static AcessoBanco local(const QString &caminho);
    // This desk's register: TALVANO_SERVIDOR, else the setting file, else the embedded default.
    // Throws ErroSistema when the setting cannot be used (a password file others can read, a
    // server address without an account), saying why and how to mend it.
    static AcessoBanco daMesa();
    // The database at `banco`: a file with the local account, or a server address with the
    // account of this desk's setting (the desk's own server, or another a tool was given).
    static AcessoBanco para(const QString &banco);

    // Whether a text is a server address rather than a file path.
    static bool enderecoDeServidor(const QString &banco);
    // The setting file of this desk.
    static QString arquivoDaMesa();
    // Writes the setting file (mode 0600 from its creation, replaced whole or not at all).
    static void gravarMesa(const AcessoBanco &acesso, const QString &arquivo = arquivoDaMesa());

    // The role every desk account is granted, and connects with.
    static QString papelDasMesas() { return QStringLiteral("TALVANO"); }
};
