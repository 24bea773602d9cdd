#pragma once
#include "Datamodule1.h"
#include "Esquema.h"

#include <QTemporaryDir>
#include <memory>

// A fresh database file in a temporary folder, and a data module on it.
class BancoTeste {
public:
    explicit BancoTeste(Esquema::Modo modo = Esquema::Modo::Completo)
    {
        Esquema::criarBanco(caminho(), modo);
    }
    QString caminho() const { return m_pasta.filePath(QStringLiteral("DADOS.GDB")); }
    std::unique_ptr<TDatamodule1> abrir() const { return std::make_unique<TDatamodule1>(caminho()); }

private:
    QTemporaryDir m_pasta;
};
