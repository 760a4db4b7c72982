#pragma once
// Back-ends whose libraries the window does not need to appear (the office bridge, network,
// sound, password hashing) are modules loaded when first used: the program starts without
// them, and without the libraries they link.
#include <QString>
#include <QStringList>

namespace hb {

// Where modules are looked for: HENGBI_MODULE_DIR when set, else the install folder beside
// the executable's bin folder, and the build tree's module folder for a program run from it.
QStringList moduleDirectories();

// The entry point `symbol` of module `name` (loaded once, never unloaded); null with the
// reason in *why when the module is missing or does not load.
void* moduleSymbol(const QString& name, const char* symbol, QString* why = nullptr);

// The symbol cast to the factory's type.
template <typename Function>
Function moduleFunction(const QString& name, const char* symbol, QString* why = nullptr) {
    return reinterpret_cast<Function>(moduleSymbol(name, symbol, why));
}

}  // namespace hb
