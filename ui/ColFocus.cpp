#include "ColFocus.h"

#include <QtGui/QPainter>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QToolTip>
#include <QtWidgets/QWidget>

#include <array>
#include <utility>

namespace {

// Width of the ring's outline, in pixels.
constexpr int kLarguraBorda = 1;

// A field turned yellow must stay yellow while its window is inactive (a message box has the
// focus) and while it is disabled, so every colour group is changed.
constexpr std::array kGrupos{QPalette::Active, QPalette::Inactive, QPalette::Disabled};
// Text fields paint their background with Base; combo boxes and check boxes partly with Button.
constexpr std::array kPapeisFundo{QPalette::Base, QPalette::Button};
constexpr std::array kPapeisTexto{QPalette::Text, QPalette::ButtonText, QPalette::WindowText};

// Which bit of a palette's resolve mask says that the widget itself set this colour; found
// through the public interface rather than assumed.
QPalette::ResolveMask bitDoPapel(QPalette::ColorGroup grupo, QPalette::ColorRole papel) {
    QPalette paleta;
    paleta.setResolveMask(0);
    paleta.setColor(grupo, papel, Qt::black);
    return paleta.resolveMask();
}

template <std::size_t N>
void pintar(QPalette &paleta, const std::array<QPalette::ColorRole, N> &papeis, const QColor &cor) {
    for (auto grupo : kGrupos)
        for (auto papel : papeis)
            paleta.setColor(grupo, papel, cor);
}

// Gives back the colours of the roles as they were in `antes`. A colour the control did not set
// itself goes back to being inherited from its parent, as if it had never been touched.
template <std::size_t N>
void devolver(QPalette &paleta, QPalette::ResolveMask &herdar, const QPalette &antes,
              const std::array<QPalette::ColorRole, N> &papeis) {
    for (auto grupo : kGrupos) {
        for (auto papel : papeis) {
            paleta.setBrush(grupo, papel, antes.brush(grupo, papel));
            const auto bit = bitDoPapel(grupo, papel);
            if (!(antes.resolveMask() & bit))
                herdar |= bit;
        }
    }
}

// The ring: a plain rectangle with a one-pixel outline and a white fill, placed beneath the
// controls of the container so that the field covers its inside.
class MolduraFoco : public QWidget {
public:
    explicit MolduraFoco(QWidget *pai) : QWidget(pai) {
        setObjectName(QStringLiteral("molduraFoco"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }
    void setCor(const QColor &cor) {
        m_cor = cor;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter pintor(this);
        pintor.fillRect(rect(), Qt::white);
        pintor.setPen(QPen(m_cor, kLarguraBorda));
        pintor.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor m_cor = Qt::red;
};

} // namespace

TColFocus::TColFocus(QWidget *janela)
    : QObject(janela), m_janela(janela), m_fontFocus(Qt::black),
      m_color(QToolTip::palette().color(QPalette::ToolTipBase)), m_bordaColor(Qt::red),
      m_lista(listaPadrao()), m_moldura(new MolduraFoco(janela)) {
    // Every highlighter listens on its own; each only acts on its own window, so any number of
    // windows can carry one and they may be destroyed in any order.
    connect(qApp, &QApplication::focusChanged, this, &TColFocus::focoMudou);
    // Clicks on buttons that take no focus bring no notice of their own.
    qApp->installEventFilter(this);
}

TColFocus::~TColFocus() {
    restaurar();
    delete m_moldura.data();
}

QStringList TColFocus::listaPadrao() {
    // The kinds that take typing or picking. A subclass counts as its base class, so the
    // program's data-aware fields are covered by these names. Buttons, list boxes, image boxes
    // (QLabel) and grids (QTableView) are left out on purpose; the tab widget is represented by
    // its tab bar, which is what actually takes the focus.
    return {
        QStringLiteral("QLineEdit"),      QStringLiteral("QTextEdit"),
        QStringLiteral("QPlainTextEdit"), QStringLiteral("QComboBox"),
        QStringLiteral("QFontComboBox"),  QStringLiteral("QTabBar"),
        QStringLiteral("QCheckBox"),      QStringLiteral("QAbstractSpinBox"),
        QStringLiteral("QSpinBox"),       QStringLiteral("QDoubleSpinBox"),
        QStringLiteral("QDateTimeEdit"),  QStringLiteral("QDateEdit"),
        QStringLiteral("QTimeEdit"),      QStringLiteral("QKeySequenceEdit"),
    };
}

bool TColFocus::ehCampo(const QWidget *controle) const {
    if (!controle)
        return false;
    if (!controle->objectName().isEmpty() &&
        m_lista.contains(controle->objectName(), Qt::CaseInsensitive))
        return true;
    for (auto *tipo = controle->metaObject(); tipo; tipo = tipo->superClass())
        if (m_lista.contains(QLatin1String(tipo->className()), Qt::CaseInsensitive))
            return true;
    return false;
}

void TColFocus::focoMudou(QWidget *, QWidget *) {
    // Ask the application rather than trust the arguments: another receiver of the same notice
    // may already have moved the focus again.
    QWidget *atual = QApplication::focusWidget();
    if (!atual)
        return;
    try {
        destacar(atual);
    } catch (...) {
        // Nothing may unwind through Qt's notification; a half-done highlight is simply dropped.
        m_destacado = nullptr;
        m_trocouFundo = m_trocouTexto = false;
    }
}

bool TColFocus::eventFilter(QObject *objeto, QEvent *evento) {
    const auto tipo = evento->type();
    if (tipo != QEvent::MouseButtonPress && tipo != QEvent::KeyPress)
        return false;
    if (!objeto->isWidgetType() || !m_janela)
        return false;
    auto *alvo = static_cast<QWidget *>(objeto);
    if (!m_janela->isAncestorOf(alvo))
        return false;
    try {
        QWidget *foco = QApplication::focusWidget();
        const bool noFoco = foco && (foco == alvo || foco->isAncestorOf(alvo));
        auto *botao = qobject_cast<QAbstractButton *>(alvo);
        // A button named in the list is highlighted as it takes the focus; a button inside the
        // focused control (a tab bar's arrows) is part of the field.
        if (tipo == QEvent::MouseButtonPress && botao && botao->isEnabled() && !ehCampo(botao) &&
            !noFoco) {
            restaurar();
            return false;
        }
        // The field that kept the focus through such a click is at work again.
        if (noFoco && !m_destacado)
            destacar(foco);
    } catch (...) {
        m_destacado = nullptr;
        m_trocouFundo = m_trocouTexto = false;
    }
    return false;
}

void TColFocus::destacar(QWidget *controle) {
    // Focus in another window (a message box, another form) leaves this window's highlight as
    // it is, so the field the user was in stays marked.
    if (!m_janela || !m_janela->isAncestorOf(controle))
        return;
    restaurar();
    if (!ehCampo(controle))
        return;
    if (m_ativaBorda)
        desenharMoldura(controle);

    m_destacado = controle;
    m_paletaSalva = controle->palette();
    if (!m_ativaColor && !m_ativaFontColor)
        return;
    QPalette paleta = controle->palette();
    if (m_ativaColor) {
        pintar(paleta, kPapeisFundo, m_color);
        m_trocouFundo = true;
    }
    if (m_ativaFontColor) {
        pintar(paleta, kPapeisTexto, m_fontFocus);
        m_trocouTexto = true;
    }
    controle->setPalette(paleta);
}

void TColFocus::restaurar() {
    if (m_moldura)
        m_moldura->hide();
    QWidget *controle = m_destacado;
    m_destacado = nullptr;
    const bool fundo = std::exchange(m_trocouFundo, false);
    const bool texto = std::exchange(m_trocouTexto, false);
    if (!controle || (!fundo && !texto))
        return;

    QPalette paleta = controle->palette();
    QPalette::ResolveMask herdar = 0;
    if (fundo)
        devolver(paleta, herdar, m_paletaSalva, kPapeisFundo);
    if (texto)
        devolver(paleta, herdar, m_paletaSalva, kPapeisTexto);
    paleta.setResolveMask(paleta.resolveMask() & ~herdar);
    controle->setPalette(paleta);
}

void TColFocus::desenharMoldura(QWidget *controle) {
    QWidget *pai = controle->parentWidget();
    if (!m_moldura || !pai || controle->isWindow())
        return;
    auto *moldura = static_cast<MolduraFoco *>(m_moldura.data());
    moldura->setCor(m_bordaColor);
    if (moldura->parentWidget() != pai)
        moldura->setParent(pai);
    moldura->setGeometry(controle->geometry().adjusted(-kLarguraBorda, -kLarguraBorda,
                                                       kLarguraBorda, kLarguraBorda));
    moldura->lower();
    moldura->show();
}

TColFocus *TColFocus::paraJanelaDeRegistro(QWidget *janela) {
    auto *destaque = new TColFocus(janela);
    destaque->setAtivaBorda(true);
    destaque->setAtivaColor(true);
    destaque->setAtivaFontColor(false);
    destaque->setColor(Qt::yellow);
    destaque->setBordaColor(Qt::red);
    destaque->setFontFocus(Qt::black);
    return destaque;
}
