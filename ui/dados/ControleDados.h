#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "Conjunto.h"

class QWidget;

// What every data-aware control shares: it names a data source of the data module and one of
// its fields, and is bound when the data module exists (the client registry is created before
// it). Windows call vincularControles() before they are shown.
class ControleDados {
public:
    virtual ~ControleDados() = default;
    // Resolves the data source's name among the module's children; binding again to another
    // module (a new database in tests) drops the old binding.
    virtual void vincular(QObject *modulo) = 0;
};

// Binds every data-aware control of a window to the module's data sources.
void vincularControles(QWidget *janela, QObject *modulo);

// A control's link to one field: follows the dataset and tells the control when to show the
// field again and when to hand over what the user typed.
class LigacaoCampo : public QObject, public EntregadorTexto {
    Q_OBJECT
public:
    explicit LigacaoCampo(QObject *controle) : QObject(controle) {}
    ~LigacaoCampo() override;

    QString nomeFonte;
    QString nomeCampo;

    void vincular(QObject *modulo);
    void vincular(FonteDados *fonte, const QString &campo);

    FonteDados *fonte() const { return m_fonte; }
    Conjunto *conjunto() const;
    Campo *campo() const { return m_campo; }
    // The dataset is open and the field exists: the control may show and take a value.
    bool ativa() const;
    // Puts the dataset into editing when the data source allows it, as typing into a bound
    // control does; true when the record is then pending.
    bool iniciarEdicao();
    bool emEdicao() const;

    // Called when the field's value must be shown again (record moved, state changed, field
    // written elsewhere); not while the control itself is starting the edit.
    std::function<void()> aoMostrar;
    // Called when the record is about to be posted; may throw ErroSistema to refuse the post.
    // The dataset asks every bound control in turn, also after one refused.
    std::function<void()> aoEntregar;
    void entregarPendente() override;

private:
    void mostrar();

    QPointer<FonteDados> m_fonte;
    QPointer<Conjunto> m_entregaEm; // the dataset this link is registered with
    QPointer<Campo> m_campo;
    QList<QMetaObject::Connection> m_conexoes;
    bool m_iniciando = false;
};
