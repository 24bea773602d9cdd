#pragma once
// Bitmap files for the logo's tests, written byte by byte as another program would write
// them: what Qt's own writer never produces (run-length coding, rows stored top-down) and
// pictures too large to draw first.
#include <QByteArray>
#include <QtEndian>

// A file header, a 40-byte picture header, a grey colour table of `cores` entries and then
// `pixels`; a null `pixels` stands for zeros enough for the whole picture. A negative height
// stores the rows top-down.
inline QByteArray bitmapEscrito(qint32 largura, qint32 altura, int bits,
                                const QByteArray &pixels = {}, quint32 compressao = 0,
                                int cores = 0) {
    const qint64 inicio = 14 + 40 + qint64(cores) * 4;
    const qint64 linha = (qint64(largura) * bits + 31) / 32 * 4;
    const qint64 tamanhoPixels = pixels.isNull() ? linha * qAbs(qint64(altura)) : pixels.size();
    QByteArray b(pixels.isNull() ? inicio + tamanhoPixels : inicio, '\0');
    const auto poe16 = [&](int pos, quint16 v) { qToLittleEndian(v, b.data() + pos); };
    const auto poe32 = [&](int pos, quint32 v) { qToLittleEndian(v, b.data() + pos); };
    b[0] = 'B';
    b[1] = 'M';
    poe32(2, quint32(inicio + tamanhoPixels));
    poe32(10, quint32(inicio));
    poe32(14, 40);
    poe32(18, quint32(largura));
    poe32(22, quint32(altura));
    poe16(26, 1);
    poe16(28, quint16(bits));
    poe32(30, compressao);
    poe32(34, quint32(tamanhoPixels));
    poe32(46, quint32(cores));
    for (int i = 0; i < cores; ++i) {
        const char cinza = char(cores > 1 ? i * 255 / (cores - 1) : 0);
        for (int k = 0; k < 3; ++k)
            b[54 + i * 4 + k] = cinza;
    }
    if (!pixels.isNull())
        b.append(pixels);
    return b;
}
