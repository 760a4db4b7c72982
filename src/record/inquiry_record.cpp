#include "record/inquiry_record.h"

namespace hb {

const std::array<FieldSpec, kFieldCount>& fields() {
    static const std::array<FieldSpec, kFieldCount> table = [] {
        std::array<FieldSpec, kFieldCount> t;
        const FieldKind E = FieldKind::Edit;
        const FieldKind L = FieldKind::List;
        const FieldSpec header[] = {
            {"startYear", "编辑框1", E, {}},
            {"startMonth", "编辑框2", E, {}},
            {"startDay", "编辑框3", E, {}},
            {"startHour", "编辑框4", E, {}},
            {"startMinute", "编辑框5", E, {}},
            {"endHour", "编辑框6", E, {}},
            {"endMinute", "编辑框7", E, {}},
            {"place", "编辑框8", E, {}},
            {"placeDetail", "组合框2", L, {}},
            {"personName", "编辑框9", E, {}},
            {"sex", "组合框1", L, {}},
            {"household", "编辑框11", E, {}},
            {"householdDetail", "组合框52", L, {}},
            {"idKind", "编辑框12", E, {}},
            {"idNumber", "编辑框10", E, {}},
            {"workUnit", "编辑框14", E, {}},
            {"position", "组合框3", L, {}},
            {"phone", "编辑框15", E, {}},
            {"otherContact", "编辑框16", E, {}},
            {"officer", "组合框53", L, {}},
            {"otherParticipants", "组合框54", L, {}},
            {"recordKeeper", "组合框55", L, {}},
        };
        // Question and answer control numbers of lines 1..24, top to bottom, page by page.
        const int lineControls[kLineCount][2] = {
            {4, 5},   {6, 7},   {8, 9},   {10, 11}, {12, 13}, {14, 15}, {16, 17}, {18, 19},
            {20, 21}, {22, 23}, {37, 36}, {35, 34}, {33, 32}, {31, 30}, {29, 28}, {27, 26},
            {25, 24}, {49, 48}, {51, 50}, {47, 46}, {45, 44}, {43, 42}, {41, 40}, {39, 38},
        };
        int i = 0;
        for (const FieldSpec& h : header) t[i++] = h;
        for (int k = 1; k <= kLineCount; ++k) {
            t[i++] = {QStringLiteral("question%1").arg(k),
                      QStringLiteral("组合框%1").arg(lineControls[k - 1][0]),
                      L,
                      {}};
            t[i++] = {QStringLiteral("answer%1").arg(k),
                      QStringLiteral("组合框%1").arg(lineControls[k - 1][1]),
                      L,
                      {}};
        }
        t[i++] = {"caseNotes", "超级编辑框2", FieldKind::Notes, "beizu"};
        for (int n = 0; n < kFieldCount - 1; ++n) t[n].key = QStringLiteral("num%1").arg(n + 1);
        return t;
    }();
    return table;
}

Field question(int line) {
    return static_cast<Field>(static_cast<int>(Field::firstLine) + 2 * (line - 1));
}

Field answer(int line) {
    return static_cast<Field>(static_cast<int>(question(line)) + 1);
}

QString designName(Hidden h) {
    switch (h) {
        case Hidden::statusMessage:
            return QStringLiteral("编辑框25");
        case Hidden::officePath:
            return QStringLiteral("编辑框19");
        case Hidden::textFilePath:
            return QStringLiteral("编辑框24");
        case Hidden::templatePath:
            return QStringLiteral("编辑框32");
        case Hidden::ftpLocalPath:
            return QStringLiteral("编辑框17");
        case Hidden::audioFilePath:
            return QStringLiteral("编辑框18");
    }
    return {};
}

QString InquiryRecord::fileStem() const {
    return text(Field::startYear) + QLatin1Char('.') + text(Field::startMonth) + QLatin1Char('.') +
           text(Field::startDay) + QLatin1Char('-') + text(Field::workUnit) + QLatin1Char('-') +
           text(Field::personName);
}

}  // namespace hb
