#pragma once
// "新建(笔录)" and the answers offered when line 2's or line 3's question is picked.
namespace hb {

struct AppContext;
class InquiryRecord;

// Asks first when a work unit is filled in; then empties the record and runs start-up.
void newRecordCommand(AppContext& ctx);
void clearRecord(AppContext& ctx);
// Line 2's question picked: 答：<person> on top of line 2's answer list.
void offerNameAnswer(InquiryRecord& record);
// Line 3's question picked: 答：<unit> for line 3's answer, 问：<unit>负责人是谁？ for line 4.
void offerWorkUnitPhrases(InquiryRecord& record);

}  // namespace hb
