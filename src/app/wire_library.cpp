#include <QAction>
#include <QDir>

#include "app/main_window.h"
#include "app/wiring.h"
#include "library/library.h"
#include "platform/context.h"

namespace hb {

void wireLibrary(MainWindow& window, AppContext& ctx) {
    // Made when a text is first asked for: its box and face need not load with the window.
    auto panel = [&window, &ctx] {
        auto* made = window.findChild<ReadingPanel*>(QString(), Qt::FindDirectChildrenOnly);
        return made ? made : new ReadingPanel(window.client(), ctx, &window);
    };
    auto menu = [&window](const char* item, auto handler) {
        QObject::connect(window.action(QString::fromUtf8(item)), &QAction::triggered, &window,
                         handler);
    };
    for (const LegalText& text : legalTexts())
        menu(text.caption, [panel, &text] { panel()->showLegalText(text); });
    for (const InspectionForm& form : inspectionForms())
        menu(form.caption, [&ctx, &form] { openForm(ctx, form); });
    for (const HelpFile& help : helpFiles())
        menu(help.caption, [panel, &ctx, &help] {
            panel()->showFile(
                QDir(ctx.paths.programDir).filePath(QString::fromUtf8(help.fileName)));
        });
}

}  // namespace hb
