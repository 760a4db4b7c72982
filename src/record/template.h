#pragma once
// The record template: every field of a record, one key each, in section "set" of a GBK INI
// file named after the record (BL/<file stem>.ini).
#include <QString>

namespace hb {

struct AppContext;
class InquiryRecord;

enum class TemplateRead {
    Loaded,
    Unreadable,    // no such file, no regular file, too large, or it cannot be read
    NotATemplate,  // no section "set"
};

// Sets every field from its key, in key order; a missing key empties its field. The lists
// of the list fields are left as they are. A file that cannot be read or holds no section
// "set" changes nothing; *why (when given) then says why it was not read.
TemplateRead loadTemplate(InquiryRecord& record, const QString& path, QString* why = nullptr);
// Writes every key with the field's current text, keeping the rest of an existing file.
bool writeTemplate(const InquiryRecord& record, const QString& path, QString* error = nullptr);

// "打开(笔录模板)": the open dialog, then the chosen file into the record.
void openTemplateCommand(AppContext& ctx);

}  // namespace hb
