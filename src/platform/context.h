#pragma once
// The services every handler takes instead of constructing its own: one real set in the
// application, fakes in tests.
#include <functional>

#include "platform/paths.h"

namespace hb {

class Dialogs;
class Shell;
class Clock;
class Pause;
class Registry;
class OfficeSuite;
class AudioDevices;
class FtpClient;
class HttpClient;
class InquiryRecord;

struct AppContext {
    Paths paths;
    QString executablePath;
    Dialogs* dialogs = nullptr;
    Shell* shell = nullptr;
    Clock* clock = nullptr;
    Pause* pause = nullptr;
    Registry* registry = nullptr;
    OfficeSuite* office = nullptr;
    AudioDevices* audio = nullptr;
    FtpClient* ftp = nullptr;
    HttpClient* http = nullptr;
    InquiryRecord* record = nullptr;
    // Steps that call each other across subsystems: New runs start-up again.
    std::function<void()> startUp;
};

}  // namespace hb
