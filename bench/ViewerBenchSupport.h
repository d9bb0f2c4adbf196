#pragma once
// What the viewer's benchmarks share: running the event loop as the application would.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace kestrel::bench {

// Runs the event loop for `ms` as the application would, without polling.
inline void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        // Sleeps until something happens (a picture, a timer), so that the measuring does
        // not take the processor from the viewer.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace kestrel::bench
