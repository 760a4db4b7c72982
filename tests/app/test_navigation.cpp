#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/navigation.h"
#include "app/startup.h"
#include "support/test_app.h"
#include "support/ui.h"

using namespace hb;
using hb::test::TestApp;

namespace {

// Where the design draws the right-edge buttons, in client coordinates.
const QPoint kNotesButton(1005, 250);  // 按钮5
const QPoint kBackButton(1005, 340);   // 按钮2
const QPoint kNextButton(1005, 422);   // 按钮1

void clickAt(TestApp& app, QPoint p) {
    test::clickAt(app.window->client(), p);
}

}  // namespace

class TestNavigation : public QObject {
    Q_OBJECT
  private slots:
    void screensWithNotesShown();
    void notesToggleTwice();
    void edgeButtonsOnTop_data();
    void edgeButtonsOnTop();
    void panelsAreOpaque_data();
    void panelsAreOpaque();
    void statusText_data();
    void statusText();
    void clockShowsStatusMessage();
};

void TestNavigation::screensWithNotesShown() {
    TestApp app;
    app.start();
    clickAt(app, kNotesButton);
    clickAt(app, kNextButton);
    QVERIFY(app.find("分组框1")->isHidden() && app.find("分组框2")->isHidden());
    QVERIFY(app.find("分组框3")->isVisible() && app.find("分组框4")->isVisible());
    QCOMPARE(app.find("分组框3")->geometry(), QRect(1, 59, 517, 510));
    QCOMPARE(app.find("分组框4")->geometry(), QRect(519, 59, 500, 510));
    QVERIFY(!app.find("按钮1")->isEnabled() && app.find("按钮2")->isEnabled());
    // The notes panel stays shown, on top of page 4.
    QWidget* notes = app.find("分组框6");
    QVERIFY(notes->isVisible());
    QVERIFY(notes->isAncestorOf(test::widgetAt(app.window->client(), {700, 300})));

    clickAt(app, kBackButton);
    QVERIFY(app.find("分组框1")->isVisible() && app.find("分组框2")->isVisible());
    QCOMPARE(app.find("分组框3")->pos(), QPoint(1660, 59));
    QCOMPARE(app.find("分组框4")->pos(), QPoint(1660, 59));
    QVERIFY(app.find("分组框3")->isHidden() && app.find("分组框4")->isHidden());
    QVERIFY(app.find("按钮1")->isEnabled() && !app.find("按钮2")->isEnabled());
    QVERIFY(notes->isVisible());
    QVERIFY(notes->isAncestorOf(test::widgetAt(app.window->client(), {700, 300})));
}

void TestNavigation::notesToggleTwice() {
    TestApp app;
    app.start();
    auto* notes = app.find<QPlainTextEdit>("超级编辑框2");
    notes->setPlainText("经过\n备注");
    clickAt(app, kNotesButton);
    QVERIFY(app.find("分组框6")->isVisible());
    clickAt(app, kNotesButton);
    QVERIFY(app.find("分组框6")->isHidden());
    QCOMPARE(notes->toPlainText(), QStringLiteral("经过\n备注"));
}

void TestNavigation::edgeButtonsOnTop_data() {
    QTest::addColumn<QString>("fengge");
    QTest::addColumn<QList<QPoint>>("clicks");
    QTest::newRow("first screen") << "" << QList<QPoint>{};
    QTest::newRow("second screen") << "" << QList<QPoint>{kNextButton};
    QTest::newRow("notes over page 2") << "" << QList<QPoint>{kNotesButton};
    QTest::newRow("notes over page 4") << "" << QList<QPoint>{kNextButton, kNotesButton};
    QTest::newRow("back, notes over page 2")
        << "" << QList<QPoint>{kNotesButton, kNextButton, kBackButton};
    for (const char* theme : {"1", "2", "3", "4"})
        QTest::newRow(qPrintable(QStringLiteral("theme %1, notes over page 4").arg(theme)))
            << theme << QList<QPoint>{kNextButton, kNotesButton};
}

void TestNavigation::edgeButtonsOnTop() {
    QFETCH(QString, fengge);
    QFETCH(QList<QPoint>, clicks);
    TestApp app;
    app.writeSettings("[pop]\ntanchu=0\n[fengge]\nfengge=" + fengge + "\n");
    app.start();
    for (QPoint p : clicks) clickAt(app, p);
    const QList<QPair<QPoint, const char*>> buttons = {
        {kNotesButton, "按钮5"}, {kBackButton, "按钮2"}, {kNextButton, "按钮1"}};
    for (const auto& [at, name] : buttons)
        QCOMPARE(test::widgetAt(app.window->client(), at)->objectName(), QString(name));
    // The enabled one of the two answers the mouse there.
    const bool second = app.find("分组框3")->isVisible() && app.find("分组框3")->x() == 1;
    clickAt(app, second ? kBackButton : kNextButton);
    QCOMPARE(app.find("分组框1")->isVisible(), second);
    applyTheme("4");
}

void TestNavigation::panelsAreOpaque_data() {
    QTest::addColumn<QString>("menuItem");  // empty: the notes button
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("below");
    QTest::newRow("notes over page 2") << ""
                                       << "分组框6"
                                       << "分组框2";
    QTest::newRow("recorder over the banner") << "打开笔录录音"
                                              << "分组框5"
                                              << "图片框1";
    QTest::newRow("FTP over the banner") << "FTP笔录服务器配置"
                                         << "分组框7"
                                         << "图片框1";
}

void TestNavigation::panelsAreOpaque() {
    QFETCH(QString, menuItem);
    QFETCH(QString, panel);
    QFETCH(QString, below);
    TestApp app;
    app.start();
    if (menuItem.isEmpty())
        clickAt(app, kNotesButton);
    else
        app.trigger(menuItem);
    const QRect area = app.find(panel)->geometry();
    QVERIFY(app.find(panel)->isVisible());
    app.window->client()->grab(area);  // a slider's first picture differs from the later ones
    const QImage over = app.window->client()->grab(area).toImage();
    app.find(below)->hide();
    QCOMPARE(app.window->client()->grab(area).toImage(), over);
}

void TestNavigation::statusText_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("expected");
    const QString mid = QString(14, ' ') + "当前日期： 2012年9月24日    ";
    QTest::newRow("seconds") << "M" << QTime(9, 5, 7) << "M" + mid + "9时5分7秒";
    QTest::newRow("zero minutes, seconds") << "M" << QTime(9, 0, 7) << "M" + mid + "9时0分7秒";
    QTest::newRow("minutes") << "M" << QTime(9, 5, 0) << "M" + mid + "9时5分";
    QTest::newRow("10:00:00") << "M" << QTime(10, 0, 0) << "M" + mid + "10时";
    QTest::newRow("midnight") << "M" << QTime(0, 0, 0) << "M" + mid;
    QTest::newRow("empty message") << "" << QTime(0, 0, 1) << mid + "0时0分1秒";
}

void TestNavigation::statusText() {
    QFETCH(QString, message);
    QFETCH(QTime, time);
    QFETCH(QString, expected);
    QCOMPARE(statusClockText(message, QDateTime(QDate(2012, 9, 24), time)), expected);
}

void TestNavigation::clockShowsStatusMessage() {
    TestApp app;
    app.start();
    app.window->record().setHidden(Hidden::statusMessage, "打 印 成 功！");
    app.clock.time = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0));
    QMetaObject::invokeMethod(app.window->statusClock(), "timeout");
    QCOMPARE(app.window->statusText(),
             "打 印 成 功！" + QString(14, ' ') + "当前日期： 2026年12月9日    10时");
}

QTEST_MAIN(TestNavigation)
#include "test_navigation.moc"
