#pragma once
// Slow work (office, network) runs on a worker thread while the window keeps painting: the
// wait cursor, a busy text in the status bar, and no mouse or key input reaches any window
// until the work is done, so a second save cannot start under the first. Without a GUI (the
// batch command) the work runs in place.
#include <QString>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace hb {

// The window's busy indication; an empty text ends it. app/ sets it once.
void setBusyIndicator(std::function<void(const QString&)> show);

void runWhileBusy(const QString& busyText, const std::function<void()>& work);

// The work must not touch widgets: it runs on another thread.
template <class Work>
auto runBusy(const QString& busyText, Work&& work) -> std::invoke_result_t<Work&> {
    using Result = std::invoke_result_t<Work&>;
    if constexpr (std::is_void_v<Result>) {
        runWhileBusy(busyText, work);
    } else {
        std::optional<Result> result;
        runWhileBusy(busyText, [&] { result.emplace(work()); });
        return std::move(*result);
    }
}

}  // namespace hb
