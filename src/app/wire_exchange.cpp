#include <QAction>
#include <QGroupBox>
#include <QLineEdit>

#include "app/main_window.h"
#include "app/record_fields.h"
#include "app/wiring.h"
#include "exchange/exchange.h"
#include "platform/context.h"

namespace hb {

void wireExchange(MainWindow& window, AppContext& ctx) {
    QGroupBox* panel = createFtpPanel(window.client());
    panel->setAutoFillBackground(true);  // over the banner
    for (QLineEdit* box : panel->findChildren<QLineEdit*>()) keepOnOneLine(box);
    auto menu = [&window](const char* item, auto handler) {
        QObject::connect(window.action(QString::fromUtf8(item)), &QAction::triggered, &window,
                         handler);
    };
    menu("FTP笔录服务器配置", [panel] { toggleFtpPanel(panel); });
    menu("笔录上传", [panel, &ctx] { uploadTemplate(ctx, ftpSettings(panel)); });
    menu("笔录下载", [panel, &ctx] { downloadTemplate(ctx, ftpSettings(panel)); });
}

}  // namespace hb
