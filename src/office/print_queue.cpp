#include "office/print_queue.h"

#include "platform/modules.h"

namespace hb {

QString waitingJobReason(const QString& printer, int jobId) {
    using Ask = QString (*)(const QString&, int);
    const Ask ask = moduleFunction<Ask>(QStringLiteral("hengbi-print"), "hengbiWaitingJobReason");
    return ask ? ask(printer, jobId) : QString();
}

}  // namespace hb
