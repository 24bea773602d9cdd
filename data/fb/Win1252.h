#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// The connection speaks WIN1252. Encoding is strict: a character the code page
// cannot hold is refused, never replaced by "?" or a look-alike.
namespace Win1252 {

// The first character that WIN1252 cannot hold, if any.
std::optional<QChar> primeiroForaDaTabela(const QString &texto);

// Throws ErroSistema naming the offending character.
QByteArray codificar(const QString &texto);

QString decodificar(const char *dados, int tamanho);

// The Portuguese message that refuses a text with the given character.
QString mensagemForaDaTabela(QChar c);

} // namespace Win1252
