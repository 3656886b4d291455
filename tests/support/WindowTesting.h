#pragma once
// Helpers for driving real windows: finding a control by its name and typing text
// key by key.
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

// The control of that object name below `window`; a test failure when there is none.
template <class W>
W* NamedChild(const QWidget* window, const char* name) {
    W* w = window->findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Types text as a keyboard with any layout would: each character is a key press and
// release carrying that character.
inline void TypeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        const auto key = Qt::Key(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), Qt::NoModifier);
    }
}
