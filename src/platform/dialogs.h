#pragma once
// Message boxes and file dialogs, so that tests can answer them.
#include <QHash>
#include <QString>
#include <QStringList>

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
    // Where the first use opens; later uses open where the officer chose last.
    QString startDir;
    // Folders offered in the side bar besides the desktop's own.
    QStringList places;
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

  private:
    QHash<QString, QString> lastChoice_;  // per dialog
};

// "desc|*.a;*.b|desc2|*.c" to Qt's "desc (*.a *.b);;desc2 (*.c)".
QString qtFileFilter(const QString& windowsFilter);

}  // namespace hb
