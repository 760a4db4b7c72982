#include "document/office.h"

#include "platform/context.h"
#include "record/inquiry_record.h"

namespace hb {

bool isOfficeInstalled(AppContext& ctx) {
    const QString dir = ctx.office ? ctx.office->programDirectory() : QString();
    if (ctx.record) ctx.record->setHidden(Hidden::officePath, dir);
    return !dir.isEmpty();
}

}  // namespace hb
