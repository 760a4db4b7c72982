// The yardstick of the start-up bench: a bare Qt window of the program's size, which reports
// its first paint and first frame as the program does, and ends.
#include <QApplication>
#include <QWidget>

#include "app/first_frame.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.resize(1025, 642);
    hb::reportFirstFrame(&w);
    w.show();
    return QApplication::exec();
}
