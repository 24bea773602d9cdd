#include "FontesCarregadas.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace Fontes {

void garantirCarregadas() {
    static const bool carregadas = [] {
        // Debian's wine fonts, in folders that fontconfig does not search.
        const QString pastas[] = {QStringLiteral("/usr/share/wine/fonts/"),
                                  QStringLiteral("/usr/share/fonts/truetype/wine/")};
        const struct {
            const char *familia;
            const char *arquivos[2];
        } faces[] = {
            {"Tahoma", {"tahoma.ttf", "tahomabd.ttf"}},
            {"MS Sans Serif", {"ms_sans_serif.ttf", nullptr}},
        };
        const QStringList familias = QFontDatabase::families();
        for (const auto &f : faces) {
            if (familias.contains(QLatin1String(f.familia), Qt::CaseInsensitive))
                continue;
            for (const char *arquivo : f.arquivos) {
                if (!arquivo)
                    continue;
                for (const QString &pasta : pastas) {
                    const QString caminho = pasta + QLatin1String(arquivo);
                    if (QFile::exists(caminho) && QFontDatabase::addApplicationFont(caminho) >= 0)
                        break;
                }
            }
        }
        return true;
    }();
    Q_UNUSED(carregadas);
}

} // namespace Fontes
