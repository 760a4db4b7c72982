#pragma once
// A string value of the system's registry, read as the Windows edition's readers share it.
#include <windows.h>

#include <QString>

namespace hb {

// The text of a REG_SZ or REG_EXPAND_SZ value in the given view (KEY_WOW64_32KEY, …, or 0),
// or a null string when the key or the value is missing. An empty name reads the default.
QString readRegistryString(HKEY root, const QString& subKey, const QString& valueName, REGSAM view);

}  // namespace hb
