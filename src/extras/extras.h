#pragma once
// Links, desktop tools, author information and the update check.
#include <QString>
#include <QStringList>

namespace hb {

struct AppContext;

// Opens the address of the link item with this caption in the desktop's browser.
void openLink(AppContext& ctx, const QString& caption);

// The first installed of each list (the system's own), started detached; nothing is said
// when none is.
extern const QStringList kCalculators;
extern const QStringList kTextEditors;
struct ToolCommand {
    QString program;
    QStringList arguments;
};
// The office's word processor or spreadsheet, with no document, in the checked programDir.
ToolCommand officeProgram(const QString& programDir, bool spreadsheet);
void startCalculator(AppContext& ctx);
void startTextEditor(AppContext& ctx);

// Writer or Calc with no document, after the office check.
void startWordProcessor(AppContext& ctx);
void startSpreadsheet(AppContext& ctx);

void showAuthorInformation(AppContext& ctx);

// Fetches soft.ini from the site, keeps it in the system folder and says whether a newer
// version is published.
void checkForUpdate(AppContext& ctx);

}  // namespace hb
