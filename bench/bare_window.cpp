// The yardstick of the start-up bench: a bare Qt window of the program's size, which prints
// the monotonic time of its first paint and ends.
#include <time.h>

#include <QApplication>
#include <QWidget>
#include <cstdio>

namespace {

class Window : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        QApplication::exit(0);
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
