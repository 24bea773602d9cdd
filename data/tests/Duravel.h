#pragma once
// What the durability test's child writes as issuer number n, so that the test can tell a row
// that came through whole from one that did not.
#include <QByteArray>
#include <QString>

inline QString nomeDuravel(int n) {
    return QStringLiteral("Emitente %1").arg(n);
}

inline QString cidadeDuravel(int n) {
    return QStringLiteral("Cidade %1").arg(n * 7 % 1000);
}

// From nothing up to some 300 kB, so that BLOBs of one page and of many are written.
inline QByteArray fotoDuravel(int n) {
    // In 64 bits: the rounds' numbers run into the millions.
    QByteArray foto(n % 5 == 0 ? 0 : qsizetype(qint64(n) * 7919 % 300000), Qt::Uninitialized);
    for (int i = 0; i < foto.size(); ++i)
        foto[i] = char((i * 31 + n) & 0xff);
    return foto;
}
