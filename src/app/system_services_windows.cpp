#include <cstdio>

#include "app/backends.h"
#include "app/system_services.h"
#include "security/registry.h"

namespace hb {

// Word through COM is still to come: until then the office seam stays empty.
void prepareDesktop() {}

SystemServices makeSystemServices(Shell&) {
    SystemServices s;
    s.audio = makeAudioDevices();
    s.ftp = makeFtpClient(21);
    s.http = makeHttpClient();
    return s;
}

std::unique_ptr<Registry> makeRegistry(const Paths&) {
    return std::make_unique<WindowsRegistry>();
}

int runCompose(const QStringList&) {
    std::fputs("hengbi compose: 这一版本还不能不开窗口排版笔录。\n", stderr);
    return 1;
}

}  // namespace hb
