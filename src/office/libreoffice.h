#pragma once
// The office suite on LibreOffice. Typing builds the document in process, on the page setup
// of the blank record document; LibreOffice converts it (Word 97 .doc, PDF), and prints and
// shows it. A document opened from another file is printed, saved and shown as it is.
// Conversions go through the kept-running office once it is up, else through a one-shot
// soffice run.
#include <QString>
#include <memory>

#include "office/document_model.h"
#include "office/office.h"

namespace hb {

class KeptOffice;
class Shell;

class LibreOfficeSuite : public OfficeSuite {
  public:
    struct Settings {
        QString workDir;  // private profile and jobs; empty: ~/.cache/hengbi/office
        int timeoutMs = 120000;
        // A kept office that takes longer is hung; once it has converted, 3 s beyond its median.
        int keptTimeoutMs = 20000;
        QString printProgram = QStringLiteral("lp");
        QString printer;  // empty: the default printer
    };

    explicit LibreOfficeSuite(Shell* shell);
    LibreOfficeSuite(Shell* shell, Settings settings);
    ~LibreOfficeSuite() override;

    // Removes what offices of programs that have ended left in the work folder and in /tmp:
    // records' texts among them.
    void removeLeftovers();
    // Starts the kept office in the background, after removing the leftovers; it ends with
    // this object.
    void keepOfficeRunning();
    KeptOffice* keptOffice() const { return kept_.get(); }

    QString programDirectory() override;
    void create() override;
    void attach() override;
    bool open(const QString& path) override;
    void setVisible(bool visible) override;
    void setTitle(const QString& title) override;
    void type(const QString& text) override;
    void setBold(bool on) override;
    void setSize(int points) override;
    void setUnderline(bool on) override;
    void setAlignment(Alignment alignment) override;
    void setLineHeight(double points) override;
    void setRuled(bool on) override;
    bool print() override;
    bool saveAs(const QString& path) override;
    void close() override;
    void quit() override;
    void releaseDocuments() override;
    void releaseApplication() override;
    void spreadsheetCreate() override;
    void spreadsheetAttach() override;
    bool spreadsheetOpen(const QString& path) override;
    void spreadsheetShow() override;
    QString lastError() const override { return error_; }

    // The document being typed into; null when none is open or it came from another file.
    const DocumentModel* document() const;
    // The print job the queue accepted last ("printer-42").
    QString lastPrintJob() const { return lastJob_; }
    QString workDir() const { return settings_.workDir; }

  private:
    struct Current;
    DocumentModel* typing();
    QString officeDir();
    // The current document as a file LibreOffice can read, inside jobDir.
    QString writeSource(const QString& jobDir);
    // Converts the current document; the output path in jobDir, or empty (error_ set).
    QString convertCurrent(const QString& jobDir, const QString& extension);
    bool fail(const QString& why);

    Shell* shell_;
    Settings settings_;
    std::unique_ptr<Current> doc_;
    std::unique_ptr<KeptOffice> kept_;
    QString sheetPath_;
    QString error_;
    QString lastJob_;
    int cleanup_ = 0;
};

}  // namespace hb
