#pragma once
// Starting other programs of the desktop.
#include <QString>
#include <QStringList>

namespace hb {

class Shell {
  public:
    virtual ~Shell() = default;
    // Opens the address in the desktop's default browser; false when none could be started.
    virtual bool openWebAddress(const QString& address) = 0;
    // Starts the program detached; false when it could not be started.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // The first of the candidates found on PATH (full path), or empty.
    virtual QString findProgram(const QStringList& candidates) = 0;
};

class DesktopShell : public Shell {
  public:
    bool openWebAddress(const QString& address) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;
    QString findProgram(const QStringList& candidates) override;
};

// The Exec value of a Desktop Entry that starts the program with no arguments (Linux).
QString desktopExecValue(const QString& program);
// Writes the desktop launcher for the executable: 衡笔.desktop with its executable bit on
// Linux, the shortcut 衡笔.lnk on Windows.
bool writeDesktopLauncher(const QString& desktopDir, const QString& executablePath);

}  // namespace hb
