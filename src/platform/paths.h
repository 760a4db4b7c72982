#pragma once
#include <QString>

namespace hb {

struct FileDialogSpec;

// Where the application's files live on this desktop.
struct Paths {
    QString programDir;           // Set.ini, BL/ and the help files
    QString systemDir;            // forms, texts and the update file
    QString registryDir;          // the registry store
    QString desktopDir;           // the launcher
    bool seedProgramDir = false;  // the per-user program directory, filled from the defaults
    QString defaultsDir;          // the defaults installed with the program, if it is installed

    QString blDir() const;
    // BL and the program directory: where the file dialogs for records open and what their
    // side bar offers.
    void offerIn(FileDialogSpec& dialog) const;
    // Set.ini, whatever the letter case of its name on disk.
    QString settingsFile() const;

    // HENGBI_HOME, else the executable's directory when it serves (isProgramDir), else the
    // per-user data folder (%LOCALAPPDATA% on Windows); HENGBI_SYSTEM_DIR and
    // HENGBI_REGISTRY_DIR override the other two.
    static Paths fromEnvironment(const QString& executableDir);
    // Everything in one folder: dir itself and its system, registry and desktop folders.
    static Paths under(const QString& dir);
};

// Per system. Whether the executable's directory is the program directory: on Linux when it
// holds Set.ini; on Windows when it also may be written and is no installed copy.
bool isProgramDir(const QString& executableDir);
// The defaults installed with the program, which seed a per-user program directory: the
// etc/hengbi of the executable's install tree on Linux, wherever it was unpacked; on Windows
// the executable's directory when it holds Set.ini. Empty when there are none.
QString installedDefaults(const QString& executableDir);

}  // namespace hb
