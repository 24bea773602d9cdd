#pragma once
#include "OrigemDeLinhas.h"

#include <QHash>

class ConsultaRelatorio;

// Shows a report query of the data module to a layout as its row source: the
// engine reads each row as the query fetches it, nothing is copied first, so
// the preview has its first page while later rows are still being read. Like
// the report service, it neither opens nor closes the query; a closed query
// has no rows.
class OrigemConsulta : public OrigemDeLinhas {
public:
    explicit OrigemConsulta(ConsultaRelatorio *consulta = nullptr) : m_consulta(consulta) {}

    void usar(ConsultaRelatorio *consulta);
    ConsultaRelatorio *consulta() const { return m_consulta; }

    // On a query already read from, a new run of the layout reads it again
    // from its first row.
    bool primeira() override;
    bool proxima() override;
    bool temCampo(const QString &campo) const override;
    QVariant valor(const QString &campo) const override;

private:
    int indice(const QString &campo) const;

    ConsultaRelatorio *m_consulta;
    // The layout names the same few fields on every row: their columns by the name as written.
    mutable QHash<QString, int> m_indices;
};
