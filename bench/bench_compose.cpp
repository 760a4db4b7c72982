// Composition of a full record (24 lines from the shipped Set.ini) on the LibreOffice backend,
// alone and followed by the save as Word 97 and as PDF, through the kept office and through
// one-shot soffice runs side by side; the commands need no fixed pauses. Prints medians.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "document/composer.h"
#include "office/kept_office.h"
#include "office/libreoffice.h"
#include "office/soffice.h"
#include "platform/context.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/ini.h"
#include "record/inquiry_record.h"
#include "resources/resources.h"

using namespace hb;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void fillFullRecord(InquiryRecord& r, const IniIndex& settings) {
    const char* header[] = {"2026",
                            "9",
                            "15",
                            "9",
                            "05",
                            "10",
                            "40",
                            "澄屿市",
                            "询问室",
                            "张三",
                            "男",
                            "吉林省澄屿市",
                            "临江区",
                            "居民身份证",
                            "220201198001011234",
                            "澄屿市某某建筑工程有限公司",
                            "经理",
                            "13800000000",
                            "无",
                            "李四",
                            "无",
                            "王五"};
    for (int i = 0; i < 22; ++i) r.setText(Field(i), QString::fromUtf8(header[i]));
    for (int k = 1; k <= kLineCount; ++k) {
        r.setText(question(k),
                  settings.value(QStringLiteral("wenti%1").arg(k), QStringLiteral("wenti1")));
        r.setText(answer(k),
                  settings.value(QStringLiteral("daan%1").arg(k), QStringLiteral("daan1")));
    }
    r.setText(Field::caseNotes, QStringLiteral("第一行\r\n第二行"));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    writeFileBytes(home.filePath(QStringLiteral("Set.ini")),
                   defaultFileBytes(QStringLiteral("Set.ini")));
    AppContext ctx;
    ctx.paths.programDir = home.path();
    MemoryRecord record;
    fillFullRecord(record, IniIndex::load(ctx.paths.settingsFile()));
    LibreOfficeSuite::Settings settings;
    settings.workDir = home.filePath(QStringLiteral("office"));
    LibreOfficeSuite office(nullptr, settings);
    ctx.record = &record;
    ctx.office = &office;

    QElapsedTimer t;
    std::vector<double> compose;
    for (int i = 0; i < 300; ++i) {
        t.start();
        composeRecordDocument(ctx);
        compose.push_back(t.nsecsElapsed() / 1000.0);
    }
    const DocumentModel* model = office.document();
    std::printf(
        "composition alone (Doc.doc and the template written, %lld paragraphs): "
        "median %.0f us over %zu runs\n",
        model ? static_cast<long long>(model->paragraphs().size()) : 0LL, median(compose),
        compose.size());

    // An office's long phrase lists: 11 MB of Set.ini ahead of the closing lines.
    QByteArray big = defaultFileBytes(QStringLiteral("Set.ini"));
    const QByteArray phrases = toGbkLines(
        QStringLiteral("[phrases]\n") +
        QStringLiteral("k=问：你在该单位从事什么工作？每月工资多少？\n").repeated(240000));
    writeFileBytes(home.filePath(QStringLiteral("Set.ini")), phrases + big);
    std::vector<double> bigCompose;
    for (int i = 0; i < 50; ++i) {
        t.start();
        composeRecordDocument(ctx);
        bigCompose.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("composition with an %.1f MB Set.ini: median %.1f ms over %zu runs\n",
                (phrases.size() + big.size()) / 1048576.0, median(bigCompose), bigCompose.size());
    writeFileBytes(home.filePath(QStringLiteral("Set.ini")), big);

    if (findOfficeProgramDir().isEmpty()) {
        std::printf("LibreOffice not installed: no save figures\n");
        return 0;
    }
    // The same record saved through the kept office and through one-shot runs, in turn.
    LibreOfficeSuite::Settings warmSettings;
    warmSettings.workDir = home.filePath(QStringLiteral("warm"));
    LibreOfficeSuite warm(nullptr, warmSettings);
    t.start();
    warm.keepOfficeRunning();
    if (!warm.keptOffice() || !warm.keptOffice()->waitUntilReady(300000)) {
        std::printf("the kept office did not start\n");
        return 1;
    }
    std::printf("kept office ready after %lld ms (new profile)\n", t.elapsed());
    auto saveOnce = [&](LibreOfficeSuite& office, const char* ext) {
        ctx.office = &office;
        const QString out = home.filePath(QStringLiteral("record.%1").arg(QLatin1String(ext)));
        t.start();
        composeRecordDocument(ctx);
        if (!office.saveAs(out)) {
            std::printf("save failed: %s\n", qPrintable(office.lastError()));
            std::exit(1);
        }
        return t.nsecsElapsed() / 1e6;
    };
    // The first one-shot run makes its profile.
    const double firstCold = saveOnce(office, "doc");
    constexpr int kRuns = 15;
    std::printf("compose + save, median of %d (24 lines):\n", kRuns);
    std::printf("          kept office    one-shot soffice\n");
    for (const char* ext : {"doc", "pdf"}) {
        std::vector<double> kept, cold;
        saveOnce(warm, ext);  // the office loads the filter once
        for (int i = 0; i < kRuns; ++i) {
            kept.push_back(saveOnce(warm, ext));
            cold.push_back(saveOnce(office, ext));
        }
        std::printf("  .%s   %8.0f ms     %8.0f ms\n", ext, median(kept), median(cold));
    }
    std::printf("first one-shot run with a new profile: %.0f ms\n", firstCold);
    // Every warm save went through the kept office: no one-shot profile was made for it.
    if (QFileInfo::exists(warmSettings.workDir + QStringLiteral("/profile")))
        std::printf("warning: some saves through the kept office fell back to one-shot runs\n");
    return 0;
}
