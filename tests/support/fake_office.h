#pragma once
#include <QStringList>
#include <functional>

#include "office/office.h"

namespace hb::test {

// Records every office call as one line ("open /path", "type 问：…", "bold 1", …).
class FakeOffice : public OfficeSuite {
  public:
    QString programDirectory() override;
    void create() override { calls << "create"; }
    void attach() override { calls << "attach"; }
    bool open(const QString& path) override;
    void setVisible(bool visible) override { calls << QStringLiteral("visible %1").arg(visible); }
    void setTitle(const QString& title) override { calls << QStringLiteral("title ") + title; }
    void type(const QString& text) override { calls << QStringLiteral("type ") + text; }
    void setBold(bool on) override { calls << QStringLiteral("bold %1").arg(on); }
    void setSize(int points) override { calls << QStringLiteral("size %1").arg(points); }
    void setUnderline(bool on) override { calls << QStringLiteral("underline %1").arg(on); }
    void setAlignment(Alignment a) override {
        calls << (a == Alignment::Centre ? "align centre" : "align left");
    }
    void setLineHeight(double points) override {
        calls << QStringLiteral("line height %1").arg(points);
    }
    void setRuled(bool on) override { calls << QStringLiteral("ruled %1").arg(on); }
    bool print() override;
    bool saveAs(const QString& path) override;
    void close() override { calls << "close"; }
    void quit() override { calls << "quit"; }
    void releaseDocuments() override { calls << "release documents"; }
    void releaseApplication() override { calls << "release application"; }
    void spreadsheetCreate() override { calls << "sheet create"; }
    void spreadsheetAttach() override { calls << "sheet attach"; }
    bool spreadsheetOpen(const QString& path) override;
    void spreadsheetShow() override { calls << "sheet show"; }
    QString lastError() const override { return error; }
    bool worksAsynchronously() const override { return asynchronous; }

    // Only the calls that start with prefix.
    QStringList callsStartingWith(const QString& prefix) const;

    QStringList calls;
    QString installedAt = QStringLiteral("/usr/lib/libreoffice/program");  // empty: none
    bool openSucceeds = true;
    bool printSucceeds = true;
    bool saveSucceeds = true;
    QString error = QStringLiteral("模拟的失败");
    bool asynchronous = true;  // false: it returns when its work is done
    // Runs inside print and save, where the real office takes its time.
    std::function<void()> whileWorking;
};

}  // namespace hb::test
