#pragma once
// A disk that fills up, for root and user alike: while it lives no file of this process
// grows past the limit, and a write past it fails (EFBIG) instead of ending the process.
#ifdef _WIN32
namespace hb::test {
// Windows has no such limit: the tests that fill the disk skip there.
class FileSizeLimit {
  public:
    static constexpr bool works = false;
    explicit FileSizeLimit(long) {}
};
}  // namespace hb::test
#else
#include <signal.h>
#include <sys/resource.h>

namespace hb::test {

class FileSizeLimit {
  public:
    static constexpr bool works = true;
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    sighandler_t oldHandler_ = SIG_DFL;
};

}  // namespace hb::test
#endif
