#pragma once
// Fakes for the OS seams: they record what the code asked for and answer as told.
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QQueue>
#include <QStringList>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "security/registry.h"

namespace hb::test {

class FakeDialogs : public Dialogs {
  public:
    struct Shown {
        QString text, caption;
        Buttons buttons;
    };
    Answer message(const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override;
    QString chooseFile(const FileDialogSpec& request) override;

    QList<Shown> shown;                 // every message box, in order
    QQueue<Answer> answers;             // next answers; OK / Yes when empty
    QQueue<QString> files;              // next chosen paths; empty = cancelled
    QList<FileDialogSpec> fileDialogs;  // every file dialog asked for
    QString lastText() const { return shown.isEmpty() ? QString() : shown.back().text; }
};

class FakeShell : public Shell {
  public:
    bool openWebAddress(const QString& address) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;
    QString findProgram(const QStringList& candidates) override;

    QStringList addresses;       // every address opened
    QList<QStringList> started;  // program followed by its arguments
    QStringList installed;       // what findProgram finds
    bool startSucceeds = true;
};

class FakeClock : public Clock {
  public:
    QDateTime now() const override { return time; }
    QDateTime time{QDate(2026, 12, 9), QTime(9, 5, 0)};
};

class NoPause : public Pause {
  public:
    void pause(int milliseconds) override { pauses << milliseconds; }
    QList<int> pauses;
};

// A registry that can refuse writes.
class FakeRegistry : public Registry {
  public:
    QString read(const QString& keyPath, const QString& valueName) override;
    bool write(const QString& keyPath, const QString& valueName, const QString& text) override;
    QHash<QString, QString> values;  // "keyPath|name" -> raw value as read back
    bool refuseWrites = false;
};

}  // namespace hb::test
