#include "support/fakes.h"

namespace hb::test {

Answer FakeDialogs::message(const QString& text, const QString& caption, Buttons buttons, Icon) {
    shown.append({text, caption, buttons});
    if (!answers.isEmpty()) return answers.dequeue();
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

QString FakeDialogs::chooseFile(const FileDialogSpec& request) {
    fileDialogs.append(request);
    return files.isEmpty() ? QString() : files.dequeue();
}

bool FakeShell::openWebAddress(const QString& address) {
    addresses << address;
    return true;
}

bool FakeShell::startDetached(const QString& program, const QStringList& arguments) {
    started.append(QStringList{program} + arguments);
    return startSucceeds;
}

QString FakeShell::findProgram(const QStringList& candidates) {
    for (const QString& c : candidates)
        if (installed.contains(c)) return QStringLiteral("/usr/bin/") + c;
    return {};
}

QString FakeRegistry::read(const QString& keyPath, const QString& valueName) {
    return values.value(keyPath + QLatin1Char('|') + valueName);
}

bool FakeRegistry::write(const QString& keyPath, const QString& valueName, const QString& text) {
    if (refuseWrites) return false;
    values[keyPath + QLatin1Char('|') + valueName] = text + QStringLiteral("\r\n");
    return true;
}

}  // namespace hb::test
