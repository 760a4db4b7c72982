#include "platform/background.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <thread>
#include <utility>

#include "platform/wait_cursor.h"

namespace hb {
namespace {

std::function<void(const QString&)>& busyIndicator() {
    static std::function<void(const QString&)> show;
    return show;
}

QPointer<QWidget>& cancelButton() {
    static QPointer<QWidget> button;
    return button;
}

QWidget* windowOf(QObject* o) {
    if (o->isWidgetType()) return static_cast<QWidget*>(o)->window();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowHandle() == o) return w;
    return nullptr;
}

// Holds back the officer's input while work runs; painting and timers go on. Work that may
// be stopped takes Escape, the cancel button and a close request.
class InputBlocker : public QObject {
  public:
    InputBlocker(const BusyCancel& stop, WaitCursor& wait) : stop_(stop), wait_(wait) {
        qApp->installEventFilter(this);
    }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

    // The window whose closing was confirmed: it closes once the work has ended.
    QPointer<QWidget> closeAfter;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (asking_) return false;
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
                return !onCancelButton(o, static_cast<QMouseEvent*>(e));
            case QEvent::KeyPress:
                if (stop_.cancel && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
                    stop_.cancel();
                return true;
            case QEvent::Close:
                if (stop_.cancel && !closeAfter) {
                    QPointer<QWidget> window = windowOf(o);
                    QTimer::singleShot(0, this, [this, window] { askToClose(window); });
                }
                e->ignore();
                return true;
            case QEvent::KeyRelease:
            case QEvent::Wheel:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
                e->ignore();
                return true;
            default:
                return false;
        }
    }

  private:
    bool onCancelButton(QObject* o, const QMouseEvent* e) const {
        QWidget* button = cancelButton();
        if (!stop_.cancel || !button || !button->isVisible()) return false;
        if (o == button) return true;
        // The window gets the press first and hands it to the widget under it.
        return !o->isWidgetType() && button->window()->windowHandle() == o &&
               button->rect().contains(button->mapFromGlobal(e->globalPosition().toPoint()));
    }

    void askToClose(const QPointer<QWidget>& window) {
        if (!window || closeAfter || asking_) return;
        asking_ = true;
        wait_.off();
        const bool confirmed = !stop_.confirmClose || stop_.confirmClose();
        wait_.on();
        asking_ = false;
        if (!confirmed) return;
        closeAfter = window;
        stop_.cancel();
    }

    const BusyCancel& stop_;
    WaitCursor& wait_;
    bool asking_ = false;
};

// The text of the work in progress on the GUI thread; empty when none runs.
QString& currentBusyText() {
    static QString text;
    return text;
}

}  // namespace

void setBusyIndicator(std::function<void(const QString&)> show) {
    busyIndicator() = std::move(show);
}

void setBusyCancelButton(QWidget* button) {
    cancelButton() = button;
}

void runWhileBusy(const QString& busyText, const std::function<void()>& work,
                  const BusyCancel& stop) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    WaitCursor wait;
    InputBlocker blocker(stop, wait);
    if (busyIndicator()) busyIndicator()(busyText);
    QPointer<QWidget> button = cancelButton();
    QMetaObject::Connection clicked;
    if (stop.cancel && button) {
        if (auto* b = qobject_cast<QAbstractButton*>(button.data()))
            clicked = QObject::connect(b, &QAbstractButton::clicked, &blocker, stop.cancel);
        button->show();
    }
    const QString outer = std::exchange(currentBusyText(), busyText);
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    QObject::disconnect(clicked);
    if (button) button->hide();
    currentBusyText() = outer;
    if (busyIndicator()) busyIndicator()(QString());
    if (QWidget* window = blocker.closeAfter)
        QTimer::singleShot(0, window, [window] { window->close(); });
}

void addBusyNote(const QString& note) {
    auto* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(app, [note] {
        if (!currentBusyText().isEmpty() && busyIndicator())
            busyIndicator()(currentBusyText() + note);
    });
}

}  // namespace hb
