#include "office/kept_office.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QLockFile>
#include <QProcessEnvironment>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "office/office_bridge.h"
#include "office/soffice.h"
#include "platform/files.h"
#include "platform/modules.h"
#include "platform/termination.h"

namespace hb {

using Clock = std::chrono::steady_clock;

namespace {

// More programs on one machine each keep their own office: one profile a program.
constexpr int kSlots = 8;

// Conversions of a healthy office whose times make the watchdog's bound.
constexpr int kTimedCalls = 15;

// The exit code once the process has ended (128 + signal when killed), which leaves it a
// zombie: its id, and its group's, stay reserved until it is reaped.
std::optional<int> exitCode(pid_t pid) {
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return errno == ECHILD ? std::optional(-1) : std::nullopt;
    if (info.si_pid != pid) return std::nullopt;
    return info.si_code == CLD_EXITED ? info.si_status : 128 + info.si_status;
}

// soffice.bin's exit code for "start me again".
constexpr int kRestartRequested = 81;

}  // namespace

struct KeptOffice::Impl {
    enum class State { Idle, Starting, Ready };

    explicit Impl(Settings settings) : s(std::move(settings)) {}

    void run();
    void launch();
    bool loadBridge(QString* why);
    bool spawn(QString* why);
    bool connect(QString* why);
    bool claimSlot();
    // Ends the office's process group and reaps the office; the lock is held.
    void endOffice(int firstSignal, int graceMs);
    // The office is gone or of no use: it is ended, and may be started again.
    void lose() {
        if (bridge) bridge->disconnect();
        state = State::Idle;
        endOffice(SIGKILL, 0);
        cv.notify_all();
    }
    void removePipe() const { QFile::remove(officePipePath(pipeName)); }
    // How long a call may take before the office counts as hung; the lock is held.
    int callBoundMs() const {
        if (healthyMs.empty()) return s.callTimeoutMs;
        std::vector<int> sorted = healthyMs;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        return std::min(s.callTimeoutMs, sorted[sorted.size() / 2] + s.hungAfterMs);
    }
    void warmUp();

    Settings s;
    mutable std::mutex m;
    mutable std::condition_variable cv;
    State state = State::Idle;
    bool startWanted = false;
    bool quitting = false;
    bool unavailable = false;  // the bridge does not load: only one-shot runs
    pid_t pid = 0;
    int connection = 0;                         // counts the offices connected
    std::optional<Clock::time_point> deadline;  // of the call in progress
    bool timedOut = false;
    std::vector<int> healthyMs;  // the latest conversions' times
    std::mutex call;             // one conversion at a time

    // The keeper thread's own: it forks the office, so that the office's parent-death
    // signal follows this thread, which lives as long as the KeptOffice.
    QString slotDir;
    std::unique_ptr<QLockFile> slotLock;
    QString pipeName;
    int launches = 0;
    bool restartAsked = false;
    std::unique_ptr<OfficeBridge> bridge;
    std::thread keeper;
    std::thread warmer;
    int cleanup = 0;
    KeptOffice* owner = nullptr;
};

KeptOffice::KeptOffice(Settings settings) : d_(std::make_unique<Impl>(std::move(settings))) {
    d_->owner = this;
    d_->keeper = std::thread([this] { d_->run(); });
    // A program ended by a signal takes its office and the office's socket with it.
    d_->cleanup = addTerminationCleanup([this] {
        std::lock_guard lock(d_->m);
        d_->endOffice(SIGKILL, 0);
    });
}

KeptOffice::~KeptOffice() {
    removeTerminationCleanup(d_->cleanup);
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
        if (d_->unavailable) return;
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
    return d_->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return d_->state == Impl::State::Ready || d_->unavailable;
    }) && d_->state == Impl::State::Ready;
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
    if (bridge) bridge->disconnect();
    state = State::Idle;
    endOffice(SIGTERM, 3000);
    lock.unlock();
    if (warmer.joinable()) warmer.join();
    // The bridge's runtime ends on the thread that made it.
    bridge.reset();
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

// The URE of the office that was found, then the bridge that was built against a URE: its
// UNO libraries are the ones already loaded, whatever office they came with.
bool KeptOffice::Impl::loadBridge(QString* why) {
    if (bridge) return true;
    for (const char* name : {"libuno_sal.so.3", "libuno_cppu.so.3", "libuno_cppuhelpergcc3.so.3"}) {
        QLibrary ure(s.programDir + QLatin1Char('/') + QLatin1String(name));
        ure.setLoadHints(QLibrary::ExportExternalSymbolsHint);
        if (!ure.load()) {
            *why = ure.errorString();
            return false;
        }
    }
    const auto create = moduleFunction<OfficeBridgeFactory>(QLatin1String(kOfficeBridgeModule),
                                                            kOfficeBridgeFactory, why);
    if (!create) return false;
    // The UNO runtime of this program reads the type libraries of the office it speaks to.
    const QString ini = slotDir + QStringLiteral("/uno.ini");
    const QString url = QUrl::fromLocalFile(s.programDir).toString(QUrl::FullyEncoded);
    const QString text = QStringLiteral(
                             "[Bootstrap]\nURE_INTERNAL_LIB_DIR=%1\n"
                             "UNO_TYPES=%1/types.rdb %1/types/offapi.rdb\n"
                             "UNO_SERVICES=%1/services.rdb\n")
                             .arg(url);
    if (!writeFileBytes(ini, text.toUtf8())) {
        *why = QStringLiteral("无法写入 %1").arg(ini);
        return false;
    }
    std::unique_ptr<OfficeBridge> made(
        create(QUrl::fromLocalFile(ini).toString(QUrl::FullyEncoded)));
    std::lock_guard lock(m);
    bridge = std::move(made);
    return true;
}

bool KeptOffice::Impl::connect(QString* why) {
    const Clock::time_point limit = Clock::now() + std::chrono::milliseconds(s.startTimeoutMs);
    for (;;) {
        {
            std::lock_guard lock(m);
            if (quitting) return false;
            if (pid == 0) {
                *why = QStringLiteral("LibreOffice 在启动时被结束了");
                return false;
            }
            if (const std::optional<int> code = exitCode(pid)) {
                // So it asks after making a new profile; its launcher would run it again.
                restartAsked = *code == kRestartRequested;
                *why = QStringLiteral("LibreOffice 启动后退出了（%1）").arg(*code);
                return false;
            }
        }
        switch (bridge->connect(pipeName, why)) {
            case OfficeBridge::Result::Done:
                return true;
            case OfficeBridge::Result::NotYet:
                break;
            default:
                return false;
        }
        if (Clock::now() > limit) {
            *why = QStringLiteral("LibreOffice 在 %1 秒内没有启动").arg(s.startTimeoutMs / 1000);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
}

void KeptOffice::Impl::launch() {
    // The last warm-up ended with the office it warmed.
    if (warmer.joinable()) warmer.join();
    QString why;
    bool connected = false;
    if (!claimSlot()) {
        why = QStringLiteral("%1 中没有可用的配置目录").arg(s.workDir);
    } else if (!loadBridge(&why)) {
        // Not to be retried at every conversion: the one-shot runs serve from now on.
        std::lock_guard lock(m);
        unavailable = true;
        why = QStringLiteral("无法载入 UNO 模块：%1").arg(why);
    } else if (!seedOfficeProfile(slotDir + QStringLiteral("/profile"), s.programDir)) {
        why = QStringLiteral("无法建立配置目录 %1/profile").arg(slotDir);
    } else {
        restartAsked = true;
        for (int attempt = 0; attempt < 3 && restartAsked && !connected; ++attempt) {
            restartAsked = false;
            {
                std::lock_guard lock(m);
                endOffice(SIGKILL, 0);
            }
            if (!spawn(&why)) break;
            connected = connect(&why);
        }
    }
    std::lock_guard lock(m);
    if (connected && !quitting) {
        ++connection;
        state = State::Ready;
        cv.notify_all();
        if (!s.warmUpSource.isEmpty()) warmer = std::thread([this] { warmUp(); });
    } else {
        if (!quitting)
            qWarning("LibreOffice kept for conversions did not start: %s", qPrintable(why));
        lose();
    }
}

// The office loads Writer and its export filters on first use: a save should not wait for
// that.
void KeptOffice::Impl::warmUp() {
    const QString out = slotDir + QStringLiteral("/tmp/warm-up.out");
    owner->convert(s.warmUpSource, s.warmUpFilter, out, nullptr);
    QFile::remove(out);
}

bool KeptOffice::convert(const QString& input, const QString& filter, const QString& output,
                         QString* error, bool* hung) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (hung) *hung = false;
    std::lock_guard serial(d_->call);
    int connection = 0;
    Clock::time_point started = Clock::now();
    {
        std::lock_guard lock(d_->m);
        if (d_->state != Impl::State::Ready) return fail(QStringLiteral("LibreOffice 尚未就绪"));
        connection = d_->connection;
        started = Clock::now();
        d_->deadline = started + std::chrono::milliseconds(d_->callBoundMs());
        d_->timedOut = false;
    }
    d_->cv.notify_all();

    QString why;
    QFile::remove(output);
    const OfficeBridge::Result result = d_->bridge->convert(input, filter, output, &why);

    std::lock_guard lock(d_->m);
    d_->deadline.reset();
    if (d_->timedOut) {
        d_->timedOut = false;
        if (hung) *hung = true;
        return fail(QStringLiteral("LibreOffice 在 %1 秒内没有完成转换")
                        .arg(qMax(1, d_->callBoundMs() / 1000)));
    }
    if (result == OfficeBridge::Result::Lost) {
        // The keeper may have noticed first and started another office: that one stays.
        if (d_->connection == connection && d_->state == Impl::State::Ready) d_->lose();
        return fail(QStringLiteral("LibreOffice 意外退出了"));
    }
    if (result != OfficeBridge::Result::Done)
        return fail(QStringLiteral("LibreOffice 转换失败：%1").arg(why));
    if (QFileInfo(output).size() <= 0)
        return fail(QStringLiteral("LibreOffice 没有生成 %1").arg(QFileInfo(output).fileName()));
    d_->healthyMs.push_back(
        int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count()));
    if (d_->healthyMs.size() > size_t(kTimedCalls)) d_->healthyMs.erase(d_->healthyMs.begin());
    return true;
}

}  // namespace hb
