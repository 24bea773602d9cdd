#include "DialogoRelatorio.h"

#include "CampoData.h"
#include "ConsultaRelatorio.h"
#include "Datamodule1.h"
#include "Protegido.h"
#include "Relatorio.h"
#include "ServicoRelatorio.h"

#include <QtGui/QKeyEvent>
#include <QtWidgets/QPushButton>

DialogoRelatorio::DialogoRelatorio(const QString &layout, QStringList sql, QWidget *parent)
    : JanelaFixa(parent), frpEvento(std::make_unique<Relatorio>(layout)), m_sql(std::move(sql)) {
    frpEvento->ligarOrigem(QStringLiteral("ibqEvento"), &fdsEvento);
}

DialogoRelatorio::~DialogoRelatorio() = default;

const QStringList &DialogoRelatorio::sqlClientesPorNome() {
    static const QStringList sql{QStringLiteral("SELECT * FROM CLIENTES"),
                                 QStringLiteral("ORDER BY CLIENTE")};
    return sql;
}

void DialogoRelatorio::abrirClientesPorNome() {
    TDatamodule1::instancia().Clientes->substituirSql(sqlClientesPorNome());
}

ConsultaRelatorio &DialogoRelatorio::consulta() {
    if (!ibqRelatorio) {
        ibqRelatorio = TDatamodule1::instancia().novaConsultaRelatorio(m_sql);
        fdsEvento.usar(ibqRelatorio.get());
    }
    return *ibqRelatorio;
}

void DialogoRelatorio::trocarSql(const QStringList &sql) {
    if (sql == m_sql)
        return;
    m_sql = sql;
    fdsEvento.usar(nullptr);
    ibqRelatorio.reset();
}

void DialogoRelatorio::prepararTeclas(QPushButton *visualizar, CampoData *inicio, CampoData *fim) {
    m_visualizar = visualizar;
    m_inicio = inicio;
    m_fim = fim;
    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

namespace {

QDate conferida(CampoData *campo) {
    try {
        return campo->dataConferida();
    } catch (...) {
        campo->setFocus(Qt::OtherFocusReason);
        campo->selectAll();
        throw;
    }
}

} // namespace

QDate DialogoRelatorio::inicio() const {
    return conferida(m_inicio);
}

QDate DialogoRelatorio::fim() const {
    return conferida(m_fim);
}

void DialogoRelatorio::showEvent(QShowEvent *evento) {
    JanelaFixa::showEvent(evento);
    // "Visualizar" is first in the tab order: the dialog opens with it focused, so Enter runs
    // the report of the dates shown.
    if (m_visualizar)
        m_visualizar->setFocus(Qt::OtherFocusReason);
}

void DialogoRelatorio::visualizar(const std::function<void(ConsultaRelatorio &)> &parametros) {
    if (m_inicio && m_fim) {
        inicio();
        fim();
    }
    m_visualizar->setEnabled(false);
    escolherSql();
    ConsultaRelatorio &q = consulta();
    q.fechar();
    if (parametros)
        parametros(q);
    q.abrir();
    protegido([this] { ShowReport(*frpEvento, TDatamodule1::instancia().Exportacoes, this); });
    m_visualizar->setEnabled(true);
}

bool DialogoRelatorio::FormKeyPress(QKeyEvent *evento) {
    if (evento->key() != Qt::Key_Return && evento->key() != Qt::Key_Enter)
        return false;
    if (m_visualizar && m_visualizar->hasFocus()) {
        if (m_visualizar->isEnabled())
            m_visualizar->click();
    } else {
        focusNextChild();
    }
    return true;
}

bool DialogoRelatorio::eventFilter(QObject *objeto, QEvent *evento) {
    if (evento->type() != QEvent::KeyPress || !objeto->isWidgetType() ||
        static_cast<QWidget *>(objeto)->window() != this)
        return false;
    auto *tecla = static_cast<QKeyEvent *>(evento);
    // Nothing in these windows cancels: Escape closes nothing.
    if (tecla->key() == Qt::Key_Escape && tecla->modifiers() == Qt::NoModifier)
        return true;
    return FormKeyPress(tecla);
}
