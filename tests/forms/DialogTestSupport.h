#pragma once
// Driving windows by their controls' names in the Qt tests.

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace skylog::test {

template <typename T = QWidget>
T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
}

inline void click(QWidget& window, const char* button) {
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

// Types into a text box and leaves it.
inline void type(QWidget& window, const char* box, const char* text) {
    auto* edit = child<QLineEdit>(window, box);
    edit->setText(QString::fromUtf8(text));
    Q_EMIT edit->editingFinished();
}

// Runs f on the modal window that the next call opens, from inside its event loop.
inline void onNextModal(std::function<void(QWidget&)> f) {
    QTimer::singleShot(0, [f = std::move(f)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal window");
        f(*modal);
    });
}

}  // namespace skylog::test
