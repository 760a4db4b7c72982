#pragma once
// Filling the place and household boxes and every phrase list from Set.ini.
namespace hb {

class InquiryRecord;
class IniIndex;

// Only adds items: the lists must hold their base items when it starts.
void fillFromSettings(InquiryRecord& record, const IniIndex& settings);

}  // namespace hb
