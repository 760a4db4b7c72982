#pragma once
// Message boxes and file dialogs, so that tests can answer them.
#include <QString>

namespace hb {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };
enum class Icon { None, Information, Warning, Critical };

struct FileDialogSpec {
    enum class Mode { Open, Save, BrowseFiles };
    QString designName;  // e.g. 通用对话框2
    Mode mode = Mode::Open;
    QString filter;         // Windows form: "description|*.ext"
    QString defaultSuffix;  // added to a typed name without one
    QString title;
    QString suggestedName;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Closing the box counts as Cancel or No.
    virtual Answer message(const QString& text, const QString& caption,
                           Buttons buttons = Buttons::Ok, Icon icon = Icon::None) = 0;
    // The chosen path, or empty when the officer cancelled.
    virtual QString chooseFile(const FileDialogSpec& request) = 0;
};

// Real dialogs, modal to the whole application.
class QtDialogs : public Dialogs {
  public:
    Answer message(const QString& text, const QString& caption, Buttons buttons,
                   Icon icon) override;
    QString chooseFile(const FileDialogSpec& request) override;
};

// "desc|*.a;*.b|desc2|*.c" to Qt's "desc (*.a *.b);;desc2 (*.c)".
QString qtFileFilter(const QString& windowsFilter);

}  // namespace hb
