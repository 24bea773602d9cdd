#include "DBGrid.h"

#include "Campo.h"
#include "Conjunto.h"
#include "Protegido.h"

#include <QScopedValueRollback>
#include <QtWidgets/QHeaderView>

ModeloConjunto::ModeloConjunto(QObject *parent) : QAbstractTableModel(parent) {}

void ModeloConjunto::definirConjunto(Conjunto *conjunto, const QStringList &colunas) {
    for (const auto &c : std::as_const(m_conexoes))
        disconnect(c);
    m_conexoes.clear();
    m_conjunto = conjunto;
    m_nomes = colunas;
    if (conjunto) {
        m_conexoes << connect(conjunto, &Conjunto::reiniciado, this, &ModeloConjunto::reiniciar)
                   << connect(conjunto, &Conjunto::linhasAcrescentadas, this,
                              &ModeloConjunto::acrescentadas)
                   << connect(conjunto, &Conjunto::linhaInserida, this, &ModeloConjunto::inserida)
                   << connect(conjunto, &Conjunto::linhaRemovida, this, &ModeloConjunto::removida)
                   << connect(conjunto, &Conjunto::campoMudou, this, &ModeloConjunto::atualMudou)
                   << connect(conjunto, &Conjunto::registroMudou, this,
                              &ModeloConjunto::atualMudou);
    }
    reiniciar();
}

void ModeloConjunto::definirTitulos(const QStringList &titulos) {
    m_titulos = titulos;
    if (!m_campos.isEmpty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_campos.size()) - 1);
}

void ModeloConjunto::reiniciar() {
    QList<Campo *> campos;
    if (m_conjunto) {
        if (m_nomes.isEmpty()) {
            for (Campo *c : m_conjunto->campos())
                if (c->tipo() != TipoCampo::Blob)
                    campos << c;
        } else {
            for (const QString &nome : std::as_const(m_nomes))
                if (Campo *c = m_conjunto->campo(nome))
                    campos << c;
        }
    }
    const int linhas = m_conjunto ? m_conjunto->linhasCarregadas() : 0;
    if (campos != m_campos || campos.isEmpty()) {
        beginResetModel();
        m_campos = campos;
        m_linhas = linhas;
        endResetModel();
        return;
    }
    // The same columns with other rows (a search typed on): rows go or come and the rest are
    // told changed, so the view keeps its columns and their widths instead of starting over.
    if (linhas < m_linhas) {
        beginRemoveRows({}, linhas, m_linhas - 1);
        m_linhas = linhas;
        endRemoveRows();
    } else if (linhas > m_linhas) {
        beginInsertRows({}, m_linhas, linhas - 1);
        m_linhas = linhas;
        endInsertRows();
    }
    if (m_linhas > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_linhas - 1, int(m_campos.size()) - 1));
}

void ModeloConjunto::acrescentadas(int, int) {
    const int total = m_conjunto->linhasCarregadas();
    if (total <= m_linhas)
        return;
    beginInsertRows({}, m_linhas, total - 1);
    m_linhas = total;
    endInsertRows();
}

void ModeloConjunto::inserida(int linha) {
    beginInsertRows({}, linha, linha);
    ++m_linhas;
    endInsertRows();
}

void ModeloConjunto::removida(int linha) {
    beginRemoveRows({}, linha, linha);
    --m_linhas;
    endRemoveRows();
}

void ModeloConjunto::atualMudou() {
    if (!m_conjunto || m_conjunto->atual() < 0 || m_campos.isEmpty())
        return;
    const int linha = m_conjunto->atual();
    Q_EMIT dataChanged(index(linha, 0), index(linha, int(m_campos.size()) - 1));
}

int ModeloConjunto::rowCount(const QModelIndex &pai) const {
    return pai.isValid() ? 0 : m_linhas;
}

int ModeloConjunto::columnCount(const QModelIndex &pai) const {
    return pai.isValid() ? 0 : int(m_campos.size());
}

QVariant ModeloConjunto::data(const QModelIndex &indice, int papel) const {
    if (!m_conjunto || !indice.isValid() || papel != Qt::DisplayRole)
        return {};
    const Campo *c = m_campos.value(indice.column());
    return c ? Campo::formatar(c->tipo(), m_conjunto->valor(indice.row(), c->indice()))
             : QVariant();
}

QVariant ModeloConjunto::headerData(int secao, Qt::Orientation orientacao, int papel) const {
    if (orientacao == Qt::Horizontal && papel == Qt::DisplayRole)
        if (const Campo *c = m_campos.value(secao))
            return m_titulos.value(secao, c->coluna());
    // The row indicator is a plain grey column: no row numbers.
    if (orientacao == Qt::Vertical && papel == Qt::DisplayRole)
        return QString();
    return QAbstractTableModel::headerData(secao, orientacao, papel);
}

bool ModeloConjunto::canFetchMore(const QModelIndex &pai) const {
    return !pai.isValid() && m_conjunto && m_conjunto->podeCarregarMais();
}

void ModeloConjunto::fetchMore(const QModelIndex &pai) {
    if (canFetchMore(pai))
        protegido([&] { m_conjunto->carregarMais(m_passo); });
}

QModelIndexList ModeloConjunto::match(const QModelIndex &inicio, int papel, const QVariant &valor,
                                      int quantos, Qt::MatchFlags opcoes) const {
    QModelIndexList achados = QAbstractTableModel::match(inicio, papel, valor, quantos, opcoes);
    auto *eu = const_cast<ModeloConjunto *>(this);
    while ((quantos < 0 || achados.size() < quantos) && canFetchMore({})) {
        const int lidas = m_linhas;
        protegido([&] { eu->m_conjunto->carregarMais(1000); });
        if (m_linhas == lidas)
            break;
        // Only the rows just read: the earlier ones were searched already.
        const QModelIndexList novos = QAbstractTableModel::match(
            index(lidas, qMax(0, inicio.column())), papel, valor,
            quantos < 0 ? -1 : quantos - int(achados.size()), opcoes & ~Qt::MatchWrap);
        achados += novos;
    }
    return achados;
}

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent), m_modelo(new ModeloConjunto(this)) {
    setModel(m_modelo);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(18);
    // A fixed indicator, so the columns stay where they are whatever the number of rows.
    verticalHeader()->setFixedWidth(k_larguraIndicador);
    m_modelo->definirPasso(linhasPorTela());
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &atual) { protegido([&] { linhaEscolhida(atual); }); });
    connect(m_modelo, &QAbstractItemModel::modelReset, this, &TDBGrid::aplicarLarguras);
}

void TDBGrid::setTitles(const QStringList &titulos) {
    m_titulos = titulos;
    m_modelo->definirTitulos(titulos);
}

void TDBGrid::definirLarguras(const QList<int> &larguras) {
    m_larguras = larguras;
    aplicarLarguras();
}

void TDBGrid::aplicarLarguras() {
    for (int i = 0; i < m_larguras.size() && i < m_modelo->columnCount(); ++i)
        setColumnWidth(i, m_larguras[i]);
}

void TDBGrid::vincular(QObject *modulo) {
    if (modulo && !m_nomeFonte.isEmpty())
        vincular(modulo->findChild<FonteDados *>(m_nomeFonte));
}

void TDBGrid::vincular(FonteDados *fonte) {
    if (fonte == m_fonte && m_modelo->conjunto())
        return;
    disconnect(m_registro);
    disconnect(m_reiniciado);
    m_fonte = fonte;
    Conjunto *cj = fonte ? fonte->conjunto() : nullptr;
    m_modelo->definirConjunto(cj, m_colunas);
    if (cj) {
        m_registro = connect(cj, &Conjunto::registroMudou, this, &TDBGrid::seguirRegistro);
        // Other rows start at the top, as a new list does.
        m_reiniciado = connect(cj, &Conjunto::reiniciado, this, &QTableView::scrollToTop);
    }
    seguirRegistro();
}

void TDBGrid::seguirRegistro() {
    const Conjunto *cj = m_modelo->conjunto();
    m_seguindo = true;
    if (cj && cj->atual() >= 0 && cj->atual() < m_modelo->rowCount())
        setCurrentIndex(m_modelo->index(cj->atual(), qMax(0, currentIndex().column())));
    else
        setCurrentIndex({});
    m_seguindo = false;
}

QModelIndex TDBGrid::moveCursor(CursorAction acao, Qt::KeyboardModifiers modificadores) {
    // Ctrl+End goes to the last row of the whole list, not of the rows read so far.
    if (acao == MoveEnd && (modificadores & Qt::ControlModifier))
        if (Conjunto *cj = m_modelo->conjunto())
            protegido([cj] { cj->carregarTudo(); });
    return QTableView::moveCursor(acao, modificadores);
}

int TDBGrid::linhasPorTela() const {
    const int altura = qMax(1, verticalHeader()->defaultSectionSize());
    return (viewport()->height() + altura - 1) / altura + 1;
}

void TDBGrid::resizeEvent(QResizeEvent *evento) {
    QTableView::resizeEvent(evento);
    m_modelo->definirPasso(linhasPorTela());
}

void TDBGrid::rowsInserted(const QModelIndex &pai, int inicio, int fim) {
    const QScopedValueRollback seguindo(m_seguindo, true);
    QTableView::rowsInserted(pai, inicio, fim);
}

void TDBGrid::rowsAboutToBeRemoved(const QModelIndex &pai, int inicio, int fim) {
    const QScopedValueRollback seguindo(m_seguindo, true);
    QTableView::rowsAboutToBeRemoved(pai, inicio, fim);
}

void TDBGrid::linhaEscolhida(const QModelIndex &atual) {
    Conjunto *cj = m_modelo->conjunto();
    if (m_seguindo || !cj || !atual.isValid() || atual.row() == cj->atual())
        return;
    cj->irPara(atual.row());
}
