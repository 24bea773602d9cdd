#include "JanelaConsulta.h"

#include "DBGrid.h"
#include "Datamodule1.h"
#include "Figuras.h"
#include "Protegido.h"
#include "Win1252.h"

#include <QSignalBlocker>
#include <QtGui/QKeyEvent>
#include <QtGui/QValidator>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLineEdit>

namespace {

// Letters become upper case while they are typed or pasted, before the box tells its change.
class Maiusculas : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &texto, int &) const override {
        texto = Win1252::maiusculas(texto);
        return Acceptable;
    }
};

} // namespace

void JanelaConsulta::prepararConsulta(TDBGrid *grade, QAbstractButton *sair,
                                      const QList<QLineEdit *> &caixas) {
    m_grade = grade;
    m_caixas = caixas;
    for (QLineEdit *caixa : caixas) {
        caixa->setValidator(new Maiusculas(caixa));
        caixa->installEventFilter(this);
    }
    grade->setTabKeyNavigation(true);
    grade->setShowGrid(true);
    grade->horizontalHeader()->setHighlightSections(false);
    grade->installEventFilter(this);
    grade->viewport()->installEventFilter(this);
    sair->setIcon(figura(QStringLiteral("sair")));
    sair->installEventFilter(this);
    ligar(sair, &QAbstractButton::clicked, this, &JanelaConsulta::SpeedButton6Click);
}

void JanelaConsulta::esvaziar(QLineEdit *caixa) {
    const QSignalBlocker calado(caixa);
    caixa->clear();
}

void JanelaConsulta::showEvent(QShowEvent *evento) {
    protegido([this] {
        vincularControles(this, Datamodule1);
        FormShow();
    });
    JanelaFixa::showEvent(evento);
}

void JanelaConsulta::done(int resultado) {
    if (isVisible())
        protegido([this] { FormClose(); });
    JanelaFixa::done(resultado);
}

void JanelaConsulta::SpeedButton6Click() {
    close();
}

bool JanelaConsulta::FormKeyDown(QKeyEvent *tecla) {
    if (tecla->modifiers() & ~Qt::KeypadModifier)
        return false;
    if (tecla->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    if (tecla->key() == Qt::Key_Down && m_grade && !m_grade->hasFocus()) {
        m_grade->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}

bool JanelaConsulta::eventFilter(QObject *objeto, QEvent *evento) {
    if (!isVisible())
        return false;
    if (evento->type() == QEvent::MouseButtonDblClick && m_grade && objeto == m_grade->viewport()) {
        protegido([this] { DBGrid1DblClick(); });
        return true;
    }
    if (evento->type() != QEvent::KeyPress)
        return false;
    auto *tecla = static_cast<QKeyEvent *>(evento);
    bool tomada = false;
    protegido([&] { tomada = FormKeyDown(tecla); });
    if (tomada || !isVisible())
        return true;
    if (objeto == m_grade && !tecla->text().isEmpty() && tecla->key() != Qt::Key_Tab &&
        tecla->key() != Qt::Key_Backtab) {
        protegido([&] { DBGrid1KeyPress(tecla); });
        return true;
    }
    return false;
}
