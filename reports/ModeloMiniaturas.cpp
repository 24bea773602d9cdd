#include "ModeloMiniaturas.h"

#include "PaginaPreparada.h"
#include "Renderizador.h"

void ModeloMiniaturas::definir(const RelatorioPreparado *relatorio, int quantidade) {
    beginResetModel();
    m_relatorio = relatorio;
    m_quantidade = relatorio ? qMin(quantidade, int(relatorio->paginas.size())) : 0;
    m_cache.clear();
    endResetModel();
}

void ModeloMiniaturas::definirQuantidade(int quantidade) {
    if (!m_relatorio)
        return;
    quantidade = qMin(quantidade, int(m_relatorio->paginas.size()));
    if (quantidade == m_quantidade)
        return;
    if (quantidade < m_quantidade) {
        definir(m_relatorio, quantidade);
        return;
    }
    beginInsertRows({}, m_quantidade, quantidade - 1);
    m_quantidade = quantidade;
    endInsertRows();
}

int ModeloMiniaturas::rowCount(const QModelIndex &pai) const {
    return pai.isValid() ? 0 : m_quantidade;
}

QVariant ModeloMiniaturas::data(const QModelIndex &indice, int papel) const {
    if (!m_relatorio || !indice.isValid() || indice.row() >= m_quantidade)
        return {};
    if (papel == Qt::DisplayRole)
        return QString::number(indice.row() + 1);
    if (papel == Qt::ToolTipRole)
        return QStringLiteral("Página %1").arg(indice.row() + 1);
    if (papel != Qt::DecorationRole)
        return {};
    auto it = m_cache.find(indice.row());
    if (it == m_cache.end()) {
        if (m_cache.size() > 200)
            m_cache.clear();
        it = m_cache.insert(
            indice.row(), QPixmap::fromImage(Renderizador::imagem(*m_relatorio, indice.row(), 12)));
    }
    return *it;
}
