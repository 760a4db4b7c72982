#include "platform/termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <thread>

namespace hb {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

struct Cleanups {
    std::mutex m;
    std::map<int, std::function<void()>> list;
    int next = 1;
    int pipe[2] = {-1, -1};
};

Cleanups& cleanups() {
    static Cleanups c;
    return c;
}

void onSignal(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(cleanups().pipe[1], &byte, 1);
}

// The handler only wakes this thread: what cleans up may take locks and allocate.
void watch() {
    unsigned char signal = 0;
    while (::read(cleanups().pipe[0], &signal, 1) != 1) {
    }
    {
        Cleanups& c = cleanups();
        std::lock_guard lock(c.m);
        for (auto& [id, cleanup] : c.list) cleanup();
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void installHandlers() {
    Cleanups& c = cleanups();
    if (::pipe2(c.pipe, O_CLOEXEC) != 0) return;
    std::thread(watch).detach();
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) {
        struct sigaction old {};
        // A signal the caller chose to ignore stays ignored (nohup).
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

int addTerminationCleanup(std::function<void()> cleanup) {
    static std::once_flag installed;
    std::call_once(installed, installHandlers);
    Cleanups& c = cleanups();
    std::lock_guard lock(c.m);
    const int id = c.next++;
    c.list.emplace(id, std::move(cleanup));
    return id;
}

void removeTerminationCleanup(int id) {
    Cleanups& c = cleanups();
    std::lock_guard lock(c.m);
    c.list.erase(id);
}

}  // namespace hb
