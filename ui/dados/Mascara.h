#pragma once
#include <QString>

// A field's edit mask ("00000\-999;1;_": pattern, whether literals are stored, blank
// character) turned into what a Qt line edit understands. In the pattern "0" is a required
// digit and "9" an optional one, the other way round from Qt; a leading "!" only decides on
// which side optional positions are blank and has no Qt counterpart.
struct MascaraEdicao {
    QString mascaraQt; // for QLineEdit::setInputMask; empty when there is no mask
    bool guardaLiterais = true;

    static MascaraEdicao converter(const QString &mascara);

    // What is stored from the text a masked line edit gives: the text itself, or without
    // the literal characters when the mask does not keep them.
    QString valorDoTexto(const QString &texto) const;
    // True when a masked text holds nothing the user typed (only literals and blanks).
    bool vazio(const QString &texto) const;
};
