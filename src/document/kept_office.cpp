// UNO headers first: Qt's keyword macros must not reach them.
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include "document/kept_office.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcessEnvironment>
#include <QUrl>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "document/soffice.h"
#include "platform/files.h"

namespace hb {

namespace uno = com::sun::star::uno;
namespace beans = com::sun::star::beans;
namespace frame = com::sun::star::frame;
namespace lang = com::sun::star::lang;
using Clock = std::chrono::steady_clock;
using rtl::OUString;

namespace {

// More programs on one machine each keep their own office: one profile a program.
constexpr int kSlots = 8;

OUString toOu(const QString& s) {
    return OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size());
}

QString fromOu(const OUString& s) {
    return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength());
}

OUString fileUrl(const QString& path) {
    return toOu(
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded));
}

beans::PropertyValue property(const char* name, const uno::Any& value) {
    beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

uno::Sequence<beans::PropertyValue> properties(const std::vector<beans::PropertyValue>& list) {
    return uno::Sequence<beans::PropertyValue>(list.data(), static_cast<sal_Int32>(list.size()));
}

// The exit code once the process has ended (128 + signal when killed), which leaves it a
// zombie: its id, and its group's, stay reserved until it is reaped.
std::optional<int> exitCode(pid_t pid) {
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return errno == ECHILD ? std::optional(-1) : std::nullopt;
    if (info.si_pid != pid) return std::nullopt;
    return info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
}

// Where LibreOffice makes the socket of a named pipe; it stays when the office is killed.
QString pipePath(const QString& name) {
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(getuid()).arg(name);
}

// The sockets of offices whose program was killed.
void removeOrphanPipes() {
    const QString prefix = QFileInfo(pipePath(QStringLiteral("hengbi-"))).fileName();
    for (const QString& name :
         QDir(QStringLiteral("/tmp"))
             .entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::System)) {
        const pid_t owner = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toInt();
        if (owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH)
            QFile::remove(QStringLiteral("/tmp/") + name);
    }
}

// soffice.bin's exit code for "start me again".
constexpr int kRestartRequested = 81;

}  // namespace

struct KeptOffice::Impl {
    enum class State { Idle, Starting, Ready };

    explicit Impl(Settings settings) : s(std::move(settings)) {}

    void run();
    void launch();
    bool spawn(QString* why);
    uno::Reference<frame::XDesktop2> connect(QString* why);
    bool claimSlot();
    // Ends the office's process group and reaps the office; the lock is held.
    void endOffice(int firstSignal, int graceMs);
    // The office is gone or of no use: it is ended, and may be started again.
    void lose() {
        desktop.clear();
        state = State::Idle;
        endOffice(SIGKILL, 0);
        cv.notify_all();
    }
    void removePipe() const { QFile::remove(pipePath(pipeName)); }

    Settings s;
    mutable std::mutex m;
    mutable std::condition_variable cv;
    State state = State::Idle;
    bool startWanted = false;
    bool quitting = false;
    pid_t pid = 0;
    uno::Reference<frame::XDesktop2> desktop;
    std::optional<Clock::time_point> deadline;  // of the call in progress
    bool timedOut = false;
    std::mutex call;  // one conversion at a time

    // The keeper thread's own: it forks the office, so that the office's parent-death
    // signal follows this thread, which lives as long as the KeptOffice.
    QString slotDir;
    std::unique_ptr<QLockFile> slotLock;
    QString pipeName;
    int launches = 0;
    bool restartAsked = false;
    uno::Reference<uno::XComponentContext> local;
    std::thread keeper;
};

KeptOffice::KeptOffice(Settings settings) : d_(std::make_unique<Impl>(std::move(settings))) {
    d_->keeper = std::thread([this] { d_->run(); });
}

KeptOffice::~KeptOffice() {
    {
        std::lock_guard lock(d_->m);
        d_->quitting = true;
    }
    d_->cv.notify_all();
    d_->keeper.join();
}

void KeptOffice::start() {
    {
        std::lock_guard lock(d_->m);
        d_->startWanted = true;
    }
    d_->cv.notify_all();
}

bool KeptOffice::isReady() const {
    std::lock_guard lock(d_->m);
    return d_->state == Impl::State::Ready;
}

bool KeptOffice::waitUntilReady(int timeoutMs) const {
    std::unique_lock lock(d_->m);
    return d_->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return d_->state == Impl::State::Ready; });
}

qint64 KeptOffice::processId() const {
    std::lock_guard lock(d_->m);
    return d_->pid;
}

QString KeptOffice::profileDir() const {
    std::lock_guard lock(d_->m);
    return d_->slotDir.isEmpty() ? QString() : d_->slotDir + QStringLiteral("/profile");
}

void KeptOffice::Impl::run() {
    std::unique_lock lock(m);
    while (!quitting) {
        if (startWanted && state == State::Idle && pid == 0) {
            startWanted = false;
            state = State::Starting;
            lock.unlock();
            launch();
            lock.lock();
            continue;
        }
        if (pid == 0) {
            cv.wait(lock);
            continue;
        }
        // Watch the office: a call past its time, or an office that ended by itself (which
        // is started again, as it had started well).
        Clock::time_point wake = Clock::now() + std::chrono::seconds(1);
        if (deadline && *deadline < wake) wake = *deadline;
        cv.wait_until(lock, wake);
        if (deadline && Clock::now() >= *deadline) {
            timedOut = true;
            deadline.reset();
            lose();
        } else if (pid != 0 && state == State::Ready && exitCode(pid)) {
            lose();
            startWanted = true;
        }
    }
    desktop.clear();
    state = State::Idle;
    endOffice(SIGTERM, 3000);
    lock.unlock();
    const uno::Reference<lang::XComponent> runtime(local, uno::UNO_QUERY);
    if (runtime.is()) runtime->dispose();
    local.clear();
}

void KeptOffice::Impl::endOffice(int firstSignal, int graceMs) {
    if (pid == 0) return;
    ::kill(pid, firstSignal);
    ::kill(-pid, firstSignal);
    const Clock::time_point limit = Clock::now() + std::chrono::milliseconds(graceMs);
    while (!exitCode(pid) && Clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // Whatever else runs in its group goes with it, while the leader's id is still reserved.
    ::kill(pid, SIGKILL);
    ::kill(-pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = 0;
    removePipe();
}

bool KeptOffice::Impl::claimSlot() {
    if (slotLock) return true;
    if (!QDir().mkpath(s.workDir)) return false;
    for (int n = 1; n <= kSlots; ++n) {
        auto lockFile =
            std::make_unique<QLockFile>(s.workDir + QStringLiteral("/kept-%1.lock").arg(n));
        lockFile->setStaleLockTime(0);
        if (!lockFile->tryLock(0)) continue;
        slotDir = s.workDir + QStringLiteral("/kept-%1").arg(n);
        slotLock = std::move(lockFile);
        return QDir().mkpath(slotDir + QStringLiteral("/tmp"));
    }
    return false;
}

bool KeptOffice::Impl::spawn(QString* why) {
    QString program = s.programDir + QStringLiteral("/soffice.bin");
    // The launcher script and oosplash would stand between: no parent-death signal reaches
    // the office through them.
    if (!QFileInfo(program).isExecutable()) program = s.programDir + QStringLiteral("/soffice");
    pipeName = QStringLiteral("hengbi-%1-%2").arg(getpid()).arg(++launches);
    const QStringList args =
        QStringList{program} + headlessArguments(slotDir + QStringLiteral("/profile")) +
        QStringList{
            QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName)};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), slotDir + QStringLiteral("/tmp"));
    env.insert(QStringLiteral("SAL_ENABLE_FILE_LOCKING"), QStringLiteral("1"));

    // Everything the child needs is made before fork: after it only system calls.
    std::vector<std::string> argStore, envStore;
    for (const QString& a : args) argStore.push_back(a.toLocal8Bit().toStdString());
    for (const QString& e : env.toStringList()) envStore.push_back(e.toLocal8Bit().toStdString());
    std::vector<char*> argv, envp;
    for (std::string& a : argStore) argv.push_back(a.data());
    for (std::string& e : envStore) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const QByteArray logPath = QFile::encodeName(slotDir + QStringLiteral("/office.log"));
    const int log = ::open(logPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = ::getpid();

    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        ::dup2(devNull, 0);
        ::dup2(log >= 0 ? log : devNull, 1);
        ::dup2(log >= 0 ? log : devNull, 2);
        ::close_range(3, ~0U, 0);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    // Its own process group from here on, whichever of the two gets there first.
    if (child > 0) ::setpgid(child, child);
    if (log >= 0) ::close(log);
    if (devNull >= 0) ::close(devNull);
    if (child < 0) {
        *why = QStringLiteral("无法启动 %1").arg(program);
        return false;
    }
    std::lock_guard lock(m);
    pid = child;
    return true;
}

uno::Reference<frame::XDesktop2> KeptOffice::Impl::connect(QString* why) {
    // The UNO runtime of this program reads the type libraries that came with it.
    const QString ini = slotDir + QStringLiteral("/uno.ini");
    if (!local.is()) {
        const QString ure = QStringLiteral(HB_URE_DIR);
        const QString url = QUrl::fromLocalFile(ure).toString(QUrl::FullyEncoded);
        const QString text = QStringLiteral(
                                 "[Bootstrap]\nURE_INTERNAL_LIB_DIR=%1\n"
                                 "UNO_TYPES=%1/types.rdb %1/types/offapi.rdb\n"
                                 "UNO_SERVICES=%1/services.rdb\n")
                                 .arg(url);
        if (!writeFileBytes(ini, text.toUtf8())) {
            *why = QStringLiteral("无法写入 %1").arg(ini);
            return {};
        }
        local = cppu::defaultBootstrap_InitialComponentContext(fileUrl(ini));
    }
    const uno::Reference<com::sun::star::bridge::XUnoUrlResolver> resolver =
        com::sun::star::bridge::UnoUrlResolver::create(local);
    const OUString url =
        toOu(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName));
    const Clock::time_point limit = Clock::now() + std::chrono::milliseconds(s.startTimeoutMs);
    for (;;) {
        {
            std::lock_guard lock(m);
            if (quitting) return {};
            if (pid == 0) {
                *why = QStringLiteral("LibreOffice 在启动时被结束了");
                return {};
            }
            if (const std::optional<int> code = exitCode(pid)) {
                // So it asks after making a new profile; its launcher would run it again.
                restartAsked = *code == kRestartRequested;
                *why = QStringLiteral("LibreOffice 启动后退出了（%1）").arg(*code);
                return {};
            }
        }
        try {
            const uno::Reference<uno::XComponentContext> remote(resolver->resolve(url),
                                                                uno::UNO_QUERY_THROW);
            return frame::Desktop::create(remote);
        } catch (const com::sun::star::connection::NoConnectException&) {
        }
        if (Clock::now() > limit) {
            *why = QStringLiteral("LibreOffice 在 %1 秒内没有启动").arg(s.startTimeoutMs / 1000);
            return {};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
}

void KeptOffice::Impl::launch() {
    QString why;
    uno::Reference<frame::XDesktop2> connected;
    if (!claimSlot()) {
        why = QStringLiteral("%1 中没有可用的配置目录").arg(s.workDir);
    } else if (!seedOfficeProfile(slotDir + QStringLiteral("/profile"), s.programDir)) {
        why = QStringLiteral("无法建立配置目录 %1/profile").arg(slotDir);
    } else {
        removeOrphanPipes();
        restartAsked = true;
        for (int attempt = 0; attempt < 3 && restartAsked && !connected.is(); ++attempt) {
            restartAsked = false;
            {
                std::lock_guard lock(m);
                endOffice(SIGKILL, 0);
            }
            if (!spawn(&why)) break;
            try {
                connected = connect(&why);
            } catch (const uno::Exception& e) {
                why = fromOu(e.Message);
            }
        }
    }
    std::lock_guard lock(m);
    if (connected.is() && !quitting) {
        desktop = connected;
        state = State::Ready;
        cv.notify_all();
    } else {
        if (!quitting)
            qWarning("LibreOffice kept for conversions did not start: %s", qPrintable(why));
        lose();
    }
}

bool KeptOffice::convert(const QString& input, const QString& filter, const QString& output,
                         QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    std::lock_guard serial(d_->call);
    uno::Reference<frame::XDesktop2> desktop;
    {
        std::lock_guard lock(d_->m);
        if (d_->state != Impl::State::Ready) return fail(QStringLiteral("LibreOffice 尚未就绪"));
        desktop = d_->desktop;
        d_->deadline = Clock::now() + std::chrono::milliseconds(d_->s.callTimeoutMs);
        d_->timedOut = false;
    }
    d_->cv.notify_all();

    QString why;
    bool officeLost = false;
    QFile::remove(output);
    try {
        // A document the officer picked runs no macros and fetches no links.
        const uno::Sequence<beans::PropertyValue> load = properties({
            property("Hidden", uno::Any(true)), property("ReadOnly", uno::Any(true)),
            property("MacroExecutionMode", uno::Any(sal_Int16(0))),  // NEVER_EXECUTE
            property("UpdateDocMode", uno::Any(sal_Int16(0))),       // NO_UPDATE
        });
        const uno::Reference<lang::XComponent> doc = desktop->loadComponentFromURL(
            fileUrl(input), OUString::createFromAscii("_blank"), 0, load);
        if (!doc.is()) {
            why = QStringLiteral("LibreOffice 无法打开 %1").arg(input);
        } else {
            const qsizetype colon = filter.indexOf(QLatin1Char(':'));
            std::vector<beans::PropertyValue> store = {
                property("FilterName", uno::Any(toOu(filter.left(colon)))),
                property("Overwrite", uno::Any(true)),
            };
            if (colon >= 0)
                store.push_back(property("FilterOptions", uno::Any(toOu(filter.mid(colon + 1)))));
            try {
                uno::Reference<frame::XStorable>(doc, uno::UNO_QUERY_THROW)
                    ->storeToURL(fileUrl(output), properties(store));
            } catch (const lang::DisposedException&) {
                throw;
            } catch (const uno::Exception& e) {
                why = fromOu(e.Message);
            }
            const uno::Reference<com::sun::star::util::XCloseable> closeable(doc, uno::UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            else
                doc->dispose();
        }
    } catch (const lang::DisposedException&) {
        officeLost = true;
    } catch (const uno::Exception& e) {
        if (why.isEmpty()) why = fromOu(e.Message);
    }

    std::lock_guard lock(d_->m);
    d_->deadline.reset();
    if (d_->timedOut) {
        d_->timedOut = false;
        return fail(
            QStringLiteral("LibreOffice 在 %1 秒内没有完成转换").arg(d_->s.callTimeoutMs / 1000));
    }
    if (officeLost) {
        // The keeper may have noticed first and started another office: that one stays.
        if (d_->desktop == desktop) d_->lose();
        return fail(QStringLiteral("LibreOffice 意外退出了"));
    }
    if (!why.isEmpty()) return fail(QStringLiteral("LibreOffice 转换失败：%1").arg(why));
    if (QFileInfo(output).size() <= 0)
        return fail(QStringLiteral("LibreOffice 没有生成 %1").arg(QFileInfo(output).fileName()));
    return true;
}

}  // namespace hb
