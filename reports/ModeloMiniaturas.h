#pragma once
#include <QAbstractListModel>
#include <QHash>
#include <QPixmap>

struct RelatorioPreparado;

// Page thumbnails for the preview's side panel, drawn only when a row comes into view.
class ModeloMiniaturas : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;
    void definir(const RelatorioPreparado *relatorio, int quantidade);
    void definirQuantidade(int quantidade);
    int rowCount(const QModelIndex &pai = {}) const override;
    QVariant data(const QModelIndex &indice, int papel) const override;

private:
    const RelatorioPreparado *m_relatorio = nullptr;
    int m_quantidade = 0;
    mutable QHash<int, QPixmap> m_cache;
};
