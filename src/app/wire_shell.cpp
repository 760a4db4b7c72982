#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "app/main_window.h"
#include "app/navigation.h"
#include "app/record_fields.h"
#include "app/startup.h"
#include "app/wiring.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "record/new_record.h"
#include "security/password.h"

namespace hb {

void wireShell(MainWindow& w, AppContext& ctx) {
    auto click = [&w](const char* button, auto handler) {
        QObject::connect(w.findChild<QPushButton*>(QString::fromUtf8(button)),
                         &QPushButton::clicked, &w, handler);
    };
    click("按钮1", [&w] { showSecondScreen(w); });
    click("按钮2", [&w] { showFirstScreen(w); });
    click("按钮5", [&w] { toggleNotes(w); });
    QObject::connect(w.statusClock(), &QTimer::timeout, &w, [&w, &ctx] {
        w.setStatusText(
            statusClockText(w.record().hidden(Hidden::statusMessage), ctx.clock->now()));
    });

    auto menu = [&w](const char* item, auto handler) {
        QObject::connect(w.action(QString::fromUtf8(item)), &QAction::triggered, &w, handler);
    };
    menu("新建(笔录)", [&ctx] { newRecordCommand(ctx); });
    menu("退出", [] { QApplication::exit(0); });
    menu("加密", [&ctx] { setLockCommand(ctx); });
    menu("解密", [&ctx] { clearLockCommand(ctx); });
    QObject::connect(&w, &MainWindow::closing, &w, [&ctx] { exitHook(ctx); });

    // A pick, never typing, offers the ready-made answers.
    auto pick = [&w](Field field, auto handler) {
        QObject::connect(w.control<ListField>(fieldSpec(field).designName), &ListField::picked, &w,
                         handler);
    };
    pick(question(2), [&w] { offerNameAnswer(w.record()); });
    pick(question(3), [&w] { offerWorkUnitPhrases(w.record()); });
}

}  // namespace hb
