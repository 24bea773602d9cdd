#include "Fontes.h"

#include <QImage>

namespace Fontes {

QFont criar(const FontePreparada &fonte, double dpiDispositivo) {
    garantirCarregadas();
    QFont f;
    if (fonte.nome.compare(u"Arial", Qt::CaseInsensitive) == 0)
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    else
        f.setFamilies({fonte.nome});
    // Qt turns points into units of the painter with the device's resolution;
    // the painter already scales layout pixels to the device, so the point
    // size asked is what gives the em in layout pixels.
    f.setPointSizeF(fonte.alturaEm() * 72.0 / dpiDispositivo);
    f.setBold(fonte.negrito);
    f.setItalic(fonte.italico);
    f.setUnderline(fonte.sublinhado);
    // Unhinted outlines keep the same advances on every device.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::ForceOutline | QFont::PreferMatch));
    return f;
}

const QPaintDevice *dispositivoDeMedida() {
    static const QImage imagem = [] {
        QImage i(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int pontosPorMetro = qRound(96 / 0.0254);
        i.setDotsPerMeterX(pontosPorMetro);
        i.setDotsPerMeterY(pontosPorMetro);
        return i;
    }();
    return &imagem;
}

} // namespace Fontes
