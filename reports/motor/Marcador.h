#pragma once
#include <QList>
#include <QString>

// A piece of a text object's text: printed as it stands, or a placeholder
// evaluated when the band prints.
struct Trecho {
    enum Tipo : quint8 {
        Literal,  // texto
        Campo,    // [alias."CAMPO"]
        Soma,     // [SUM(<alias."CAMPO">,Banda)]
        Contagem, // [COUNT(Banda)]
    };
    Tipo tipo = Literal;
    QString texto; // literal text
    QString alias;
    QString campo;
    QString banda;
    bool operator==(const Trecho &) const = default;
};

// Cuts a layout text into runs and placeholders, once per layout. Throws
// ErroSistema for an expression between brackets that is none of the three forms.
QList<Trecho> analisarMarcadores(const QString &texto);

// The run list of a text the program sets: printed exactly as given.
QList<Trecho> trechoLiteral(const QString &texto);
