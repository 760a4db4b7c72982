#include "support/test_app.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtTest>

#include "app/application.h"
#include "app/startup.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "support/ui.h"

namespace hb::test {

TestApp::TestApp(const char* settingsUtf8) {
    QDir().mkpath(dir(QStringLiteral("system")));
    QDir().mkpath(dir(QStringLiteral("desktop")));
    ctx.paths = Paths::under(temp.path());
    ctx.executablePath = QStringLiteral("/usr/bin/hengbi");
    ctx.dialogs = &dialogs;
    ctx.shell = &shell;
    ctx.clock = &clock;
    ctx.pause = &pause;
    ctx.registry = &registry;
    ctx.office = &office;
    if (settingsUtf8) writeSettings(QString::fromUtf8(settingsUtf8));
    window = buildMainWindow(ctx);
}

TestApp::~TestApp() {
    window.reset();
}

QString TestApp::dir(const QString& sub) const {
    return sub.isEmpty() ? temp.path() : temp.path() + QLatin1Char('/') + sub;
}

void TestApp::writeSettings(const QString& text) {
    writeFileBytes(dir(QStringLiteral("Set.ini")), toGbkLines(text));
}

bool TestApp::start() {
    if (!startUp(*window, ctx)) return false;
    // Keys go to the active window, as on the desktop.
    window->activateWindow();
    return QTest::qWaitForWindowActive(window.get());
}

QWidget* TestApp::find(const QString& designName) const {
    return window->control<QWidget>(designName);
}

void TestApp::trigger(const QString& menuItem) {
    QAction* a = window->action(menuItem);
    if (a) a->trigger();
}

bool TestApp::choose(const QString& menu, const QString& item) {
    QMenuBar* bar = window->menuBar();
    QMenu* popup = bar->findChild<QMenu*>(menu);
    if (!popup) return false;
    clickAt(bar, bar->actionGeometry(popup->menuAction()).center());
    if (!popup->isVisible()) return false;
    for (QAction* a : popup->actions())
        if (a->text() == item) {
            clickAt(popup, popup->actionGeometry(a).center());
            return true;
        }
    popup->close();
    return false;
}

void onNextModal(QObject* owner, std::function<void(QWidget*)> fn) {
    QTimer::singleShot(0, owner, [owner, fn] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            onNextModal(owner, fn);
            return;
        }
        fn(modal);
    });
}

}  // namespace hb::test
