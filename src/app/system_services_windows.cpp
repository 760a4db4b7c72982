#include "app/backends.h"
#include "app/system_services.h"
#include "document/batch.h"
#include "office/com_office.h"
#include "security/registry.h"

namespace hb {

std::future<void> prepareDesktop() {
    std::promise<void> none;
    none.set_value();
    return none.get_future();
}

SystemServices makeSystemServices(Shell&) {
    SystemServices s;
    s.office = std::make_unique<ComOfficeSuite>();
    s.audio = makeAudioDevices();
    s.ftp = makeFtpClient(21);
    s.http = makeHttpClient();
    return s;
}

std::unique_ptr<Registry> makeRegistry(const Paths&) {
    return std::make_unique<WindowsRegistry>();
}

int runCompose(const QStringList& arguments) {
    return runComposeCommand(arguments, [](Shell&) { return std::make_unique<ComOfficeSuite>(); });
}

}  // namespace hb
