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

class QWidget;

namespace hb {

// The window's busy indication; an empty text ends it. app/ sets it once.
void setBusyIndicator(std::function<void(const QString&)> show);
// The "取消" button of the busy indication, shown while work that may be stopped runs.
void setBusyCancelButton(QWidget* button);

// Work the officer may stop (a server that trickles): Escape or the "取消" button call
// cancel; closing a window first asks confirmClose, then cancels and closes the window once
// the work has ended. Both run on the GUI thread; the work must then end soon.
struct BusyCancel {
    std::function<void()> cancel;
    std::function<bool()> confirmClose;
};

void runWhileBusy(const QString& busyText, const std::function<void()>& work,
                  const BusyCancel& stop = {});

// From the work: adds a note to the busy text, e.g. that the work is being retried.
void addBusyNote(const QString& note);

// The work must not touch widgets: it runs on another thread.
template <class Work>
auto runBusy(const QString& busyText, Work&& work, const BusyCancel& stop = {})
    -> std::invoke_result_t<Work&> {
    using Result = std::invoke_result_t<Work&>;
    if constexpr (std::is_void_v<Result>) {
        runWhileBusy(busyText, work, stop);
    } else {
        std::optional<Result> result;
        runWhileBusy(
            busyText, [&] { result.emplace(work()); }, stop);
        return std::move(*result);
    }
}

}  // namespace hb
