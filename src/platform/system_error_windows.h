#pragma once
// The system's own words for an error code, from the module that defines it (the Internet
// functions keep theirs in wininet.dll).
#include <windows.h>

#include <QString>

namespace hb {

inline QString systemErrorText(DWORD code, const wchar_t* module = nullptr) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS |
                                       (module ? FORMAT_MESSAGE_FROM_HMODULE : 0),
                                   module ? GetModuleHandleW(module) : nullptr, code, 0,
                                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString why =
        n ? QString::fromWCharArray(text, int(n)).trimmed() : QStringLiteral("错误 %1").arg(code);
    if (text) LocalFree(text);
    return why;
}

}  // namespace hb
