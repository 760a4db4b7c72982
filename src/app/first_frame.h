#pragma once
// For the start-up bench, in the program and in its yardstick alike: prints the monotonic
// times at which a window's first paint begins and at which that frame is done (every control
// drawn and handed to the display), then ends the application. Header-only, so that the bare
// window links nothing of the program.
#include <time.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdio>

namespace hb {

inline void printMonotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
}

inline void reportFirstFrame(QObject* window) {
    class FirstFrame : public QObject {
      public:
        using QObject::QObject;
        bool eventFilter(QObject* watched, QEvent* e) override {
            if (e->type() != QEvent::Paint) return false;
            watched->removeEventFilter(this);
            printMonotonicNow();
            // Queued behind the painting of the whole frame and its flush.
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    printMonotonicNow();
                    QCoreApplication::exit(0);
                },
                Qt::QueuedConnection);
            return false;
        }
    };
    window->installEventFilter(new FirstFrame(window));
}

}  // namespace hb
