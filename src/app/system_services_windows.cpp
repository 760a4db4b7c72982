#include "app/system_services.h"
#include "document/batch.h"
#include "office/com_office.h"

namespace hb {

// waveIn/waveOut and the Windows Internet functions are still to come: until then the sound
// and network seams stay empty.
void prepareDesktop() {}

SystemServices makeSystemServices(Shell&) {
    SystemServices s;
    s.office = std::make_unique<ComOfficeSuite>();
    return s;
}

int runCompose(const QStringList& arguments) {
    return runComposeCommand(arguments, [](Shell&) { return std::make_unique<ComOfficeSuite>(); });
}

}  // namespace hb
