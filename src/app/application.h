#pragma once
#include <memory>

#include "app/main_window.h"

namespace hb {

struct AppContext;

// The main window with every subsystem wired to it and ctx.record / ctx.startUp set.
std::unique_ptr<MainWindow> buildMainWindow(AppContext& ctx);
// 宋体 and SimSun are drawn with the Song face; the window font has the metrics of 宋体.
void installFonts();
// The program: the window, or a batch command given on the command line.
int runApplication(int argc, char** argv);

}  // namespace hb
