#include "Aplicacao.h"

#include "Protegido.h"

#include <QDir>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Tahoma and MS Sans Serif come with Debian's wine fonts, in a folder that
// fontconfig does not search.
void carregarFontes() {
    const QStringList pastas = {QStringLiteral("/usr/share/wine/fonts"),
                                QStringLiteral("/usr/share/fonts/truetype/wine")};
    const QStringList arquivos = {QStringLiteral("tahoma.ttf"), QStringLiteral("tahomabd.ttf"),
                                  QStringLiteral("ms_sans_serif.ttf")};
    for (const QString &pasta : pastas)
        for (const QString &arquivo : arquivos)
            if (QFile::exists(pasta + u'/' + arquivo))
                QFontDatabase::addApplicationFont(pasta + u'/' + arquivo);
}

} // namespace

Aplicacao::Aplicacao(int &argc, char **argv) : QApplication(argc, argv) {
    prepararAmbiente();
}

void Aplicacao::prepararAmbiente() {
    setApplicationName(QStringLiteral("Talvano"));
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    auto *traducao = new QTranslator(qApp);
    if (traducao->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(traducao);
    carregarFontes();
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

bool Aplicacao::notify(QObject *receptor, QEvent *evento) {
    bool tratado = false;
    protegido([&] { tratado = QApplication::notify(receptor, evento); });
    return tratado;
}
