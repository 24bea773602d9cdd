#include "TraducaoQt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

void instalarTraducaoQt() {
    // Kept by the application object, so a test that makes a new one installs again.
    static QPointer<QTranslator> instalada;
    QCoreApplication *aplicacao = QCoreApplication::instance();
    if (!aplicacao || instalada)
        return;
    auto *tradutor = new QTranslator(aplicacao);
    if (tradutor->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(tradutor))
        instalada = tradutor;
    else
        delete tradutor;
}
