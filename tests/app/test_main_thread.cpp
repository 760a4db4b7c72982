// The desktop is prepared on a helper thread before the application object exists; the
// application must still be made on Qt's main thread, however the two threads are timed.
#include <stdlib.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>

#include "app/system_services.h"

namespace {
bool notMainThread = false;
void watch(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (text.contains(QLatin1String("not created in the main() thread"))) notMainThread = true;
}
}  // namespace

int main(int argc, char** argv) {
    // The helper writes the font alias under here, through Qt's files; the application object
    // is made as soon as the file is there, while the helper goes on loading fontconfig.
    char config[] = "/tmp/hengbi-main-thread-XXXXXX";
    if (!mkdtemp(config)) return 2;
    setenv("XDG_CONFIG_HOME", config, 1);
    // Spelt out, not asked of userFontAliasPath(): a Qt call on this thread first would make
    // it Qt's main thread and hide the fault.
    const std::string alias = std::string(config) + "/fontconfig/conf.d/30-hengbi-simsun.conf";
    qInstallMessageHandler(watch);
    std::future<void> prepared = hb::prepareDesktop();
    struct stat st {};
    while (::stat(alias.c_str(), &st) != 0 &&
           prepared.wait_for(std::chrono::microseconds(50)) != std::future_status::ready) {
    }
    {
        QCoreApplication app(argc, argv);
        prepared.wait();
    }
    QDir(QString::fromLocal8Bit(config)).removeRecursively();
    std::puts(notMainThread ? "FAIL: the application object is not on Qt's main thread" : "PASS");
    return notMainThread ? 1 : 0;
}
