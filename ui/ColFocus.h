#pragma once
#include <QColor>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QStringList>
#include <QtWidgets/QWidget>

// Makes the input field that has the keyboard focus in its window stand out: a highlight
// background, optionally a text colour, and a one-pixel ring drawn just outside it. The
// window does nothing for it after creating it: it follows the application's notice that
// the focused control changed, and it only ever touches controls of its own window.
// A click on a button of the window ends the highlight like a change of focus, also on the
// buttons that take no focus (the receipt window's print buttons, "Retirar Logormarca"); the
// field, still focused, is highlighted again as soon as it is typed into or clicked.
class TColFocus : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool AtivaBorda READ ativaBorda WRITE setAtivaBorda)
    Q_PROPERTY(bool AtivaFontColor READ ativaFontColor WRITE setAtivaFontColor)
    Q_PROPERTY(bool AtivaColor READ ativaColor WRITE setAtivaColor)
    Q_PROPERTY(QColor FontFocus READ fontFocus WRITE setFontFocus)
    Q_PROPERTY(QColor Color READ color WRITE setColor)
    Q_PROPERTY(QColor BordaColor READ bordaColor WRITE setBordaColor)
    Q_PROPERTY(QStringList Lista READ lista WRITE setLista)

public:
    // The window owns the highlighter (it is its QObject parent) and is the only window whose
    // controls it highlights.
    explicit TColFocus(QWidget *janela);
    ~TColFocus() override;

    // The record windows' highlighter: yellow background inside a red frame, the font
    // colour unchanged.
    static TColFocus *paraJanelaDeRegistro(QWidget *janela);

    bool ativaBorda() const { return m_ativaBorda; }
    void setAtivaBorda(bool ativa) { m_ativaBorda = ativa; }
    bool ativaFontColor() const { return m_ativaFontColor; }
    void setAtivaFontColor(bool ativa) { m_ativaFontColor = ativa; }
    bool ativaColor() const { return m_ativaColor; }
    void setAtivaColor(bool ativa) { m_ativaColor = ativa; }

    // Colours are only stored: they take effect at the next change of focus.
    QColor fontFocus() const { return m_fontFocus; }
    void setFontFocus(const QColor &cor) { m_fontFocus = cor; }
    QColor color() const { return m_color; }
    void setColor(const QColor &cor) { m_color = cor; }
    QColor bordaColor() const { return m_bordaColor; }
    void setBordaColor(const QColor &cor) { m_bordaColor = cor; }

    // Names of control kinds (class names) or of single controls (object names) that are
    // highlighted, compared without regard to case.
    QStringList lista() const { return m_lista; }
    void setLista(const QStringList &lista) { m_lista = lista; }
    static QStringList listaPadrao();

    // True when the control's own name, its class or any class it derives from is in the
    // list: a data-aware field written as a subclass of QLineEdit counts as a QLineEdit.
    bool ehCampo(const QWidget *controle) const;

    // The control highlighted now, or none.
    QWidget *destacado() const { return m_destacado; }

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    void focoMudou(QWidget *anterior, QWidget *atual);
    void destacar(QWidget *controle);
    void restaurar();
    void desenharMoldura(QWidget *controle);

    QPointer<QWidget> m_janela;

    bool m_ativaBorda = false;
    bool m_ativaFontColor = false;
    bool m_ativaColor = false;
    QColor m_fontFocus;
    QColor m_color;
    QColor m_bordaColor;
    QStringList m_lista;

    QPointer<QWidget> m_destacado;
    // The highlighted control's palette before we touched it, and which of its colours we
    // changed; the switches may be flipped while a control is highlighted.
    QPalette m_paletaSalva;
    bool m_trocouFundo = false;
    bool m_trocouTexto = false;

    QPointer<QWidget> m_moldura;
};
