#include "app/backends.h"
#include "app/main_window.h"
#include "app/system_services.h"
#include "document/batch.h"
#include "office/libreoffice.h"
#include "resources/resources.h"

namespace hb {

void prepareDesktop() {
    installFontAlias();
}

SystemServices makeSystemServices(Shell& shell) {
    SystemServices s;
    auto office = std::make_unique<LibreOfficeSuite>(&shell);
    LibreOfficeSuite* kept = office.get();
    s.onceDrawn = [kept](MainWindow& window) {
        keepOfficeRunningOnceDrawn(window.client(), *kept);
    };
    s.office = std::move(office);
    s.audio = makeAudioDevices();
    s.ftp = makeFtpClient(21);
    s.http = makeHttpClient();
    return s;
}

int runCompose(const QStringList& arguments) {
    return runComposeCommand(
        arguments, [](Shell& shell) { return std::make_unique<LibreOfficeSuite>(&shell); });
}

}  // namespace hb
