#pragma once
#include <QString>

class Relatorio;

// The texts of the quick receipt exactly as its fields hold them: nothing is recomputed.
struct TextosReciboRapido {
    QString valor;
    QString recebi;    // after "Recebi de"
    QString extenso;   // after "a quantia de"
    QString referente; // after "referente"
    QString observacoes;
    QString local;
    QString data;
    QString emitente;      // under the signature line; "Assinatura" when empty
    QString dadosEmitente; // under the issuer's name
};

// Puts the quick receipt into its layout (recibo_rapido). Every label is filled anew, an
// empty text as empty text; a name the layout lacks is skipped.
void preencherReciboRapido(Relatorio &report, const TextosReciboRapido &recibo);
