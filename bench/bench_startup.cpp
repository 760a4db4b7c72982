// Start-up to the first paint of the window with a full Set.ini (514 values, rules window off),
// against an empty Qt window started the same way, and with the kept office that the program
// starts once its window is drawn; then New on the running window.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
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
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

qint64 monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Milliseconds from the parent's start of this process to the first paint of w.
double untilFirstPaint(QWidget* w) {
    struct FirstPaint : QObject {
        qint64 at = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint && at == 0) at = monotonicNs();
            return false;
        }
    } watch;
    w->installEventFilter(&watch);
    const QDeadlineTimer limit(10000);
    while (watch.at == 0 && !limit.hasExpired())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    w->removeEventFilter(&watch);
    return (watch.at - qgetenv("HB_BENCH_T0").toLongLong()) / 1e6;
}

enum class Child { Empty, App, AppWithOffice };

// Child: start up, show, report the first paint, exit.
int child(Child kind, const QString& home) {
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    if (kind == Child::Empty) {
        QWidget w;
        w.resize(1025, 642);
        w.show();
        std::printf("%f\n", untilFirstPaint(&w));
        return 0;
    }
    SilentDialogs dialogs;
    AppContext ctx;
    ctx.paths = Paths::under(home);
    RealServices services(ctx, dialogs, home);
    auto window = buildMainWindow(ctx);
    // As the program does: the office starts once the window has been drawn.
    if (kind == Child::AppWithOffice) keepOfficeRunningOnceDrawn(*window, services.office);
    startUp(*window, ctx);
    const double painted = untilFirstPaint(window->client());
    if (!qEnvironmentVariableIsSet("HB_BENCH_NEW")) {
        std::printf("%f\n", painted);
    } else {
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
        const QByteArray kind = argv[2];
        return child(kind == "empty" ? Child::Empty
                     : kind == "app" ? Child::App
                                     : Child::AppWithOffice,
                     QString::fromLocal8Bit(qgetenv("HB_BENCH_HOME")));
    }
    QCoreApplication core(argc, argv);
    QTemporaryDir home;
    QDir().mkpath(home.filePath("desktop"));
    writeFileBytes(home.filePath("Set.ini"), toGbkLines(fullSettings()));
    qputenv("HB_BENCH_HOME", home.path().toLocal8Bit());
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");

    auto run = [&](const char* what) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HB_BENCH_T0", QByteArray::number(monotonicNs()));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {"--child", what});
        p.waitForFinished(-1);
        return p.readAllStandardOutput().trimmed().toDouble();
    };
    // In turn and in rotating order, so that the machine's load and the order fall on all
    // three alike.
    std::vector<double> empty, app, office;
    const int kRounds = 31;
    const std::pair<const char*, std::vector<double>*> kinds[] = {
        {"empty", &empty}, {"app", &app}, {"office", &office}};
    for (int i = 0; i < kRounds; ++i)
        for (int k = 0; k < 3; ++k) {
            const auto& [what, times] = kinds[(i + k) % 3];
            times->push_back(run(what));
        }
    const double e = median(empty), a = median(app), o = median(office);
    std::printf("Start-up to the first paint of the window (from process start), median of %d:\n",
                kRounds);
    std::printf("  empty Qt window: %.1f ms\n  衡笔, full Set.ini: %.1f ms (+%.1f ms)\n", e, a,
                a - e);
    std::printf("  衡笔, kept office started once drawn: %.1f ms (%+.1f %%)\n", o,
                (o - a) / a * 100);
    qputenv("HB_BENCH_NEW", "1");
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QCoreApplication::applicationFilePath(), {"--child", "app"});
    p.waitForFinished(-1);
    return 0;
}
