// The yardstick of the start-up bench: a bare Qt window of the program's size, which prints
// the monotonic times at which its first paint begins and at which that frame is done and
// handed to the display, and ends.
#include <time.h>

#include <QApplication>
#include <QWidget>
#include <cstdio>

namespace {

void printMonotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
}

class Window : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        printMonotonicNow();
        QMetaObject::invokeMethod(
            qApp,
            [] {
                printMonotonicNow();
                QApplication::exit(0);
            },
            Qt::QueuedConnection);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window w;
    w.resize(1025, 642);
    w.show();
    return QApplication::exec();
}
