#pragma once

// Runs the thread's event loop until `done` holds, looking every `everyMs` milliseconds and
// sleeping in between. processEvents with a time limit never waits for events (it drops
// WaitForMoreEvents), so a loop around it spins a core and disturbs what the benchmark measures.
#include <QEventLoop>
#include <QTimer>

#include <functional>

inline void RunUntil(const std::function<bool()>& done, int everyMs = 5) {
    if (done()) return;
    QEventLoop loop;
    QTimer look;
    look.setInterval(everyMs);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    look.start();
    loop.exec();
}
