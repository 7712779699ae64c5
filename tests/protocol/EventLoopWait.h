// Runs the calling thread's event loop until a condition holds. The guard only stops a broken run
// from hanging; it is not a measurement, and no test asserts on how long anything took.
#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>

namespace orvane::testing {

inline bool RunEventsUntil(const std::function<bool()>& done,
                           std::chrono::milliseconds guard = std::chrono::seconds(30)) {
    if (done())
        return true;
    const auto end = std::chrono::steady_clock::now() + guard;
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || std::chrono::steady_clock::now() > end)
            loop.quit();
    });
    tick.start();
    loop.exec();
    return done();
}

// Delivers everything already posted to this thread (queued reports included), without waiting.
inline void DrainPostedEvents() {
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
}

}  // namespace orvane::testing
