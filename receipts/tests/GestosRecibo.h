#pragma once
// Gestures on the receipt window that more than one of its tests makes.
#include "DBLookupComboBox.h"
#include "JanelaTeste.h"

#include <QTest>

// Picks a kind in the list with the arrow keys and leaves the field with Tab.
inline void escolherTipo(const QWidget &j, const QString &tipo) {
    auto *combo = filho<TDBLookupComboBox>(j, "DBtipo");
    combo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < combo->count() && combo->currentText() != tipo; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentText(), tipo);
    QTest::keyClick(combo, Qt::Key_Tab);
}
