#include "app/application.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <future>

#include "app/first_frame.h"
#include "app/startup.h"
#include "app/system_services.h"
#include "app/translations.h"
#include "app/wiring.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "resources/resources.h"
#include "security/registry.h"

namespace hb {

void installFonts() {
    static const bool done = [] {
        // 宋体 in the window as in the documents, whether or not the fontconfig alias is read.
        for (const char* name : {"宋体", "SimSun", "新宋体", "NSimSun"})
            QFont::insertSubstitutions(QString::fromUtf8(name),
                                       {songFace(), QStringLiteral("Noto Serif CJK SC")});
        // The whole window in 宋体, as on Windows: half-width blanks and full-width characters,
        // as the labels' blank runs expect, and one face at start for every caption.
        QApplication::setFont(songFont(12));
        return true;
    }();
    (void)done;
}

std::unique_ptr<MainWindow> buildMainWindow(AppContext& ctx) {
    installFonts();
    applyTheme(QString());  // the plain look, before the controls are polished in it
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

QString helpText() {
    return QStringLiteral(
        "用法：hengbi [命令]\n"
        "衡笔 " HB_VERSION
        " —— 劳动保障监察询问笔录。不带命令时打开主窗口。\n"
        "\n"
        "命令：\n"
        "  compose TEMPLATE.ini --out FILE.doc|FILE.pdf [--force]\n"
        "                    用程序目录的 Set.ini 把笔录模板排成笔录文档并保存，不开窗口；\n"
        "                    笔录模板同时写入 BL。BL 中已有内容不同的同名模板时拒绝并说明\n"
        "                    是哪个文件，加 --force 才替换它\n"
        "  seed-home DIR     把默认的 Set.ini 和帮助文件写入 DIR，已有的文件不动\n"
        "\n"
        "选项：\n"
        "  -h, --help        显示本帮助\n"
        "  -v, --version     显示版本\n"
        "\n"
        "环境变量：\n"
        "  HENGBI_HOME          程序目录（Set.ini、BL/、帮助文件）；默认为程序所在的目录\n"
        "                       （有 Set.ini 时）或 ~/.local/share/hengbi\n"
        "  HENGBI_SYSTEM_DIR    文书、法规文本和更新文件的目录\n"
        "  HENGBI_REGISTRY_DIR  密码锁的目录\n"
        "  HENGBI_SOFFICE       LibreOffice 的 soffice 程序或其程序目录\n");
}

int printTo(FILE* stream, const QString& text, int exitCode) {
    std::fputs(text.toUtf8().constData(), stream);
    return exitCode;
}

// Without a display Qt ends the start with its list of platform plugins, which tells an
// officer nothing. While the application object is made, Qt's own messages are held back:
// a failed start says in Chinese what is missing, a good one lets them through.
class DesktopSessionCheck {
  public:
    DesktopSessionCheck() { previous_ = qInstallMessageHandler(&DesktopSessionCheck::hold); }
    ~DesktopSessionCheck() { passed(); }
    void passed() {
        if (!holding_) return;
        holding_ = false;
        qInstallMessageHandler(previous_);
        for (const Held& m : held())
            qt_message_output(m.type, {nullptr, 0, nullptr, m.category.constData()}, m.text);
        held().clear();
    }

  private:
    struct Held {
        QtMsgType type;
        QByteArray category;
        QString text;
    };
    static QList<Held>& held() {
        static QList<Held> messages;
        return messages;
    }
    static void hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type != QtFatalMsg) {
            held().append(
                {type, QByteArray(context.category ? context.category : "default"), text});
            return;
        }
        const QString display = qEnvironmentVariable("DISPLAY");
        printTo(
            stderr,
            QStringLiteral("hengbi：无法打开窗口：%1。衡笔需要在图形桌面会话中启动；"
                           "不开窗口把笔录模板排成文档请用 hengbi compose（见 hengbi --help）。\n")
                .arg(display.isEmpty() ? QStringLiteral("没有图形桌面（没有设置 DISPLAY）")
                                       : QStringLiteral("连接不上图形桌面 %1").arg(display)),
            1);
        std::_Exit(1);
    }

    QtMessageHandler previous_ = nullptr;
    bool holding_ = true;
};

}  // namespace

int runApplication(int argc, char** argv) {
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    // Answered before any application object exists: no display is needed.
    if (args.contains(QLatin1String("--version")) || args.contains(QLatin1String("-v")))
        return printTo(stdout, QStringLiteral("hengbi " HB_VERSION "\n"), 0);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h")))
        return printTo(stdout, helpText(), 0);
    const QString command = args.value(0);
    if (command == QLatin1String("seed-home")) {
        if (args.size() != 2)
            return printTo(stderr, QStringLiteral("用法：hengbi seed-home DIR\n"), 2);
        QCoreApplication core(argc, argv);
        const Paths paths = Paths::fromEnvironment(QCoreApplication::applicationDirPath());
        return seedProgramDir(args[1], paths.defaultsDir) ? 0 : 1;
    }
    if (command == QLatin1String("compose")) {
        QCoreApplication core(argc, argv);
        return runCompose(args.mid(1));
    }
    // Options are Qt's own (-platform, -style ...); a word is a command.
    if (!command.isEmpty() && !command.startsWith(QLatin1Char('-')))
        return printTo(
            stderr,
            QStringLiteral("hengbi: 没有“%1”这个命令；hengbi --help 列出命令。\n").arg(command), 2);
    // Waited for before the first font is looked up, so that this process sees the alias too.
    std::future<void> desktopPrepared = prepareDesktop();
    DesktopSessionCheck desktop;
    QApplication app(argc, argv);
    desktop.passed();
    desktopPrepared.wait();
    startLoadingBanner();
    installQtTranslations();
    QApplication::setApplicationName(QStringLiteral("hengbi"));
    QApplication::setApplicationVersion(QStringLiteral(HB_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("hengbi"));

    QtDialogs dialogs;
    DesktopShell shell;
    SystemClock clock;
    RealPause pause;
    AppContext ctx;
    ctx.executablePath = QApplication::applicationFilePath();
    ctx.paths = Paths::fromEnvironment(QApplication::applicationDirPath());
    QString unseeded;
    if (ctx.paths.seedProgramDir)
        seedProgramDir(ctx.paths.programDir, ctx.paths.defaultsDir, &unseeded);
    const std::unique_ptr<Registry> registry = makeRegistry(ctx.paths);
    ctx.dialogs = &dialogs;
    ctx.shell = &shell;
    ctx.clock = &clock;
    ctx.pause = &pause;
    ctx.registry = registry.get();
    SystemServices services = makeSystemServices(shell);
    ctx.office = services.office.get();
    ctx.audio = services.audio.get();
    ctx.ftp = services.ftp.get();
    ctx.http = services.http.get();

    QApplication::setWindowIcon(appIcon());
    std::unique_ptr<MainWindow> window = buildMainWindow(ctx);
    if (services.onceDrawn) services.onceDrawn(*window);
    const QString screenshot = qEnvironmentVariable("HENGBI_SCREENSHOT");
    if (!screenshot.isEmpty()) screenshotMode(*window, screenshot);
    // Before the empty lists and the design title appear, once a start.
    if (!unseeded.isEmpty())
        dialogs.message(QStringLiteral("无法建立设置文件和帮助文件：\n%1\n笔录的选择列表将是空的，"
                                       "窗口用默认标题。腾出磁盘空间后请重新启动软件。")
                            .arg(unseeded),
                        QStringLiteral("提示："), Buttons::Ok, Icon::Warning);
    if (qEnvironmentVariableIsSet("HENGBI_FIRST_PAINT")) reportFirstFrame(window.get());
    if (!startUp(*window, ctx)) return 0;
    return QApplication::exec();
}

}  // namespace hb
