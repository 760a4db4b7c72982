#pragma once
// Each subsystem puts its panels into the main window and answers its menu items.
namespace hb {

struct AppContext;
class MainWindow;

void wireShell(MainWindow& window, AppContext& ctx);     // screens, New, exit, password
void wireDocument(MainWindow& window, AppContext& ctx);  // open, save, print
void wireLibrary(MainWindow& window, AppContext& ctx);   // texts, reading panel, forms, help
void wireRecorder(MainWindow& window, AppContext& ctx);
void wireExchange(MainWindow& window, AppContext& ctx);
void wireExtras(MainWindow& window, AppContext& ctx);  // links, tools, update, author

}  // namespace hb
