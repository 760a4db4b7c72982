#include "platform/background.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <thread>

#include "platform/wait_cursor.h"

namespace hb {
namespace {

std::function<void(const QString&)>& busyIndicator() {
    static std::function<void(const QString&)> show;
    return show;
}

// Holds back the officer's input while work runs; painting and timers go on.
class InputBlocker : public QObject {
  public:
    InputBlocker() { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Wheel:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
            case QEvent::Close:
                e->ignore();
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

void setBusyIndicator(std::function<void(const QString&)> show) {
    busyIndicator() = std::move(show);
}

void runWhileBusy(const QString& busyText, const std::function<void()>& work) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    InputBlocker blocker;
    WaitCursor wait;
    if (busyIndicator()) busyIndicator()(busyText);
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (busyIndicator()) busyIndicator()(QString());
}

}  // namespace hb
