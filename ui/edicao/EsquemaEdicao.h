#pragma once
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtWidgets/QAbstractButton>
#include <functional>

class Conjunto;
class QKeyEvent;
class QLineEdit;
class QWidget;

// How a record window edits the current record of its table's shared dataset: a browsing and
// an editing layout switched by restaura, the button column's steps (Novo, Alterar, Salvar,
// Cancelar, Excluir, Sair), Enter moving on as Tab and Escape closing nothing. The window
// keeps its handlers (BTsalvarClick...) and calls these steps from them; what differs between
// windows is set in the public members below.
class EsquemaEdicao : public QObject {
    Q_OBJECT
public:
    // listaRestaura: exactly the controls whose enabled state differs between the layouts.
    // Salvar tells the layouts apart and, with Cancelar, is clicked by Sair.
    EsquemaEdicao(QWidget *janela, QAbstractButton *BTsalvar, QAbstractButton *BTcancelar,
                  const QList<QWidget *> &listaRestaura);
    ~EsquemaEdicao() override;

    // The window's shared dataset, asked for at each step (the data module may be created
    // after the window).
    std::function<Conjunto *()> conjunto;
    // Commit retaining of the shared transaction after a save or a delete: what the user is
    // told is done is permanent.
    std::function<void()> confirmar;
    // Default values of a new record, run right after the insert.
    std::function<void()> padroes;
    // The window's own check before a save: shows its message, puts the focus, returns false
    // to refuse. Empty: no check.
    std::function<bool()> verificar;
    // Where the focus goes after Novo and Alterar.
    QPointer<QWidget> primeiroCampo;
    // Sair while editing closes at once, storing nothing, when this field is empty; null
    // means Sair always asks.
    QPointer<QLineEdit> campoChave;
    QString mensagemSalvo;   // "Cliente salvo"
    QString perguntaExcluir; // "Deseja excluir o Cliente?"

    // Inverts the enabled state of every control of the list.
    void restaura();
    // Sets (not inverts) the enabled state: what FormShow does for the browsing layout.
    static void habilitar(const QList<QWidget *> &controles, bool habilitado);
    // The window is editing while its Salvar button is enabled.
    bool editando() const;

    void novo();     // insert, defaults, restaura, focus
    void alterar();  // edit (insert on an empty dataset), restaura, focus
    void salvar();   // check, edit, post, commit, message, restaura
    void cancelar(); // cancel, restaura
    void excluir();  // question; Yes deletes and commits
    // While editing: an empty key field closes at once; otherwise asks whether to save and
    // clicks Salvar or Cancelar. Then closes the window. A question put away, or a save that
    // fails, leaves the window open as it was.
    void sair();
    // A change made to the record while the window keeps its browsing layout (the receipt
    // window's party filled from the client search): before `acao` ("Sair", "Consultar") the
    // user is asked whether to save it; Sim saves and commits, Não drops it. False when the
    // question was put away: nothing is done then.
    bool resolverPendente(const QString &acao);
    // Sair asks about such a change too.
    bool pendenteSemEdicao = false;

    // Enter as Tab: the focus moves to the next enabled tab stop of the window, wrapping.
    // True when the key was Enter and was swallowed.
    bool FormKeyPress(QKeyEvent *evento);
    static bool focarProximo(QWidget *janela);

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    Conjunto &dataset() const;
    void focarPrimeiro();

    QWidget *m_janela;
    QPointer<QAbstractButton> m_salvar;
    QPointer<QAbstractButton> m_cancelar;
    QList<QPointer<QWidget>> m_lista;
};
