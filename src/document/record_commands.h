#pragma once
// The commands that put a record or a file on paper or on disk through the office suite.
#include <QString>

namespace hb {

struct AppContext;

// "保存(笔录及模板)": checks, composition, BL/<stem>.doc, the offer to look at it.
void saveRecordCommand(AppContext& ctx);
// "打印(笔录)": the record in the window, or a record document chosen in 通用对话框3.
void printRecordCommand(AppContext& ctx);
void printCurrentRecord(AppContext& ctx);

}  // namespace hb
