#pragma once
// The wait cursor while the window cannot answer (office, network); switched off while a
// question waits for the officer. Does nothing without a GUI (the batch command).
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace hb {

class WaitCursor {
  public:
    WaitCursor() { on(); }
    ~WaitCursor() { off(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

    void on() {
        if (!active_ && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
            active_ = true;
        }
    }
    void off() {
        if (active_) QGuiApplication::restoreOverrideCursor();
        active_ = false;
    }

  private:
    bool active_ = false;
};

}  // namespace hb
