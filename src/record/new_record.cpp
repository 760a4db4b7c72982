#include "record/new_record.h"

#include "platform/context.h"
#include "platform/dialogs.h"
#include "record/inquiry_record.h"

namespace hb {

void newRecordCommand(AppContext& ctx) {
    if (!ctx.record->text(Field::workUnit).isEmpty() &&
        ctx.dialogs->message(QStringLiteral("你确认要新建一份新的笔录？"),
                             QStringLiteral("提 示："), Buttons::OkCancel) != Answer::Ok)
        return;
    clearRecord(ctx);
}

void clearRecord(AppContext& ctx) {
    InquiryRecord& r = *ctx.record;
    for (Field f : {Field::startYear, Field::startMonth, Field::startDay, Field::startHour,
                    Field::startMinute, Field::endHour, Field::endMinute, Field::personName,
                    Field::idNumber, Field::workUnit, Field::phone, Field::otherContact})
        r.setText(f, {});
    r.setText(Field::idKind, QStringLiteral("身份证"));
    for (Hidden h :
         {Hidden::ftpLocalPath, Hidden::audioFilePath, Hidden::officePath, Hidden::templatePath})
        r.setHidden(h, {});
    r.setText(Field::caseNotes, {});
    for (Field f : {Field::placeDetail, Field::householdDetail, Field::officer,
                    Field::otherParticipants, Field::recordKeeper}) {
        r.clearItems(f);
        r.setText(f, {});
    }
    for (int k = 1; k <= kLineCount; ++k) {
        for (Field f : {question(k), answer(k)}) {
            r.clearItems(f);
            r.setText(f, {});
            r.insertItem(f, 0, f == question(k) ? QStringLiteral("问：") : QStringLiteral("答："));
        }
    }
    if (ctx.startUp) ctx.startUp();
}

void offerNameAnswer(InquiryRecord& record) {
    record.insertItem(answer(2), 0, QStringLiteral("答：") + record.text(Field::personName));
}

void offerWorkUnitPhrases(InquiryRecord& record) {
    const QString unit = record.text(Field::workUnit);
    record.insertItem(answer(3), 0, QStringLiteral("答：") + unit);
    record.insertItem(question(4), 0,
                      QStringLiteral("问：") + unit + QStringLiteral("负责人是谁？"));
}

}  // namespace hb
