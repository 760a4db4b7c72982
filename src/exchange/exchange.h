#pragma once
// Record templates shared through the office's FTP server.
#include <QString>

class QGroupBox;
class QWidget;

namespace hb {

struct AppContext;

// The settings panel 分组框7 with its four boxes, hidden until the menu shows it.
QGroupBox* createFtpPanel(QWidget* parent);
// Moves the panel to the top left corner and shows or hides it in turn.
void toggleFtpPanel(QWidget* panel);

struct FtpSettings {
    QString host, account, password, name;
};
FtpSettings ftpSettings(const QWidget* panel);

// Sends a template chosen on disk to "wwwroot/" as the typed name + ".ini".
void uploadTemplate(AppContext& ctx, const FtpSettings& settings);
// Fetches the typed name + ".ini" from "wwwroot/" into BL.
void downloadTemplate(AppContext& ctx, const FtpSettings& settings);

}  // namespace hb
