#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// The connection speaks WIN1252. Encoding is strict: a character the code page
// cannot hold is refused, never replaced by "?" or a look-alike.
namespace Win1252 {

// The first character (a whole code point, also beyond U+FFFF) that WIN1252
// cannot hold, if any. A lone half of a UTF-16 pair is given as itself.
std::optional<char32_t> primeiroForaDaTabela(const QString &texto);

// The first character a stored value may not hold: one outside the code page,
// or a control character (C0 codes such as NUL, TAB, LF and ESC, and DEL). No
// column of the system holds more than one line.
std::optional<char32_t> primeiroRecusadoEmValor(const QString &texto);

// Throws ErroSistema naming the offending character. Control characters pass:
// statements are written on several lines.
QByteArray codificar(const QString &texto);

QString decodificar(const char *dados, int tamanho);

// A character as a message shows it: as it is seen and by its code point,
// "😀" (U+1F600); one that cannot be seen (a control or format character, a
// combining accent, a lone half of a UTF-16 pair) by its code point alone.
QString nomeLegivel(char32_t c);

// A typed text as a message quotes it: every character that cannot be seen written as its
// code point in angle brackets, "12<U+200B>"; the rest as it is.
QString textoLegivel(const QString &texto);

// The text with its letters in upper (lower) case, letter by letter, where the other case is a
// letter the code page holds too: "µ" and "ƒ" stay as typed, for their capitals "Μ" and "Ƒ"
// could never be stored, and "ß" stays one letter. The length never changes, so a cursor
// placed in the text keeps its place.
QString maiusculas(const QString &texto);
QString minusculas(const QString &texto);

// The Portuguese message that refuses a text with the given character.
QString mensagemForaDaTabela(char32_t c);
// The same, naming the field whose value holds it.
QString mensagemRecusado(const QString &campo, char32_t c);

} // namespace Win1252
