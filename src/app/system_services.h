#pragma once
// The system's implementations behind the seams, chosen here: one file per system. A seam
// left empty is a service the system lacks, and the program says so where it is needed.
#include <QStringList>
#include <functional>
#include <future>
#include <memory>

#include "exchange/ftp_client.h"
#include "extras/http_client.h"
#include "office/office.h"
#include "recorder/audio_devices.h"

namespace hb {

class MainWindow;
class Registry;
class Shell;
struct Paths;

struct SystemServices {
    std::unique_ptr<OfficeSuite> office;
    std::unique_ptr<AudioDevices> audio;
    std::unique_ptr<FtpClient> ftp;
    std::unique_ptr<HttpClient> http;
    // Work that waits until the main window has been drawn.
    std::function<void(MainWindow&)> onceDrawn;
};

// Before the application object. Part of it may go on beside the application object's
// start: wait for the result before the first font is looked up.
std::future<void> prepareDesktop();
// On the GUI thread, after the application object.
SystemServices makeSystemServices(Shell& shell);
// Where the lock's values live.
std::unique_ptr<Registry> makeRegistry(const Paths& paths);
// hengbi compose ...: the exit code.
int runCompose(const QStringList& arguments);

}  // namespace hb
