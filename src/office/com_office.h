#pragma once
// The office suite on Windows: Word and Excel through COM automation (late-bound IDispatch),
// or WPS Office, whose writer and spreadsheet answer the same automation model. COM objects
// live on one thread of their own, which initialised COM; every call, from whichever thread
// the office work runs on, is carried out there and waited for.
#include <QString>
#include <memory>

#include "office/office.h"

namespace hb {

// The automation servers of one suite.
struct ComSuite {
    QString writer;
    QString spreadsheet;
};
ComSuite wordSuite();
ComSuite wpsSuite();

class ComOfficeSuite : public OfficeSuite {
  public:
    // programDirectory() finds the suite again at every check: Word when the App Paths entry
    // of Winword.exe names an Office folder, else WPS when its writer is registered.
    ComOfficeSuite();
    ~ComOfficeSuite() override;

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
    QString lastError() const override;

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

// Word's office check: the "Path" value of Winword.exe's App Paths entry when it contains
// "Office", else empty.
QString wordProgramDirectory();
// Where a registered automation server's program lies; empty when the ProgID is unknown.
QString registeredServerDirectory(const QString& progId);
}  // namespace hb
