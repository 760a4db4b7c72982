#include <QAction>

#include "app/main_window.h"
#include "app/wiring.h"
#include "extras/extras.h"
#include "extras/links.h"
#include "platform/context.h"

namespace hb {

void wireExtras(MainWindow& window, AppContext& ctx) {
    auto menu = [&window](const QString& item, auto handler) {
        QObject::connect(window.action(item), &QAction::triggered, &window, handler);
    };
    for (const WebLink& link : webLinks()) {
        const QString caption = link.caption;
        menu(caption, [&ctx, caption] { openLink(ctx, caption); });
    }
    menu(QStringLiteral("计算器"), [&ctx] { startCalculator(ctx); });
    menu(QStringLiteral("文本文档"), [&ctx] { startTextEditor(ctx); });
    menu(QStringLiteral("Word文档"), [&ctx] { startWordProcessor(ctx); });
    menu(QStringLiteral("Excel文档"), [&ctx] { startSpreadsheet(ctx); });
    menu(QStringLiteral("联系作者"), [&ctx] { showAuthorInformation(ctx); });
    menu(QStringLiteral("更新软件"), [&ctx] { checkForUpdate(ctx); });
}

}  // namespace hb
