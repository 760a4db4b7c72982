#pragma once
// Start-up, the rules window, the visual theme and the exit hook.
#include <QDialog>

namespace hb {

struct AppContext;
class MainWindow;

inline const QString kVersionText = QStringLiteral(" 程 序 版 本 V " HB_VERSION);

// The start-up sequence; New runs it again with the window visible (no password step).
// False when the password prompt was closed without the right password.
bool startUp(MainWindow& window, AppContext& ctx);
// Runs when the main window is closed: opens the configured address when "control" is "on".
void exitHook(AppContext& ctx);
// "1", "2", "3": theme on in that colour scheme; "4": off; anything else: unchanged.
void applyTheme(const QString& value);

class RulesWindow : public QDialog {
    Q_OBJECT
  public:
    explicit RulesWindow(QWidget* parent = nullptr);
};

}  // namespace hb
