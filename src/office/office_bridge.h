#pragma once
// The part of the kept office that speaks UNO. It is a module of its own, loaded by the
// keeper thread after the URE of the office that was found: the program needs no UNO
// libraries to start, and an office under /opt brings its own.
#include <QString>

namespace hb {

class OfficeBridge {
  public:
    enum class Result {
        Done,
        NotYet,  // connect: the office does not accept yet
        Failed,  // the reason is in *why
        Lost,    // the office went away during the call
    };

    virtual ~OfficeBridge() = default;
    // Connects over the office's named pipe; a later connect replaces the office held.
    virtual Result connect(const QString& pipeName, QString* why) = 0;
    // Loads input read-only, without macros or links, and stores it through the filter
    // ("MS Word 97", or name:options).
    virtual Result convert(const QString& input, const QString& filter, const QString& output,
                           QString* why) = 0;
    virtual void disconnect() = 0;
};

// The module's entry point: a bridge whose UNO runtime reads the bootstrap file at unoIni
// (a file URL).
using OfficeBridgeFactory = OfficeBridge* (*)(const QString& unoIni);
inline constexpr char kOfficeBridgeModule[] = "hengbi-office";
inline constexpr char kOfficeBridgeFactory[] = "hengbiCreateOfficeBridge";

}  // namespace hb
