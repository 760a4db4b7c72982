#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QStyle>
#include <QtTest>

#include "app/startup.h"
#include "platform/gbk.h"
#include "support/test_app.h"

using namespace hb;
using hb::test::onNextModal;
using hb::test::TestApp;

namespace {

// Starts the app and reports whether the rules window came up (and closes it).
bool startSeeingRules(TestApp& app, QString* rulesText = nullptr) {
    bool seen = false;
    onNextModal(app.window.get(), [&](QWidget* modal) {
        seen = modal->objectName() == QLatin1String("RulesWindow");
        if (rulesText)
            if (auto* text = modal->findChild<QPlainTextEdit*>(QStringLiteral("编辑框1")))
                *rulesText = text->toPlainText();
        static_cast<QDialog*>(modal)->accept();
    });
    app.start();
    // When no modal window came, the callback is still waiting: let it find none.
    QApplication::processEvents();
    return seen;
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
  private slots:
    void withoutSettingsFile();
    void unreadableSettingsFile();
    void rulesWindowSwitch_data();
    void rulesWindowSwitch();
    void theme_data();
    void theme();
    void title();
    void dateFields_data();
    void dateFields();
    void fullSettingsFile();
    void launcherAndTooltips();
    void exitHook_data();
    void exitHook();
};

void TestStartup::withoutSettingsFile() {
    TestApp app(nullptr);
    QString rules;
    QVERIFY(startSeeingRules(app, &rules));
    QVERIFY(rules.startsWith(QStringLiteral(
        "\n\n    为进一步规范劳动保障监察办案程序，及时依法查处劳动保障监察违法案件，")));
    QVERIFY(rules.endsWith(QStringLiteral("（七）档案资料应当至少保存3年。")));
    QVERIFY(app.window->isVisible());
    QCOMPARE(app.window->windowTitle(), MainWindow::kDesignTitle);
    InquiryRecord& r = app.window->record();
    QCOMPARE(r.text(Field::place), QString());
    QCOMPARE(r.text(Field::household), QString());
    QCOMPARE(r.items(Field::placeDetail), QStringList(25, QString()));
    QCOMPARE(r.items(Field::officer), QStringList(11, QString()));
    QCOMPARE(r.items(Field::recordKeeper), QStringList(10, QString()) + QStringList({"无", ""}));
    QCOMPARE(r.items(question(1)), QStringList{"问："});
    QCOMPARE(r.items(answer(3)), (QStringList{"答：会计", "答：农民工", "答："}));
    QCOMPARE(r.text(Field::sex), QStringLiteral("男"));
    QCOMPARE(r.hidden(Hidden::statusMessage), kVersionText);
    QCOMPARE(app.window->statusText(), QStringLiteral(" 程 序 版 本 V 2.3"));
}

// Not taken for an absent one: said once, not again at New. (A folder, as root reads any file.)
void TestStartup::unreadableSettingsFile() {
    TestApp app(nullptr);
    QVERIFY(QDir().mkdir(app.dir("Set.ini")));
    QVERIFY(startSeeingRules(app));
    QCOMPARE(app.dialogs.shown.size(), 1);
    QCOMPARE(app.dialogs.lastText(),
             QStringLiteral("无法读取设置文件 %1：这是一个文件夹。\n"
                            "笔录的选择列表将是空的，笔录每页也没有结尾的两行。")
                 .arg(app.dir("Set.ini")));
    onNextModal(app.window.get(), [](QWidget* modal) { static_cast<QDialog*>(modal)->accept(); });
    app.trigger(QStringLiteral("新建(笔录)"));
    QCOMPARE(app.dialogs.shown.size(), 1);
}

void TestStartup::rulesWindowSwitch_data() {
    QTest::addColumn<QString>("tanchu");
    QTest::addColumn<bool>("shown");
    QTest::newRow("0") << "0" << false;
    QTest::newRow("00") << "00" << true;
    QTest::newRow("no") << "no" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("1") << "1" << true;
}

void TestStartup::rulesWindowSwitch() {
    QFETCH(QString, tanchu);
    QFETCH(bool, shown);
    TestApp app;
    app.writeSettings(QStringLiteral("[pop]\ntanchu=") + tanchu + QStringLiteral("\n"));
    QCOMPARE(startSeeingRules(app), shown);
}

void TestStartup::theme_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QColor>("button");  // invalid: the plain look
    QTest::newRow("blue") << "1"
                          << "" << QColor(123, 158, 189).lighter(135);
    QTest::newRow("olive") << "2"
                           << "5" << QColor(164, 185, 127).lighter(135);
    QTest::newRow("silver") << "3"
                            << "01" << QColor(198, 197, 215).lighter(135);
    QTest::newRow("off after on") << "1"
                                  << "4" << QColor();
    QTest::newRow("5 changes nothing") << "5"
                                       << "" << QColor();
}

void TestStartup::theme() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QColor, button);
    applyTheme(QStringLiteral("4"));
    const QPalette plain = QApplication::palette();
    TestApp app;
    app.writeSettings("[pop]\ntanchu=0\n[fengge]\nfengge=" + first + "\n");
    app.start();
    app.writeSettings("[pop]\ntanchu=0\n[fengge]\nfengge=" + second + "\n");
    app.start();  // as New does
    const QColor expected = button.isValid() ? button : plain.color(QPalette::Button);
    QCOMPARE(QApplication::palette().color(QPalette::Button), expected);
    applyTheme(QStringLiteral("4"));
}

void TestStartup::title() {
    TestApp app("[biaoti]\nbiaoti1=T\n[pop]\ntanchu=0\n");
    app.start();
    QCOMPARE(app.window->windowTitle(), QStringLiteral(" T"));
}

void TestStartup::dateFields_data() {
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    QTest::newRow("09:05") << QTime(9, 5) << "9"
                           << "5";
    QTest::newRow("14:00") << QTime(14, 0) << "14"
                           << "0";
    QTest::newRow("00:00") << QTime(0, 0) << "0"
                           << "0";
}

void TestStartup::dateFields() {
    QFETCH(QTime, time);
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    TestApp app;
    app.clock.time = QDateTime(QDate(2026, 3, 7), time);
    InquiryRecord& r = app.window->record();
    r.setText(Field::endHour, "17");
    app.start();
    QCOMPARE(r.text(Field::startYear), QStringLiteral("2026"));
    QCOMPARE(r.text(Field::startMonth), QStringLiteral("3"));
    QCOMPARE(r.text(Field::startDay), QStringLiteral("7"));
    QCOMPARE(r.text(Field::startHour), hour);
    QCOMPARE(r.text(Field::startMinute), minute);
    QCOMPARE(r.text(Field::endHour), QStringLiteral("17"));
}

void TestStartup::fullSettingsFile() {
    TestApp app(nullptr);
    QString text = "[pop]\ntanchu=0\n[biludidian]\ndidian1=澄屿市\ndidian2=吉林省澄屿市\n";
    text += "[Set1]\n";
    for (int i = 1; i <= 25; ++i) text += QStringLiteral("didian%1=地点%1\n").arg(i);
    text += "[name1]\n";
    for (int i = 1; i <= 10; ++i) text += QStringLiteral("name%1=监察员%1\n").arg(i);
    for (int k = 1; k <= 24; ++k) {
        text += QStringLiteral("[wenti%1]\n").arg(k);
        for (int i = 1; i <= 10; ++i) text += QStringLiteral("wenti%1=问：%2-%1\n").arg(i).arg(k);
        text += QStringLiteral("[daan%1]\n").arg(k);
        for (int i = 1; i <= 8; ++i) text += QStringLiteral("daan%1=答：%2-%1\n").arg(i).arg(k);
    }
    app.writeSettings(text);
    app.start();
    InquiryRecord& r = app.window->record();
    QCOMPARE(r.text(Field::place), QStringLiteral("澄屿市"));
    QCOMPARE(r.items(Field::placeDetail).first(), QStringLiteral("地点1"));
    QCOMPARE(r.items(Field::placeDetail).last(), QStringLiteral("地点25"));
    QCOMPARE(r.items(Field::officer).size(), 11);
    QCOMPARE(r.items(question(24)).size(), 11);
    QCOMPARE(r.items(question(24)).first(), QStringLiteral("问：24-1"));
    QCOMPARE(r.items(answer(3)).size(), 11);
    QCOMPARE(r.text(question(1)), QStringLiteral("问："));
}

void TestStartup::launcherAndTooltips() {
    TestApp app;
    app.start();
    const QString launcher = app.dir("desktop/衡笔.desktop");
    QVERIFY(QFile::exists(launcher));
    QVERIFY(QFile::permissions(launcher) & QFile::ExeOwner);
    QFile f(launcher);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("Exec=\"/usr/bin/hengbi\""));
    QCOMPARE(toGbk(app.find("图片框1")->toolTip()).size(), 822);
    QCOMPARE(app.find("按钮5")->toolTip().left(9), QStringLiteral("对于案件内情及详细"));
}

void TestStartup::exitHook_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("opened");
    QTest::newRow("on") << "on" << true;
    QTest::newRow("ON") << "ON" << false;
    QTest::newRow("On") << "On" << false;
    QTest::newRow("off") << "off" << false;
}

void TestStartup::exitHook() {
    QFETCH(QString, control);
    QFETCH(bool, opened);
    TestApp app;
    app.writeSettings("[pop]\ntanchu=0\n[close]\ncontrol=" + control +
                      "\nurl=http://example.org/x\n");
    app.start();
    app.window->close();
    QCOMPARE(app.shell.addresses, opened ? QStringList{"http://example.org/x"} : QStringList{});
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
