#pragma once
// The office suite as the record and the forms drive it: a word processor whose current
// document is typed into with the formatting in force, and a spreadsheet that opens a file.
#include <QString>

namespace hb {

struct AppContext;

enum class Alignment { Left, Centre };

class OfficeSuite {
  public:
    virtual ~OfficeSuite() = default;

    // The office check: the suite's program directory, empty when none is installed.
    virtual QString programDirectory() = 0;

    // Word processor. create drops whatever an earlier create held; attach never adds a
    // document; open makes the file the current document, typing starting at its beginning.
    virtual void create() = 0;
    virtual void attach() = 0;
    virtual bool open(const QString& path) = 0;
    // Visible: the current document is shown to the officer in a normal window.
    virtual void setVisible(bool visible) = 0;
    // The current document's title, which names its print job.
    virtual void setTitle(const QString& title) = 0;
    virtual void type(const QString& text) = 0;  // "\r\n" ends a paragraph
    virtual void setBold(bool on) = 0;
    virtual void setSize(int points) = 0;
    virtual void setUnderline(bool on) = 0;
    virtual void setAlignment(Alignment alignment) = 0;
    // Paragraph layout of the current and later paragraphs, as Word's ParagraphFormat holds
    // it, so that no compatibility rule of an office can move a line: an exact line height
    // (LineSpacingRule wdLineSpaceExactly), whatever the paragraph holds, blanks or nothing;
    // and a rule under each paragraph from margin to margin inside that height, each its own
    // (Borders(wdBorderBottom), neighbours never joined into one box).
    virtual void setLineHeight(double points) = 0;
    virtual void setRuled(bool on) = 0;
    // One copy of the whole current document on the default printer.
    virtual bool print() = 0;
    virtual bool saveAs(const QString& path) = 0;
    virtual void close() = 0;
    virtual void quit() = 0;
    virtual void releaseDocuments() = 0;
    virtual void releaseApplication() = 0;

    // Spreadsheet: open the file and show it.
    virtual void spreadsheetCreate() = 0;
    virtual void spreadsheetAttach() = 0;
    virtual bool spreadsheetOpen(const QString& path) = 0;
    virtual void spreadsheetShow() = 0;

    // An office that returns before its work is done gets the commands' fixed pauses to
    // catch up; one that returns when done needs none.
    virtual bool worksAsynchronously() const { return false; }

    // Why the last failing operation failed, for the officer.
    virtual QString lastError() const = 0;
};

// The office check before every use: leaves the program directory in officePath.
bool isOfficeInstalled(AppContext& ctx);

// Opens a file, prints it and closes it, off the GUI thread with "正在打印……" shown. False,
// with the office's reason in *error, when it was not printed.
bool printOfficeFile(AppContext& ctx, const QString& path, QString* error);

}  // namespace hb
