#pragma once
#include "ControleDados.h"

#include <QtWidgets/QCheckBox>

// A check box bound to a one-character flag: checked when the field holds valueChecked,
// unchecked for valueUnchecked, undetermined for anything else (blank and NULL included).
// Clicking it starts the edit and writes valueChecked or valueUnchecked at once.
class TDBCheckBox : public QCheckBox, public ControleDados {
    Q_OBJECT
    Q_PROPERTY(QString dataSource READ dataSource WRITE setDataSource)
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
    Q_PROPERTY(QString valueChecked READ valueChecked WRITE setValueChecked)
    Q_PROPERTY(QString valueUnchecked READ valueUnchecked WRITE setValueUnchecked)
public:
    explicit TDBCheckBox(QWidget *parent = nullptr);

    QString dataSource() const { return m_ligacao->nomeFonte; }
    void setDataSource(const QString &nome) { m_ligacao->nomeFonte = nome; }
    QString dataField() const { return m_ligacao->nomeCampo; }
    void setDataField(const QString &nome) { m_ligacao->nomeCampo = nome; }
    QString valueChecked() const { return m_marcado; }
    void setValueChecked(const QString &v) { m_marcado = v; }
    QString valueUnchecked() const { return m_desmarcado; }
    void setValueUnchecked(const QString &v) { m_desmarcado = v; }

    void vincular(QObject *modulo) override;
    Campo *campo() const { return m_ligacao->campo(); }

private:
    void mostrarValor();
    void clicado(bool marcado);

    LigacaoCampo *m_ligacao;
    QString m_marcado = QStringLiteral("Y");
    QString m_desmarcado = QStringLiteral("N");
};
