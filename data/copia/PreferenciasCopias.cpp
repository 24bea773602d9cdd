#include "PreferenciasCopias.h"

#include "ErroSistema.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace PreferenciasCopias {

namespace {
const QString k_chave = QStringLiteral("copias/pasta");
}

QString arquivo() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Talvano/copias.conf");
}

QString pastaEscolhida() {
    const QSettings ajustes(arquivo(), QSettings::IniFormat);
    return ajustes.value(k_chave).toString().trimmed();
}

void escolherPasta(const QString &pasta) {
    QSettings ajustes(arquivo(), QSettings::IniFormat);
    if (pasta.trimmed().isEmpty())
        ajustes.remove(k_chave);
    else
        ajustes.setValue(k_chave, QDir::cleanPath(QDir(pasta).absolutePath()));
    ajustes.sync();
    if (ajustes.status() != QSettings::NoError)
        throw ErroSistema(QStringLiteral("Não foi possível guardar a pasta das cópias em %1: "
                                         "verifique se tem permissão de gravar nela.")
                              .arg(QDir::toNativeSeparators(arquivo())));
}

} // namespace PreferenciasCopias
