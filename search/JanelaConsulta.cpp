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
#include <QtWidgets/QLabel>
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
    m_buscando = new QLabel(QStringLiteral("Buscando..."), grade->viewport());
    m_buscando->setObjectName(QStringLiteral("LBbuscando"));
    m_buscando->setAlignment(Qt::AlignCenter);
    m_buscando->setAutoFillBackground(true);
    m_buscando->setFrameShape(QFrame::Box);
    m_buscando->hide();
    ligar(&m_busca, &BuscaEmSegundoPlano::terminou, this, [this] { m_busca.receberSeTerminou(); });
    connect(&m_busca, &BuscaEmSegundoPlano::ocupadaMudou, this, &JanelaConsulta::mostrarBuscando);
}

void JanelaConsulta::buscar(Consultas::Busca busca, const QString &texto) {
    m_busca.buscar(busca, texto, m_grade ? m_grade->linhasPorTela() : Consultas::k_telaDeLinhas);
}

void JanelaConsulta::concluirBusca() {
    m_busca.concluir();
}

void JanelaConsulta::mostrarBuscando(bool buscando) {
    if (!m_buscando || !m_grade)
        return;
    if (buscando) {
        m_buscando->adjustSize();
        const QSize tamanho = m_buscando->size() + QSize(24, 12);
        m_buscando->setGeometry(
            QRect(QPoint(), tamanho)
                .translated((m_grade->viewport()->width() - tamanho.width()) / 2,
                            (m_grade->viewport()->height() - tamanho.height()) / 2));
        m_buscando->raise();
    }
    m_buscando->setVisible(buscando);
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
    // The window's closing reads the database: the search gives the connection back first.
    protegido([this] { m_busca.cancelar(); });
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
    // Typing in a box searches on, and closing (Esc included) cancels; any other key or a
    // click in the grid acts on the rows of the text typed, which it waits for.
    const bool naGrade = m_grade && (objeto == m_grade || objeto == m_grade->viewport());
    const bool acao = naGrade && (evento->type() == QEvent::MouseButtonDblClick ||
                                  evento->type() == QEvent::MouseButtonPress ||
                                  (evento->type() == QEvent::KeyPress &&
                                   static_cast<QKeyEvent *>(evento)->key() != Qt::Key_Escape));
    if (acao && m_busca.emAndamento())
        protegido([this] { m_busca.concluir(); });
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
