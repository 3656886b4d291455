#pragma once
// Types text into a widget key by key, as a keyboard with any layout would:
// each character is a key press and release carrying that character.
#include <QString>
#include <QTest>
#include <QWidget>

inline void TypeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        const auto key = Qt::Key(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), Qt::NoModifier);
    }
}
