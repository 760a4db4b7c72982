#include <QAction>

#include "app/main_window.h"
#include "app/wiring.h"
#include "document/record_commands.h"
#include "platform/context.h"
#include "record/template.h"

namespace hb {

void wireDocument(MainWindow& window, AppContext& ctx) {
    auto menu = [&window](const QString& item, auto handler) {
        QObject::connect(window.action(item), &QAction::triggered, &window, handler);
    };
    menu(QStringLiteral("打开(笔录模板)"), [&ctx] { openTemplateCommand(ctx); });
    menu(QStringLiteral("保存(笔录及模板)"), [&ctx] { saveRecordCommand(ctx); });
    menu(QStringLiteral("打印(笔录)"), [&ctx] { printRecordCommand(ctx); });
}

}  // namespace hb
