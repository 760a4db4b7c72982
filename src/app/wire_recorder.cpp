#include <QAction>

#include "app/main_window.h"
#include "app/wiring.h"
#include "platform/context.h"
#include "recorder/recorder_panel.h"

namespace hb {

void wireRecorder(MainWindow& window, AppContext& ctx) {
    auto* panel = new RecorderPanel(ctx, window.client());
    panel->hide();
    panel->setAutoFillBackground(true);  // over the banner
    // Hiding only hides: a recording and its timer go on.
    QObject::connect(window.action(QStringLiteral("打开笔录录音")), &QAction::triggered, panel,
                     [panel] {
                         panel->raise();  // it lies over the banner
                         panel->show();
                     });
    QObject::connect(window.action(QStringLiteral("关闭笔录录音")), &QAction::triggered, panel,
                     &QWidget::hide);
}

}  // namespace hb
