#include "Manual.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString caminhoManual() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("manual/manual-rapido.html"));
}

void abrirManual(const QString &secao) {
    QUrl endereco = QUrl::fromLocalFile(QFileInfo(caminhoManual()).absoluteFilePath());
    if (!secao.isEmpty())
        endereco.setFragment(secao);
    QDesktopServices::openUrl(endereco);
}
