#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/navigation.h"
#include "support/test_app.h"

using namespace hb;
using hb::test::TestApp;

class TestNavigation : public QObject {
    Q_OBJECT
  private slots:
    void screensWithNotesShown();
    void notesToggleTwice();
    void statusText_data();
    void statusText();
    void clockShowsStatusMessage();
};

void TestNavigation::screensWithNotesShown() {
    TestApp app;
    app.start();
    QTest::mouseClick(app.find<QPushButton>("按钮5"), Qt::LeftButton);
    QTest::mouseClick(app.find<QPushButton>("按钮1"), Qt::LeftButton);
    QVERIFY(app.find("分组框1")->isHidden() && app.find("分组框2")->isHidden());
    QVERIFY(app.find("分组框3")->isVisible() && app.find("分组框4")->isVisible());
    QCOMPARE(app.find("分组框3")->geometry(), QRect(1, 59, 517, 510));
    QCOMPARE(app.find("分组框4")->geometry(), QRect(519, 59, 500, 510));
    QVERIFY(!app.find("按钮1")->isEnabled() && app.find("按钮2")->isEnabled());
    // The notes panel stays shown, on top of page 4.
    QWidget* notes = app.find("分组框6");
    QVERIFY(notes->isVisible());
    QVERIFY(notes->isAncestorOf(app.window->client()->childAt(700, 300)));

    QTest::mouseClick(app.find<QPushButton>("按钮2"), Qt::LeftButton);
    QVERIFY(app.find("分组框1")->isVisible() && app.find("分组框2")->isVisible());
    QCOMPARE(app.find("分组框3")->pos(), QPoint(1660, 59));
    QCOMPARE(app.find("分组框4")->pos(), QPoint(1660, 59));
    QVERIFY(app.find("分组框3")->isVisible());
    QVERIFY(app.find("按钮1")->isEnabled() && !app.find("按钮2")->isEnabled());
    QVERIFY(notes->isVisible());
    QVERIFY(notes->isAncestorOf(app.window->client()->childAt(700, 300)));
}

void TestNavigation::notesToggleTwice() {
    TestApp app;
    app.start();
    auto* notes = app.find<QPlainTextEdit>("超级编辑框2");
    notes->setPlainText("经过\n备注");
    QTest::mouseClick(app.find<QPushButton>("按钮5"), Qt::LeftButton);
    QVERIFY(app.find("分组框6")->isVisible());
    QTest::mouseClick(app.find<QPushButton>("按钮5"), Qt::LeftButton);
    QVERIFY(app.find("分组框6")->isHidden());
    QCOMPARE(notes->toPlainText(), QStringLiteral("经过\n备注"));
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
