#pragma once
#include "Datamodule1.h"
#include "Dinheiro.h"
#include "Esquema.h"
#include "Firebird.h"

#include <QTemporaryDir>
#include <memory>

// A fresh database file in a temporary folder, and a data module on it. The tests of the
// windows reach the engine's wrapper only through this fixture: to arrange rows and to read,
// from outside the windows, what they stored.
class BancoTeste {
public:
    explicit BancoTeste(Esquema::Modo modo = Esquema::Modo::Completo) {
        Esquema::criarBanco(caminho(), modo);
    }
    QString caminho() const { return m_pasta.filePath(QStringLiteral("DADOS.GDB")); }
    std::unique_ptr<TDatamodule1> abrir() const {
        return std::make_unique<TDatamodule1>(caminho());
    }

    // A connection of its own, as another program would have.
    static std::unique_ptr<Fb::Conexao> conectarDireto(const QString &caminho) {
        auto base = std::make_unique<Fb::Conexao>();
        base->configurar(caminho, QString::fromLatin1(TDatamodule1::usuario()),
                         QString::fromLatin1(TDatamodule1::senha()));
        base->conectar();
        return base;
    }

    // Receipts and clients written through a connection of their own, as the program would
    // leave them; amounts vary so that their sum tells one database from another.
    static void preencher(const QString &caminho, int recibos, int clientes = 0) {
        auto base = conectarDireto(caminho);
        Fb::Transacao tra(*base);
        tra.iniciar();
        Fb::Comando recibo(tra,
                           QStringLiteral("INSERT INTO RECIBOS (ID_RECIBO, CLIENTE, VALOR, TIPO) "
                                          "VALUES (GEN_ID(GEN_RECIBOS_ID, 1), :C, :V, 'DEVEDOR')"));
        for (int i = 0; i < recibos; ++i) {
            recibo.definir(QStringLiteral("C"), QStringLiteral("Cliente %1").arg(i));
            recibo.definir(QStringLiteral("V"),
                           QVariant::fromValue(Dinheiro::deCentavos(1001 + i % 100000)));
            recibo.executar();
        }
        Fb::Comando cliente(tra, QStringLiteral("INSERT INTO CLIENTES (ID_CLIENTE, CLIENTE) VALUES "
                                                "(GEN_ID(GEN_CLIENTES_ID, 1), :C)"));
        for (int i = 0; i < clientes; ++i) {
            cliente.definir(QStringLiteral("C"), QStringLiteral("Cliente %1").arg(i));
            cliente.executar();
        }
        tra.commit();
    }

private:
    QTemporaryDir m_pasta;
};
