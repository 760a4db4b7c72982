// The program's own services wired into a context, for the benches that run the window.
#pragma once

#include <QString>

#include "office/libreoffice.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "security/registry.h"

namespace hb {

// ctx.paths must be set first; the office keeps its profiles in <home>/office.
struct RealServices {
    RealServices(AppContext& ctx, Dialogs& dialogs, const QString& home)
        : registry(ctx.paths.registryDir), office(&shell, officeUnder(home)) {
        ctx.dialogs = &dialogs;
        ctx.shell = &shell;
        ctx.clock = &clock;
        ctx.pause = &pause;
        ctx.registry = &registry;
        ctx.office = &office;
    }
    static LibreOfficeSuite::Settings officeUnder(const QString& home) {
        LibreOfficeSuite::Settings s;
        s.workDir = home + QStringLiteral("/office");
        return s;
    }
    DesktopShell shell;
    SystemClock clock;
    RealPause pause;
    IniRegistry registry;
    LibreOfficeSuite office;
};

}  // namespace hb
