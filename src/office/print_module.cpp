// The module of the print queue's state: libcups and its libraries (TLS, Kerberos, Avahi)
// load with it, when a print has been sent.
#include <QString>
#include <cstring>

#include <cups/cups.h>

extern "C" __attribute__((visibility("default"))) QString hengbiWaitingJobReason(
    const QString& printer, int jobId) {
    const QByteArray name = printer.toLocal8Bit();
    cups_dest_t* dest =
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.isEmpty() ? nullptr : name.constData(), nullptr);
    if (!dest) return {};
    const QByteArray destName = dest->name;
    const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
    const char* reasons = cupsGetOption("printer-state-reasons", dest->num_options, dest->options);
    const bool paused = (state && std::atoi(state) == IPP_PSTATE_STOPPED) ||
                        (reasons && std::strstr(reasons, "paused"));
    cupsFreeDests(1, dest);
    if (!paused) return {};

    bool waiting = jobId == 0;
    cups_job_t* jobs = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, destName.constData(), 0, CUPS_WHICHJOBS_ACTIVE);
    for (int i = 0; i < count; ++i)
        if (jobs[i].id == jobId) waiting = true;
    cupsFreeJobs(count, jobs);
    if (!waiting) return {};
    return QStringLiteral(
               "打印任务已送到打印机“%1”，但这台打印机已暂停，任务在队列中等待。"
               "打印机恢复后会自动打印，不必再打印一次。")
        .arg(QString::fromLocal8Bit(destName));
}
