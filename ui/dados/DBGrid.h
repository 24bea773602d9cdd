#pragma once
#include "ControleDados.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QtWidgets/QTableView>

class Campo;

// The rows of a dataset as a read-only table: rows are fetched from the statement only as the
// view asks for them (canFetchMore/fetchMore), and inserted, removed or changed records show
// at once. Columns are the named fields, or every non-binary field.
class ModeloConjunto : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ModeloConjunto(QObject *parent = nullptr);

    void definirConjunto(Conjunto *conjunto, const QStringList &colunas = {});
    // The columns' titles, in their order; a column without one is titled by its field.
    void definirTitulos(const QStringList &titulos);
    Conjunto *conjunto() const { return m_conjunto; }
    Campo *campoDaColuna(int coluna) const { return m_campos.value(coluna); }
    // Rows fetched per call of fetchMore: a screen of the grid, so that scrolling reads what
    // it shows and no more.
    void definirPasso(int linhas) { m_passo = qMax(1, linhas); }
    int passo() const { return m_passo; }

    int rowCount(const QModelIndex &pai = {}) const override;
    int columnCount(const QModelIndex &pai = {}) const override;
    QVariant data(const QModelIndex &indice, int papel = Qt::DisplayRole) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao,
                        int papel = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &pai) const override;
    void fetchMore(const QModelIndex &pai) override;
    // As the standard search, over the rows read so far; when they hold too few matches, the
    // dataset reads on until they come or the statement ends (a picker typed into finds a
    // name not yet read).
    QModelIndexList match(const QModelIndex &inicio, int papel, const QVariant &valor,
                          int quantos = 1,
                          Qt::MatchFlags opcoes = Qt::MatchFlags(Qt::MatchStartsWith |
                                                                 Qt::MatchWrap)) const override;

private:
    void reiniciar();
    void acrescentadas(int primeira, int ultima);
    void inserida(int linha);
    void removida(int linha);
    void atualMudou();

    QPointer<Conjunto> m_conjunto;
    QStringList m_nomes;
    QStringList m_titulos;
    QList<Campo *> m_campos;
    int m_linhas = 0;
    int m_passo = 25;
    QList<QMetaObject::Connection> m_conexoes;
};

// A read-only grid over a data source: its current row follows the dataset's current record,
// and clicking a row makes that record current.
class TDBGrid : public QTableView, public ControleDados {
    Q_OBJECT
    Q_PROPERTY(QString dataSource READ dataSource WRITE setDataSource)
    Q_PROPERTY(QStringList columns READ columns WRITE setColumns)
    Q_PROPERTY(QStringList titles READ titles WRITE setTitles)
public:
    explicit TDBGrid(QWidget *parent = nullptr);

    QString dataSource() const { return m_nomeFonte; }
    void setDataSource(const QString &nome) { m_nomeFonte = nome; }
    QStringList columns() const { return m_colunas; }
    void setColumns(const QStringList &colunas) { m_colunas = colunas; }
    QStringList titles() const { return m_titulos; }
    void setTitles(const QStringList &titulos);
    // The columns' widths in pixels, kept when the dataset is reopened.
    void definirLarguras(const QList<int> &larguras);

    void vincular(QObject *modulo) override;
    void vincular(FonteDados *fonte);
    ModeloConjunto *modelo() const { return m_modelo; }
    // The rows a screen of the grid shows, and one more, so that a first reading of this many
    // fills the screen without asking for more at once.
    int linhasPorTela() const;

    static constexpr int k_larguraIndicador = 11;

protected:
    QModelIndex moveCursor(CursorAction acao, Qt::KeyboardModifiers modificadores) override;
    // Rows come and go with the dataset (a new record, a cancel, a delete); the view moves its
    // cursor then, which is not the user choosing a row.
    void rowsInserted(const QModelIndex &pai, int inicio, int fim) override;
    void rowsAboutToBeRemoved(const QModelIndex &pai, int inicio, int fim) override;
    void resizeEvent(QResizeEvent *evento) override;

private:
    void seguirRegistro();
    void linhaEscolhida(const QModelIndex &atual);
    void aplicarLarguras();

    QString m_nomeFonte;
    QStringList m_colunas;
    QStringList m_titulos;
    QList<int> m_larguras;
    ModeloConjunto *m_modelo;
    QPointer<FonteDados> m_fonte;
    QMetaObject::Connection m_registro;
    QMetaObject::Connection m_reiniciado;
    bool m_seguindo = false;
};
