#include "record/phrase_lists.h"

#include "platform/ini.h"
#include "record/inquiry_record.h"

namespace hb {
namespace {

enum class Kind { NameAndPlace, Phrase };

// In key order, ahead of the items already there.
void fillList(InquiryRecord& record, Field field, const IniIndex& settings, const QString& section,
              const QString& keyStem, int count, Kind kind) {
    QStringList values;
    for (int n = 1; n <= count; ++n) {
        const QString value = settings.value(section, keyStem + QString::number(n));
        if (kind == Kind::Phrase && value.isEmpty()) continue;
        values << value;
    }
    record.insertItems(field, 0, values);
}

}  // namespace

void fillFromSettings(InquiryRecord& record, const IniIndex& settings) {
    const QString places = QStringLiteral("biludidian");
    record.setText(Field::place, settings.value(places, QStringLiteral("didian1")));
    record.setText(Field::household, settings.value(places, QStringLiteral("didian2")));
    fillList(record, Field::placeDetail, settings, "Set1", "didian", 25, Kind::NameAndPlace);
    fillList(record, Field::householdDetail, settings, "Set2", "huji", 25, Kind::NameAndPlace);
    fillList(record, Field::officer, settings, "name1", "name", 10, Kind::NameAndPlace);
    fillList(record, Field::otherParticipants, settings, "name2", "name", 10, Kind::NameAndPlace);
    fillList(record, Field::recordKeeper, settings, "name3", "name", 10, Kind::NameAndPlace);
    for (int k = 1; k <= kLineCount; ++k) {
        fillList(record, question(k), settings, QStringLiteral("wenti%1").arg(k), "wenti", 10,
                 Kind::Phrase);
        fillList(record, answer(k), settings, QStringLiteral("daan%1").arg(k), "daan", 8,
                 Kind::Phrase);
    }
}

}  // namespace hb
