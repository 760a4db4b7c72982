#include "app/application.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QTimer>

#include "app/startup.h"
#include "app/wiring.h"
#include "document/batch.h"
#include "document/libreoffice.h"
#include "exchange/ftp_client.h"
#include "extras/http_client.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "recorder/audio_devices.h"
#include "resources/resources.h"
#include "security/registry.h"

namespace hb {

void installFonts() {
    static const bool done = [] {
        for (const char* name : {"宋体", "SimSun", "新宋体"})
            QFont::insertSubstitutions(QString::fromUtf8(name),
                                       {QStringLiteral("Noto Serif CJK SC")});
        // Half-width blanks and full-width characters, as the labels' blank runs expect.
        QFont ui(QStringLiteral("Noto Sans Mono CJK SC"));
        ui.setPixelSize(12);
        QApplication::setFont(ui);
        return true;
    }();
    (void)done;
}

std::unique_ptr<MainWindow> buildMainWindow(AppContext& ctx) {
    installFonts();
    auto window = std::make_unique<MainWindow>();
    MainWindow& w = *window;
    ctx.record = &w.record();
    ctx.startUp = [&w, &ctx] { startUp(w, ctx); };
    wireShell(w, ctx);
    wireDocument(w, ctx);
    wireLibrary(w, ctx);
    wireRecorder(w, ctx);
    wireExchange(w, ctx);
    wireExtras(w, ctx);
    return window;
}

namespace {

// For a look at the window without a display: modal windows are acknowledged, the main
// window is saved as a picture once start-up has finished, and the program ends.
void screenshotMode(MainWindow& window, const QString& path) {
    auto* acknowledge = new QTimer(&window);
    QObject::connect(acknowledge, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    acknowledge->start(700);
    QTimer::singleShot(0, &window, [&window, path] {
        QTimer::singleShot(1500, &window, [&window, path] {
            window.grab().save(path);
            QApplication::exit(0);
        });
    });
}

}  // namespace

int runApplication(int argc, char** argv) {
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (args.value(0) == QLatin1String("seed-home") && args.size() == 2) {
        QCoreApplication core(argc, argv);
        return seedProgramDir(args[1]) ? 0 : 1;
    }
    if (args.value(0) == QLatin1String("compose")) {
        QCoreApplication core(argc, argv);
        return runComposeCommand(args.mid(1));
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("hengbi"));
    QApplication::setWindowIcon(appIcon());

    QtDialogs dialogs;
    DesktopShell shell;
    SystemClock clock;
    RealPause pause;
    CurlFtpClient ftp(21);
    CurlHttpClient http;
    QtAudioDevices audio;
    AppContext ctx;
    ctx.executablePath = QApplication::applicationFilePath();
    ctx.paths = Paths::fromEnvironment(QApplication::applicationDirPath());
    if (ctx.paths.seedProgramDir) seedProgramDir(ctx.paths.programDir);
    IniRegistry registry(ctx.paths.registryDir);
    ctx.dialogs = &dialogs;
    ctx.shell = &shell;
    ctx.clock = &clock;
    ctx.pause = &pause;
    ctx.registry = &registry;
    ctx.ftp = &ftp;
    ctx.http = &http;
    LibreOfficeSuite office(&shell);
    ctx.office = &office;
    ctx.audio = &audio;

    std::unique_ptr<MainWindow> window = buildMainWindow(ctx);
    const QString screenshot = qEnvironmentVariable("HENGBI_SCREENSHOT");
    if (!screenshot.isEmpty()) screenshotMode(*window, screenshot);
    if (!startUp(*window, ctx)) return 0;
    return QApplication::exec();
}

}  // namespace hb
