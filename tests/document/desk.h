#pragma once
// A record on the recording office, in a temporary program directory with its own Set.ini.
#include <QTemporaryDir>

#include "platform/context.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "record/inquiry_record.h"
#include "support/fake_office.h"

namespace hb::test {

struct Desk {
    explicit Desk(const QString& settings = QStringLiteral("[fenye]\nhang1=甲\nhang2=乙\n")) {
        ctx.paths.programDir = dir.path();
        ctx.record = &record;
        ctx.office = &office;
        if (!settings.isNull()) writeSettings(settings);
        const char* header[][2] = {
            {"2026", "startYear"},
            {"9", "startMonth"},
            {"15", "startDay"},
            {"9", "startHour"},
            {"05", "startMinute"},
            {"10", "endHour"},
            {"40", "endMinute"},
            {"澄屿市", "place"},
            {"询问室", "placeDetail"},
            {"张三", "personName"},
            {"男", "sex"},
            {"吉林省", "household"},
            {"临江区", "householdDetail"},
            {"居民身份证", "idKind"},
            {"220201", "idNumber"},
            {"某公司", "workUnit"},
            {"经理", "position"},
            {"138", "phone"},
            {"无", "otherContact"},
            {"李四", "officer"},
            {"赵六", "otherParticipants"},
            {"王五", "recordKeeper"},
        };
        for (int i = 0; i < 22; ++i) record.setText(Field(i), QString::fromUtf8(header[i][0]));
    }
    void writeSettings(const QString& text) {
        writeFileBytes(dir.filePath(QStringLiteral("Set.ini")), toGbkLines(text));
    }
    void fillLines(const QList<int>& lines) {
        for (int k : lines) {
            record.setText(question(k), QStringLiteral("问：第%1问").arg(k));
            record.setText(answer(k), QStringLiteral("答：第%1答").arg(k));
        }
    }
    QString bl(const QString& name) const { return dir.path() + QStringLiteral("/BL/") + name; }

    QTemporaryDir dir;
    MemoryRecord record;
    FakeOffice office;
    AppContext ctx;
};

}  // namespace hb::test
