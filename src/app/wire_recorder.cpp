#include "app/main_window.h"
#include "app/wiring.h"
#include "platform/context.h"

namespace hb {

void wireRecorder(MainWindow& window, AppContext& ctx) {
    (void)window;
    (void)ctx;
}

}  // namespace hb
