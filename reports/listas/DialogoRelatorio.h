#pragma once
#include "Janela.h"
#include "OrigemConsulta.h"

#include <QStringList>
#include <functional>
#include <memory>

class CampoData;
class ConsultaRelatorio;
class QKeyEvent;
class QPushButton;
class Relatorio;

// What the dialogs of the list reports share: the report query ibqRelatorio, the link
// fdsEvento that shows it to the layout under the alias "ibqEvento", the layout frpEvento,
// the keys (the window sees them first: Enter moves on as Tab and presses "Visualizar" when
// it has the focus) and the steps of "Visualizar".
class DialogoRelatorio : public JanelaFixa {
    Q_OBJECT
public:
    ~DialogoRelatorio() override;

    Relatorio &relatorio() { return *frpEvento; }
    // The report query, made on first use over the data module's connection.
    ConsultaRelatorio &consulta();

    // The SQL text of the client dataset while a report dialog has been shown last.
    static const QStringList &sqlClientesPorNome();

protected:
    DialogoRelatorio(const QString &layout, QStringList sql, QWidget *parent);

    // Called once the form is set up, with the window's "Visualizar", first in the tab order
    // and focused at each showing, and the period's two date pickers (none for a report
    // without a period).
    void prepararTeclas(QPushButton *visualizar, CampoData *inicio, CampoData *fim);
    // The period typed: both dates as typed, or ErroSistema naming the one that names no date,
    // with the focus put in it.
    QDate inicio() const;
    QDate fim() const;
    // The shared client dataset, closed and opened again over every client in name order.
    static void abrirClientesPorNome();
    // Before the query is opened: a dialog may choose there how its query is written.
    virtual void escolherSql() {}
    // Another text for the report query, which is made anew on its next use.
    void trocarSql(const QStringList &sql);
    // The steps of "Visualizar": disable it, close the query, set its parameters, open it,
    // show the report, enable it. A date that does not exist stops it before the first step,
    // with its message. An error opening the query stops the steps and leaves the
    // button disabled until the window is shown again; an error preparing the report is told
    // by the report service, and the button comes back.
    void visualizar(const std::function<void(ConsultaRelatorio &)> &parametros);

    void showEvent(QShowEvent *evento) override;
    bool eventFilter(QObject *objeto, QEvent *evento) override;
    bool FormKeyPress(QKeyEvent *evento);

    std::unique_ptr<Relatorio> frpEvento;
    OrigemConsulta fdsEvento;
    std::unique_ptr<ConsultaRelatorio> ibqRelatorio;

private:
    QStringList m_sql;
    QPushButton *m_visualizar = nullptr;
    CampoData *m_inicio = nullptr;
    CampoData *m_fim = nullptr;
};
