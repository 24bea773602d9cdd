#include "Aplicacao.h"

#include "FontesCarregadas.h"
#include "Protegido.h"
#include "TraducaoQt.h"

#include <QFont>
#include <QLocale>

Aplicacao::Aplicacao(int &argc, char **argv) : QApplication(argc, argv) {
    prepararAmbiente();
}

void Aplicacao::prepararAmbiente() {
    setApplicationName(QStringLiteral("Talvano"));
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    instalarTraducaoQt();
    Fontes::garantirCarregadas();
    // The bitmap MS Sans Serif joins some letter pairs ("TM" drawn as "™"): no shaping, so every
    // widget draws the text exactly as typed.
    QFont fonte(QStringLiteral("MS Sans Serif"), 8);
    fonte.setStyleStrategy(QFont::PreferNoShaping);
    setFont(fonte);
}

bool Aplicacao::notify(QObject *receptor, QEvent *evento) {
    bool tratado = false;
    protegido([&] { tratado = QApplication::notify(receptor, evento); });
    return tratado;
}
