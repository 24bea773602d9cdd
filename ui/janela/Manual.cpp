#include "Manual.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString caminhoManual() {
    // Beside the program in the build tree; under the documentation folder of the prefix
    // where it is installed (TALVANO_MANUAL_INSTALADO is that folder seen from the programs').
    const QDir programa(QCoreApplication::applicationDirPath());
    const QString aoLado = programa.filePath(QStringLiteral("manual/manual-rapido.html"));
    const QString instalado = programa.filePath(QStringLiteral(TALVANO_MANUAL_INSTALADO) +
                                                QStringLiteral("/manual-rapido.html"));
    return QFileInfo::exists(aoLado) || !QFileInfo::exists(instalado) ? aoLado : instalado;
}

void abrirManual(const QString &secao) {
    QUrl endereco = QUrl::fromLocalFile(QFileInfo(caminhoManual()).absoluteFilePath());
    if (!secao.isEmpty())
        endereco.setFragment(secao);
    QDesktopServices::openUrl(endereco);
}
