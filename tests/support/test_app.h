#pragma once
// The whole main window on fakes, in a temporary program directory.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>

#include "app/main_window.h"
#include "platform/context.h"
#include "support/fake_office.h"
#include "support/fakes.h"

namespace hb::test {

struct TestApp {
    // Set.ini written from the UTF-8 text given (as GBK, CR LF); none when null.
    explicit TestApp(const char* settingsUtf8 = "[pop]\ntanchu=0\n");
    ~TestApp();

    QString dir(const QString& sub = {}) const;
    void writeSettings(const QString& text);
    // Runs start-up as the program does; false when the login was closed.
    bool start();
    QWidget* find(const QString& designName) const;
    template <class T>
    T* find(const QString& designName) const {
        return window->control<T>(designName);
    }
    void trigger(const QString& menuItem);
    // Clicks the menu's title where the window draws it, then the item in the open menu;
    // false when the menu did not open. The window must be shown.
    bool choose(const QString& menu, const QString& item);

    QTemporaryDir temp;
    FakeDialogs dialogs;
    FakeShell shell;
    FakeClock clock;
    NoPause pause;
    FakeRegistry registry;
    FakeOffice office;
    AppContext ctx;
    std::unique_ptr<MainWindow> window;
};

// Calls fn on the next modal window that opens (from inside its exec()), as long as owner
// lives: a test that expects no modal window must not leave the wait behind.
void onNextModal(QObject* owner, std::function<void(QWidget*)> fn);
// For a modal window that surely opens.
inline void onNextModal(std::function<void(QWidget*)> fn) {
    onNextModal(qApp, std::move(fn));
}

}  // namespace hb::test
