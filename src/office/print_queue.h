#pragma once
// What the CUPS scheduler says of a printer and of a job it has accepted.
#include <QString>

namespace hb {

// Why an accepted job is not printing, for the officer: its printer is paused and the job
// waits in the queue. Empty when nothing holds it back or the scheduler cannot be asked.
// An empty printer is the default one; jobId 0 stands for any job.
QString waitingJobReason(const QString& printer, int jobId);

}  // namespace hb
