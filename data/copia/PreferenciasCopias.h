#pragma once
#include <QString>

// Where the user wants the backups kept (a second disk, a USB stick, a synced folder): one
// setting of the user's own, read by the program and by talvano-copia, in
// ~/.config/Talvano/copias.conf. Empty: beside the database, in its folder Copias.
namespace PreferenciasCopias {

QString pastaEscolhida();
// Keeps the folder chosen (empty: back to the default). Throws ErroSistema when the setting
// cannot be written.
void escolherPasta(const QString &pasta);
// The file the setting lives in.
QString arquivo();

} // namespace PreferenciasCopias
