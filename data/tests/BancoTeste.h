#pragma once
#include "Datamodule1.h"
#include "Esquema.h"
#include "fb/Firebird.h"

#include <QTemporaryDir>
#include <memory>

// A fresh database file in a temporary folder, and a data module on it.
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

private:
    QTemporaryDir m_pasta;
};
