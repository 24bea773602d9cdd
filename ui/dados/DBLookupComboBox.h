#pragma once
#include "ControleDados.h"

#include <QtWidgets/QComboBox>

// A lookup combo box: offers the rows of a list dataset (listSource, shown by listField) and
// writes the chosen row's keyField into the bound field; choosing starts the edit.
class TDBLookupComboBox : public QComboBox, public ControleDados {
    Q_OBJECT
    Q_PROPERTY(QString dataSource READ dataSource WRITE setDataSource)
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
    Q_PROPERTY(QString listSource READ listSource WRITE setListSource)
    Q_PROPERTY(QString keyField READ keyField WRITE setKeyField)
    Q_PROPERTY(QString listField READ listField WRITE setListField)
public:
    explicit TDBLookupComboBox(QWidget *parent = nullptr);

    QString dataSource() const { return m_ligacao->nomeFonte; }
    void setDataSource(const QString &nome) { m_ligacao->nomeFonte = nome; }
    QString dataField() const { return m_ligacao->nomeCampo; }
    void setDataField(const QString &nome) { m_ligacao->nomeCampo = nome; }
    QString listSource() const { return m_lista->nomeFonte; }
    void setListSource(const QString &nome) { m_lista->nomeFonte = nome; }
    QString keyField() const { return m_lista->nomeCampo; }
    void setKeyField(const QString &nome) { m_lista->nomeCampo = nome; }
    QString listField() const { return m_campoLista; }
    void setListField(const QString &nome) { m_campoLista = nome; }

    void vincular(QObject *modulo) override;
    Campo *campo() const { return m_ligacao->campo(); }

private:
    void mostrarValor();
    void recarregarLista();
    void escolhido(int indice);

    LigacaoCampo *m_ligacao;
    LigacaoCampo *m_lista;
    QString m_campoLista;
    bool m_recarregando = false;
};
