#pragma once
// The legal texts and blank inspection forms the program carries, the reading panel that
// shows a text file, and the commands that write a form out and open it in the office suite.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <span>

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace hb {

struct AppContext;

struct LegalText {
    const char* menu;
    const char* caption;   // menu item
    const char* fileName;  // in the system folder
};
// Menu order: the 19 items of "法律法规", then "笔录制作过程" of "帮助".
std::span<const LegalText> legalTexts();
// GBK, CR LF, as written to the system folder.
QByteArray legalTextBytes(const LegalText& text);

struct InspectionForm {
    enum class Program { WordProcessor, Spreadsheet };
    const char* caption;
    const char* fileName;
    Program program;
};
// Menu order: the 27 items of "监察文书", then the 2 of "两网化管理".
std::span<const InspectionForm> inspectionForms();
// The blank form as shipped.
QByteArray inspectionFormBytes(const InspectionForm& form);
// The form's file name without its suffix ("ws7").
QString inspectionFormStem(const InspectionForm& form);
// The Flat ODF source of a word-processor form; empty for a workbook.
QByteArray inspectionFormSource(const InspectionForm& form);

// The issuing authority and the prefix of the document numbers, from Set.ini [wenshu]
// ("jiguan", "wenhao"; the Windows edition ignores the section). The forms leave both blank
// to be filled in by hand unless they are set.
struct FormAuthority {
    QString name;
    QString numberPrefix;
    bool isEmpty() const { return name.isEmpty() && numberPrefix.isEmpty(); }
};
FormAuthority formAuthority(const AppContext& ctx);
// A form's source with the authority's blanks filled in; unchanged where a value is empty.
QByteArray fillFormSource(const QByteArray& source, const FormAuthority& authority);

// The file names of the two help files in the program directory, by menu caption.
struct HelpFile {
    const char* caption;
    const char* fileName;
};
std::span<const HelpFile> helpFiles();

// The form as it is written out: the shipped blank, or for a set authority the blank filled
// in and converted by the office (slow work, done once for each authority and kept in the
// system folder). Empty, with the reason in *error, when the conversion failed.
QByteArray formBytes(AppContext& ctx, const InspectionForm& form, QString* error);

// Writes the form to the system folder. A file there that differs from every form written
// before (the officer filled it in and saved it) is first renamed to a dated copy beside it,
// whose path goes to *backup. False, with the reason in *error, when it could not be written.
bool writeForm(AppContext& ctx, const InspectionForm& form, const QByteArray& bytes,
               QString* backup, QString* error);

// The menu commands of the forms: write, open, and for word-processor forms the question
// whether to print directly.
void openInspectionDocument(AppContext& ctx, const InspectionForm& form);
void openCollectionWorkbook(AppContext& ctx, const InspectionForm& form);
void openForm(AppContext& ctx, const InspectionForm& form);

// The reading panel: a large text box laid over the record pages with a print and a close
// button. Its controls are children of the window's client area.
class ReadingPanel : public QObject {
    Q_OBJECT
  public:
    ReadingPanel(QWidget* client, AppContext& ctx, QObject* parent);

    // Writes the text to the system folder and shows that file.
    void showLegalText(const LegalText& text);
    // Shows the file at path; a missing or unreadable file shows an empty box.
    void showFile(const QString& path);
    void close();
    // Prints the file the panel shows, never the edited box.
    void print();

  private:
    AppContext& ctx_;
    QPlainTextEdit* box_;
    QPushButton* print_;
    QPushButton* close_;
};

}  // namespace hb
