#pragma once
#include <QImage>
#include <QString>

class Relatorio;

// The texts of a receipt as the receipt window shows them, and the issuer's logo.
struct TextosRecibo {
    QString valor;     // the amount as shown, "1.234,56"
    QString recebi;    // the signer's name, under the signature line
    QString extenso;   // the amount in words
    QString referente; // what the payment refers to
    QString observacoes;
    QString local;           // the issuer's city
    QString data;            // the date in words
    QString emitente;        // the payer's name, after "Recebi de"
    QString cpfcnpjemitente; // the payer's tax number
    QString cpfcnpjcliente;  // the signer's tax number
    QImage logo;             // null: the picture boxes stay empty
};

// Puts a receipt into its layouts. Every object is filled anew, an empty text as
// empty text; a name the layout lacks is skipped.
namespace ImpressaoRecibo {

// frxReport, one copy per page (recibo_1via).
void preencherUmaVia(Relatorio &frxReport, const TextosRecibo &recibo);

// frxReport1, two copies per page (recibo_2vias): the first copy's objects, then the
// second copy's (named with a 2), then both pictures.
void preencherDuasVias(Relatorio &frxReport1, const TextosRecibo &recibo);

} // namespace ImpressaoRecibo
