// Start-up of the program itself with a full Set.ini (514 values, rules window off), against a
// bare Qt window of its own executable, and beside them a window with only the program's menu
// bar and a line of its header, all on the display's real platform plugin (run it under
// xvfb-run -a): from exec to the first paint event, and to the end of that first frame (every
// control drawn and handed to the display: what the officer sees). Then New on the running
// window.
//
// The bench stays a client of the display throughout, as a desktop's panel and window manager
// are. Otherwise the X server resets each time a child leaves, and the next child waits some
// 40 ms for the reset: the same wait for both, which adds to the bare window's time and so
// flatters the ratio.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "app/application.h"
#include "app/startup.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "real_services.h"
#include "record/new_record.h"

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
    if (v.empty()) return std::nan("");  // no run reported: said below
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Child: start up, show, run New 30 times on the window, report.
int newChild(const QString& home) {
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    SilentDialogs dialogs;
    AppContext ctx;
    ctx.paths = Paths::under(home);
    RealServices services(ctx, dialogs, home);
    auto window = buildMainWindow(ctx);
    startUp(*window, ctx);
    // Drawn, and what waits for that done: New then fills lists at once, as in use.
    QDeadlineTimer deadline(5000);
    while (!window->drawn() && !deadline.hasExpired()) QApplication::processEvents();
    QApplication::processEvents();
    std::vector<double> times;
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer n;
        n.start();
        newRecordCommand(ctx);
        times.push_back(n.nsecsElapsed() / 1e6);
    }
    std::printf("New (clear + start-up + 514 values), median of 30: %.2f ms\n", median(times));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && QByteArray(argv[1]) == "--new")
        return newChild(QString::fromLocal8Bit(qgetenv("HB_BENCH_HOME")));
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "bench_startup measures on a display: xvfb-run -a %s\n", argv[0]);
        return 2;
    }
    // The children inherit the platform: the real one, as an officer's desktop has.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication display(argc, argv);
    QTemporaryDir home;
    QDir().mkpath(home.filePath("desktop"));
    writeFileBytes(home.filePath("Set.ini"), toGbkLines(fullSettings()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HENGBI_HOME", home.path());
    env.insert("HENGBI_SYSTEM_DIR", home.filePath("system"));
    env.insert("HENGBI_REGISTRY_DIR", home.filePath("registry"));
    env.insert("XDG_DESKTOP_DIR", home.filePath("desktop"));
    env.insert("XDG_CACHE_HOME", home.filePath("cache"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("HENGBI_FIRST_PAINT", "1");
    const QString dir = QCoreApplication::applicationDirPath();

    // Milliseconds from just before the start of the program to the start of its first paint
    // and to the end of that first frame.
    struct Times {
        std::vector<double> paint, frame;
        int unreported = 0;
    };
    auto run = [&](const QStringList& command, Times* times) {
        QProcess p;
        p.setProcessEnvironment(env);
        const qint64 t0 = monotonicNs();
        p.start(command.first(), command.mid(1));
        p.waitForFinished(30000);
        const QList<QByteArray> stamps = p.readAllStandardOutput().trimmed().split('\n');
        if (!times) return;
        if (stamps.size() < 2) {
            ++times->unreported;
            return;
        }
        times->paint.push_back((stamps.at(stamps.size() - 2).toLongLong() - t0) / 1e6);
        times->frame.push_back((stamps.last().toLongLong() - t0) / 1e6);
    };
    const QString bare = dir + "/bench_bare_window";
    struct Program {
        const char* name;
        QStringList command;
        Times times;
    };
    // The bare window first: the yardstick. Then the least a window in Chinese shows, for
    // what text alone costs, and the program.
    Program programs[] = {{"bare window", {bare}, {}},
                          {"menus + a line", {bare, "--text"}, {}},
                          {"衡笔", {QStringLiteral(HB_HENGBI)}, {}}};
    // The file cache warm for all.
    for (const Program& p : programs) run(p.command, nullptr);
    // In turn and in rotating order, so that the machine's load falls on all alike.
    const int kRounds = 61, kPrograms = int(std::size(programs));
    for (int i = 0; i < kRounds; ++i)
        for (int k = 0; k < kPrograms; ++k) {
            Program& p = programs[(i + k) % kPrograms];
            run(p.command, &p.times);
        }
    std::printf(
        "Exec to the window, median of %d rounds (Xvfb, xcb), ms and ratio to the bare "
        "window:\n  %-40s",
        kRounds, "");
    for (const Program& p : programs) {
        int columns = 0;  // a Chinese character takes two
        for (const QChar c : QString::fromUtf8(p.name)) columns += c.unicode() >= 0x1100 ? 2 : 1;
        std::printf(" %*s%s", 15 - columns, "", p.name);
    }
    std::printf("\n");
    const auto report = [&](const char* what, std::vector<double> Times::*moment) {
        std::printf("  %-40s", what);
        const double yardstick = median(programs[0].times.*moment);
        for (const Program& p : programs) {
            const double m = median(p.times.*moment);
            std::printf(" %7.1f (%.2f)", m, m / yardstick);
        }
        std::printf("\n");
    };
    report("first paint begins", &Times::paint);
    report("first frame drawn (the window as seen)", &Times::frame);
    // A start that crashed or hung, say: left out, but counted.
    for (const Program& p : programs)
        if (p.times.unreported)
            std::printf("  runs of %s without a report, left out: %d\n", p.name,
                        p.times.unreported);
    std::fflush(stdout);

    qputenv("HB_BENCH_HOME", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QCoreApplication::applicationFilePath(), {"--new"});
    p.waitForFinished(-1);
    return 0;
}
