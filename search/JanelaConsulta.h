#pragma once
#include "BuscaEmSegundoPlano.h"
#include "Janela.h"

#include <QList>
#include <QPointer>

class QAbstractButton;
class QLabel;
class QKeyEvent;
class QLineEdit;
class TDBGrid;

// What the search windows share: search boxes that turn every letter to upper case as it is
// typed, the window seeing every key before its controls (Esc closes, Down goes to the grid),
// a double click anywhere in the grid, "Sair", and FormShow / FormClose on every opening and
// every way of closing (Esc, "Sair", a choice, the close box). Searches run while the user
// types (BuscaEmSegundoPlano): a long one shows "Buscando..." over the grid, and any other
// action of the window (a key in the grid, a click, closing) first waits for the rows of the
// text typed.
class JanelaConsulta : public JanelaFixa {
    Q_OBJECT
public:
    using JanelaFixa::JanelaFixa;

    void done(int resultado) override;

    // Waits for the search of the text typed and shows its rows.
    void concluirBusca();
    bool buscaEmAndamento() const { return m_busca.emAndamento(); }

protected:
    // Called by the window once its form is set up.
    void prepararConsulta(TDBGrid *grade, QAbstractButton *sair, const QList<QLineEdit *> &caixas);

    virtual void FormShow() = 0;
    virtual void FormClose() = 0;
    virtual void DBGrid1DblClick() = 0;
    // A character typed while the grid has the focus (Esc and Tab are no characters here).
    virtual void DBGrid1KeyPress(QKeyEvent *tecla) = 0;
    void SpeedButton6Click();
    // Esc closes the window; Down in a search box puts the focus in the grid. True when the
    // key was taken.
    bool FormKeyDown(QKeyEvent *tecla);

    // Empties a search box without running its search.
    static void esvaziar(QLineEdit *caixa);
    // Starts the search of a box; its rows come when it ends.
    void buscar(Consultas::Busca busca, const QString &texto);

    void showEvent(QShowEvent *evento) override;
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    void mostrarBuscando(bool buscando);

    BuscaEmSegundoPlano m_busca;
    QLabel *m_buscando = nullptr;
    QPointer<TDBGrid> m_grade;
    QList<QLineEdit *> m_caixas;
};
