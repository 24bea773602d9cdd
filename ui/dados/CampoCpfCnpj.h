#pragma once
#include <QObject>
#include <QPointer>
#include <functional>

class QAbstractButton;
class TDBEdit;

// What leaving a tax-number field (CPF or CNPJ) does, in every window that has one: the text
// is punctuated and handed to the record. Given the party's name field and an offer too, as in
// the receipt window, leaving with both filled hands them to the offer, which the window
// chooses (registering the party as a client).
//
// An offer may ask a question, and a question box takes the mouse: when the field was left by
// a click on a button of the window, the button only sees its press after the answer and never
// the release. The click the user made then goes on after the question.
class CampoCpfCnpj : public QObject {
    Q_OBJECT
public:
    // Given the name and the punctuated number; true when it asked the user something.
    using Oferta = std::function<bool(const QString &nome, const QString &cpfCnpj)>;

    // Belongs to the tax-number field; with nome and oferta, leaving also makes the offer.
    explicit CampoCpfCnpj(TDBEdit *cpfCnpj, TDBEdit *nome = nullptr, Oferta oferta = {});

    // The field's leave handler; the window's handler (DBEdit14Exit...) calls it.
    void sair();

protected:
    bool eventFilter(QObject *objeto, QEvent *evento) override;

private:
    // The enabled button of the window that the mouse took the focus to, or none.
    QAbstractButton *botaoQueTirouOFoco() const;
    // Lets the press that is still on its way to the button click it.
    void seguirClique(QAbstractButton *botao);
    void desarmar();

    TDBEdit *m_cpfCnpj;
    QPointer<TDBEdit> m_nome;
    Oferta m_oferta;
    bool m_saiuPeloMouse = false;
    QPointer<QAbstractButton> m_botaoPendente;
};
