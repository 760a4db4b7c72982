#include "office/office.h"

#include "platform/background.h"
#include "platform/context.h"
#include "record/inquiry_record.h"

namespace hb {

bool isOfficeInstalled(AppContext& ctx) {
    const QString dir = ctx.office ? ctx.office->programDirectory() : QString();
    if (ctx.record) ctx.record->setHidden(Hidden::officePath, dir);
    return !dir.isEmpty();
}

bool printOfficeFile(AppContext& ctx, const QString& path, QString* error) {
    OfficeSuite& office = *ctx.office;
    return runBusy(QStringLiteral("正在打印……"), [&] {
        office.create();
        office.attach();
        bool printed = office.open(path);
        if (printed) {
            office.setVisible(false);
            printed = office.print();
        }
        if (!printed) *error = office.lastError();
        office.close();
        office.quit();
        return printed;
    });
}

}  // namespace hb
