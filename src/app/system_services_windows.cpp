#include <cstdio>

#include "app/system_services.h"
#include "security/registry.h"

namespace hb {

// Word through COM, waveIn/waveOut and the Windows Internet functions are still to come:
// until then the office, sound and network seams stay empty.
void prepareDesktop() {}

SystemServices makeSystemServices(Shell&) {
    return {};
}

std::unique_ptr<Registry> makeRegistry(const Paths&) {
    return std::make_unique<WindowsRegistry>();
}

int runCompose(const QStringList&) {
    std::fputs("hengbi compose: 这一版本还不能不开窗口排版笔录。\n", stderr);
    return 1;
}

}  // namespace hb
