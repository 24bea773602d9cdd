#pragma once
#include "ControleDados.h"
#include "Mascara.h"

#include <QtWidgets/QLineEdit>

// An edit field bound to one field of a dataset: it shows the current record's value, takes
// the column's length, the field's edit mask and display format, converts letter case while
// typing, starts the edit when the user types, and hands the text to the field when it is
// left and, at the latest, when the record is posted.
class TDBEdit : public QLineEdit, public ControleDados {
    Q_OBJECT
    Q_PROPERTY(QString dataSource READ dataSource WRITE setDataSource)
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
    Q_PROPERTY(CharCase charCase READ charCase WRITE setCharCase)
public:
    enum CharCase { Normal, Maiusculas, Minusculas };
    Q_ENUM(CharCase)

    explicit TDBEdit(QWidget *parent = nullptr);

    QString dataSource() const { return m_ligacao->nomeFonte; }
    void setDataSource(const QString &nome) { m_ligacao->nomeFonte = nome; }
    QString dataField() const { return m_ligacao->nomeCampo; }
    void setDataField(const QString &nome) { m_ligacao->nomeCampo = nome; }
    CharCase charCase() const { return m_caixa; }
    void setCharCase(CharCase caixa) { m_caixa = caixa; }

    void vincular(QObject *modulo) override;
    void vincular(FonteDados *fonte, const QString &campo);
    Campo *campo() const { return m_ligacao->campo(); }

    // Puts a text into the control as if the user had typed it (an exit handler writing back
    // a punctuated tax number): the field receives it like typed text.
    void definirTextoDigitado(const QString &texto);
    // Hands a changed text to the field now. Throws ErroSistema with a message in Portuguese
    // when the text does not fit the mask or cannot be read as the field's type.
    void entregarTexto();
    bool textoPendente() const { return m_pendente; }

Q_SIGNALS:
    // The focus left the field and its text reached the record: the window's exit handler.
    void saiu();

protected:
    void focusOutEvent(QFocusEvent *evento) override;

private:
    void mostrarValor();
    void textoEditado(const QString &texto);
    QString comCaixa(const QString &texto) const;

    LigacaoCampo *m_ligacao;
    CharCase m_caixa = Normal;
    MascaraEdicao m_mascara;
    bool m_pendente = false;
};
