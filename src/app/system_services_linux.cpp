#include <fontconfig/fontconfig.h>

#include <QThread>

#include "app/backends.h"
#include "app/main_window.h"
#include "app/system_services.h"
#include "document/batch.h"
#include "office/libreoffice.h"
#include "platform/gbk.h"
#include "platform/paths.h"
#include "resources/resources.h"
#include "security/registry.h"

namespace hb {

std::future<void> prepareDesktop() {
    // Qt takes the first thread that touches an object for its main thread: this one, not
    // the helper (whose alias write would otherwise win now and then).
    QThread::currentThread();
    // Fontconfig reads its configuration, the alias included, and its caches of every font
    // once per process: some milliseconds, while the application object mostly waits for the
    // display server.
    return std::async(std::launch::async, [] {
        installFontAlias();
        FcInit();
        // The converters' tables load once per process as well: Set.ini's values need them.
        fromGbk(QByteArrayLiteral("\xC4\xE3"));
        isGbkEncodable(QStringLiteral("你"));
    });
}

SystemServices makeSystemServices(Shell& shell) {
    SystemServices s;
    auto office = std::make_unique<LibreOfficeSuite>(&shell);
    LibreOfficeSuite* kept = office.get();
    // The office takes seconds of processor time to start: not before the window is drawn.
    s.onceDrawn = [kept](MainWindow& window) {
        window.whenDrawn([kept] { kept->keepOfficeRunning(); });
    };
    s.office = std::move(office);
    s.audio = makeAudioDevices();
    s.ftp = makeFtpClient(21);
    s.http = makeHttpClient();
    return s;
}

std::unique_ptr<Registry> makeRegistry(const Paths& paths) {
    return std::make_unique<IniRegistry>(paths.registryDir);
}

int runCompose(const QStringList& arguments) {
    return runComposeCommand(arguments, [](Shell& shell) {
        auto office = std::make_unique<LibreOfficeSuite>(&shell);
        office->removeLeftovers();
        return office;
    });
}

}  // namespace hb
