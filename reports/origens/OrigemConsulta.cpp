#include "OrigemConsulta.h"

#include "ConsultaRelatorio.h"

void OrigemConsulta::usar(ConsultaRelatorio *consulta) {
    m_consulta = consulta;
    m_indices.clear();
}

bool OrigemConsulta::primeira() {
    if (!m_consulta || !m_consulta->aberta())
        return false;
    if (m_consulta->lidas() > 0)
        m_consulta->reiniciar();
    return m_consulta->proxima();
}

bool OrigemConsulta::proxima() {
    return m_consulta && m_consulta->proxima();
}

int OrigemConsulta::indice(const QString &campo) const {
    if (!m_consulta)
        return -1;
    const auto it = m_indices.constFind(campo);
    if (it != m_indices.cend())
        return *it;
    const int i = m_consulta->indiceCampo(campo);
    // Columns are known once the query has been opened; until then nothing is kept.
    if (!m_consulta->campos().isEmpty())
        m_indices.insert(campo, i);
    return i;
}

bool OrigemConsulta::temCampo(const QString &campo) const {
    return indice(campo) >= 0;
}

QVariant OrigemConsulta::valor(const QString &campo) const {
    return m_consulta ? m_consulta->valor(indice(campo)) : QVariant();
}
