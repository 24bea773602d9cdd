#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace Fb {
class Transacao;
class Comando;
} // namespace Fb

// The query of a list report: fixed SQL with named parameters, read-only, run
// in the data module's one transaction. Rows are fetched one at a time as they
// are read and only the current one is kept, so a long result costs no memory
// and its first rows are there before the last are read.
class ConsultaRelatorio {
public:
    ConsultaRelatorio(Fb::Transacao &tra, QStringList sql);
    ~ConsultaRelatorio();
    ConsultaRelatorio(const ConsultaRelatorio &) = delete;
    ConsultaRelatorio &operator=(const ConsultaRelatorio &) = delete;

    const QStringList &sql() const { return m_sql; }

    // A value for :NOME, used from the next opening on.
    void definirParametro(const QString &nome, const QVariant &valor);

    // Runs the statement with the parameters set; the query stands before its
    // first row. Already open, it stays as it is.
    void abrir();
    void fechar();
    bool aberta() const { return m_aberta; }
    // Runs the open query again from before its first row, same parameters.
    void reiniciar();

    // Moves to the next row; false after the last (the query stays open).
    bool proxima();
    // Rows read since the query was opened or run again.
    qint64 lidas() const { return m_lidas; }

    // The column names of the select list, known once it has been opened.
    const QStringList &campos() const { return m_campos; }
    // The column with that name, letter case ignored; -1 when there is none.
    int indiceCampo(const QString &nome) const;
    // A value of the current row; invalid when NULL or when there is no row.
    QVariant valor(int campo) const;

private:
    Fb::Transacao &m_tra;
    QStringList m_sql;
    QHash<QString, QVariant> m_parametros;
    std::unique_ptr<Fb::Comando> m_comando;
    QStringList m_campos;
    std::vector<QVariant> m_linha;
    qint64 m_lidas = 0;
    bool m_aberta = false;
};
