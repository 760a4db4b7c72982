// Start-up to visible window with a full Set.ini (514 values, rules window off), against an
// empty Qt window started the same way; then New on the running window.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "app/application.h"
#include "app/startup.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/shell.h"
#include "record/new_record.h"
#include "security/registry.h"

using namespace hb;

namespace {

QString fullSettings() {
    QString t = "[pop]\ntanchu=0\n[biludidian]\ndidian1=澄屿市\ndidian2=吉林省澄屿市\n";
    auto section = [&t](const QString& name, const QString& stem, int n, const QString& v) {
        t += "[" + name + "]\n";
        for (int i = 1; i <= n; ++i) t += QStringLiteral("%1%2=%3%2\n").arg(stem).arg(i).arg(v);
    };
    section("Set1", "didian", 25, "劳动保障监察大队询问室");
    section("Set2", "huji", 25, "吉林省澄屿市城关镇");
    for (int n = 1; n <= 3; ++n) section(QStringLiteral("name%1").arg(n), "name", 10, "监察员");
    for (int k = 1; k <= 24; ++k) {
        section(QStringLiteral("wenti%1").arg(k), "wenti", 10, "问：你在该单位从事什么工作？");
        section(QStringLiteral("daan%1").arg(k), "daan", 8, "答：我在工地做力工，每月工资三千元。");
    }
    return t;
}

class SilentDialogs : public Dialogs {
  public:
    Answer message(const QString&, const QString&, Buttons, Icon) override { return Answer::Ok; }
    QString chooseFile(const FileDialogSpec&) override { return {}; }
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Child: start up, show, let the window be drawn once, exit.
int child(bool empty, const QString& home) {
    QElapsedTimer t;
    t.start();
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    if (empty) {
        QWidget w;
        w.resize(1025, 642);
        w.show();
        QApplication::processEvents();
        return 0;
    }
    SilentDialogs dialogs;
    DesktopShell shell;
    SystemClock clock;
    RealPause pause;
    AppContext ctx;
    ctx.paths = Paths::under(home);
    IniRegistry registry(ctx.paths.registryDir);
    ctx.dialogs = &dialogs;
    ctx.shell = &shell;
    ctx.clock = &clock;
    ctx.pause = &pause;
    ctx.registry = &registry;
    auto window = buildMainWindow(ctx);
    startUp(*window, ctx);
    QApplication::processEvents();
    if (qEnvironmentVariableIsSet("HB_BENCH_NEW")) {
        std::vector<double> times;
        for (int i = 0; i < 30; ++i) {
            QElapsedTimer n;
            n.start();
            newRecordCommand(ctx);
            times.push_back(n.nsecsElapsed() / 1e6);
        }
        std::printf("New (clear + start-up + 514 values), median of 30: %.2f ms\n", median(times));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        qputenv("QT_QPA_PLATFORM",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
        return child(QByteArray(argv[2]) == "empty",
                     QString::fromLocal8Bit(qgetenv("HB_BENCH_HOME")));
    }
    QCoreApplication core(argc, argv);
    QTemporaryDir home;
    QDir().mkpath(home.filePath("desktop"));
    writeFileBytes(home.filePath("Set.ini"), toGbkLines(fullSettings()));
    qputenv("HB_BENCH_HOME", home.path().toLocal8Bit());
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");

    auto run = [&](const char* what) {
        std::vector<double> times;
        for (int i = 0; i < 11; ++i) {
            QElapsedTimer t;
            t.start();
            QProcess::execute(QCoreApplication::applicationFilePath(), {"--child", what});
            times.push_back(t.nsecsElapsed() / 1e6);
        }
        return median(times);
    };
    const double empty = run("empty");
    const double app = run("app");
    std::printf("Start-up to visible window (process start to first paint), median of 11:\n");
    std::printf("  empty Qt window: %.1f ms\n  衡笔, full Set.ini: %.1f ms (+%.1f ms)\n", empty,
                app, app - empty);
    qputenv("HB_BENCH_NEW", "1");
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QCoreApplication::applicationFilePath(), {"--child", "app"});
    p.waitForFinished(-1);
    return 0;
}
