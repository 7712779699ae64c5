// Drives the program's modal dialogs from GUI tests: answers the next modal box that opens (the
// program's message box or any other dialog) from a timer, so a test can run code that blocks in a
// nested event loop. GUI thread only.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace orvane::testing_support {

// Waits for a modal dialog of type T to open and calls `act` with it once (polling every 10 ms for
// at most `timeoutMs`). The returned timer is owned by the application and deletes itself.
template <typename T>
void WhenModalOpens(std::function<void(T&)> act, int timeoutMs = 10000) {
    auto* timer = new QTimer(qApp);
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, waited, timeoutMs] {
        if (auto* dialog = dynamic_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*dialog);
            return;
        }
        if ((*waited += 10) > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

}  // namespace orvane::testing_support
