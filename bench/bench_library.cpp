// Showing the largest text (the 200 questions, ~100 KB of GBK) in the reading panel.
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/application.h"
#include "library/library.h"
#include "platform/context.h"
#include "record/inquiry_record.h"

using namespace hb;

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFonts();
    QTemporaryDir dir;
    AppContext ctx;
    ctx.paths.systemDir = dir.path();
    MemoryRecord record;
    ctx.record = &record;
    QWidget client;
    client.resize(1019, 572);
    ReadingPanel panel(&client, ctx, &client);
    client.show();

    const LegalText* largest = nullptr;
    qsizetype size = 0;
    for (const LegalText& t : legalTexts()) {
        const qsizetype s = legalTextBytes(t).size();
        if (s > size) size = s, largest = &t;
    }
    std::vector<double> times;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer t;
        t.start();
        panel.showLegalText(*largest);
        QApplication::processEvents();  // laid out and painted once
        times.push_back(t.nsecsElapsed() / 1e6);
        panel.close();
    }
    std::sort(times.begin(), times.end());
    std::printf("Showing %s (%lld bytes GBK) in the reading panel, median of 21: %.1f ms\n",
                largest->fileName, static_cast<long long>(size), times[times.size() / 2]);
    return 0;
}
