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

// Throws ErroSistema naming the offending character.
QByteArray codificar(const QString &texto);

QString decodificar(const char *dados, int tamanho);

// The Portuguese message that refuses a text with the given character, named
// as it is seen and by its code point: "😀" (U+1F600).
QString mensagemForaDaTabela(char32_t c);

} // namespace Win1252
