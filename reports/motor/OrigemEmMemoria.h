#pragma once
#include "OrigemDeLinhas.h"

#include <QList>
#include <QStringList>
#include <QVariantList>

// Rows kept in memory: for tests, benchmarks and small lists built by the program.
class OrigemEmMemoria : public OrigemDeLinhas {
public:
    OrigemEmMemoria() = default;
    explicit OrigemEmMemoria(QStringList campos) : m_campos(std::move(campos)) {}

    void adicionar(QVariantList linha) { m_linhas.push_back(std::move(linha)); }
    qsizetype quantidade() const { return m_linhas.size(); }

    bool primeira() override {
        m_atual = 0;
        return !m_linhas.isEmpty();
    }
    bool proxima() override { return ++m_atual < m_linhas.size(); }
    bool temCampo(const QString &campo) const override { return indice(campo) >= 0; }
    QVariant valor(const QString &campo) const override {
        const qsizetype i = indice(campo);
        if (i < 0 || m_atual < 0 || m_atual >= m_linhas.size())
            return {};
        return m_linhas[m_atual].value(i);
    }

private:
    qsizetype indice(const QString &campo) const {
        for (qsizetype i = 0; i < m_campos.size(); ++i)
            if (m_campos[i].compare(campo, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    QStringList m_campos;
    QList<QVariantList> m_linhas;
    qsizetype m_atual = -1;
};
