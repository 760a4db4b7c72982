#include "platform/registry_value_windows.h"

#include <string>

namespace hb {

QString readRegistryString(HKEY root, const QString& subKey, const QString& valueName,
                           REGSAM view) {
    const std::wstring path = subKey.toStdWString();
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return {};
    const std::wstring name = valueName.toStdWString();
    QString text;
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::wstring data;
    // A value may grow between the two calls.
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        data.resize(size / sizeof(wchar_t) + 1);
        size = DWORD(data.size() * sizeof(wchar_t));
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
        if (status != ERROR_SUCCESS) continue;
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            data.resize(size / sizeof(wchar_t));
            if (!data.empty() && data.back() == L'\0') data.pop_back();
            text = QString::fromStdWString(data);
            if (text.isNull()) text = QLatin1String("");
        }
        break;
    }
    RegCloseKey(key);
    return text;
}

}  // namespace hb
