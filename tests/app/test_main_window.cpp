#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/translations.h"
#include "support/require.h"
#include "support/test_app.h"

using namespace hb;
using hb::test::TestApp;

namespace {

QString caption(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    return {};
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void controls_data();
    void controls();
    void everyFieldHasItsControl();
    void designLists_data();
    void designLists();
    void menus();
    void windowItself();
    void qtSpeaksChinese();
};

void TestMainWindow::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("enabled");
    auto row = [](const char* name, QRect r, const char* text, bool shown = true,
                  bool enabled = true) {
        QTest::newRow(name) << QString::fromUtf8(name) << r << QString::fromUtf8(text) << shown
                            << enabled;
    };
    row("图片框1", {-35, 0, 1053, 65}, "");
    row("按钮5", {993, 202, 25, 97}, "案件情由备注");
    row("按钮2", {993, 299, 25, 82}, " 上一步：", true, false);
    row("按钮1", {993, 381, 25, 82}, " 下一步：");
    row("分组框1", {1, 59, 517, 510}, "");
    row("分组框2", {519, 59, 500, 510}, "");
    row("分组框3", {1, 59, 517, 510}, "", false);
    row("分组框4", {519, 59, 500, 510}, "", false);
    row("分组框6", {519, 59, 500, 510}, "", false);
    row("标签2", {10, 17, 493, 24},
        "笔录起始时间：         年      月      日      时      分   至        时      分");
    row("编辑框1", {97, 18, 46, 20}, "");
    row("编辑框7", {446, 18, 28, 20}, "");
    row("编辑框8", {97, 52, 124, 20}, "澄屿市");
    row("组合框2", {221, 52, 201, 20}, "");
    row("组合框1", {221, 87, 49, 20}, "");
    row("编辑框11", {349, 86, 98, 20}, "吉林省澄屿市");
    row("编辑框12", {99, 120, 78, 17}, "身份证");
    row("编辑框10", {257, 120, 190, 17}, "");
    row("编辑框14", {98, 154, 188, 17}, "");
    row("组合框3", {337, 152, 110, 20}, "");
    row("编辑框16", {336, 185, 170, 17}, "无");
    row("标签8", {23, 216, 401, 24},
        "询问监察员：                 其他参加人：                 记录人：");
    row("组合框55", {421, 218, 87, 20}, "");
    row("标签9", {16, 259, 88, 24}, " 笔录内容1：");
    row("组合框4", {72, 300, 400, 20}, "问：");
    row("组合框6", {72, 362, 400, 20}, "问：");
    row("组合框8", {72, 424, 400, 20}, "");
    row("组合框9", {72, 455, 400, 20}, "答：");
    row("组合框23", {69, 472, 388, 20}, "答：");
    row("组合框37", {86, 58, 388, 20}, "");
    row("组合框24", {86, 473, 388, 20}, "答：");
    row("组合框49", {69, 57, 388, 20}, "");
    row("组合框38", {69, 472, 388, 20}, "答：");
    row("标签12", {16, 19, 88, 24}, " 笔录内容3：");
    row("标签15", {16, 19, 176, 24}, " 案件经过详细备注信息：");
    row("超级编辑框2", {40, 64, 417, 424}, "");
}

void TestMainWindow::controls() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(bool, shown);
    QFETCH(bool, enabled);
    TestApp app;
    QWidget* w = app.find(name);
    QVERIFY2(w, qPrintable(name));
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(caption(w), text);
    QCOMPARE(!w->isHidden(), shown);
    QCOMPARE(w->isEnabled(), enabled);
}

void TestMainWindow::everyFieldHasItsControl() {
    TestApp app;
    for (const FieldSpec& f : fields()) QVERIFY2(app.find(f.designName), qPrintable(f.designName));
    for (Hidden h : {Hidden::statusMessage, Hidden::officePath, Hidden::textFilePath,
                     Hidden::templatePath, Hidden::ftpLocalPath, Hidden::audioFilePath}) {
        QWidget* w = app.find(designName(h));
        QVERIFY(w);
        QVERIFY(w->isHidden() && w->y() < 0);
    }
    QCOMPARE(fieldSpec(question(1)).designName, QStringLiteral("组合框4"));
    QCOMPARE(fieldSpec(answer(10)).key, QStringLiteral("num42"));
    QCOMPARE(fieldSpec(question(11)).designName, QStringLiteral("组合框37"));
    QCOMPARE(fieldSpec(question(19)).key, QStringLiteral("num59"));
    QCOMPARE(fieldSpec(answer(24)).designName, QStringLiteral("组合框38"));
    QCOMPARE(fieldSpec(Field::caseNotes).key, QStringLiteral("beizu"));
}

void TestMainWindow::designLists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("sex") << "组合框1" << QStringList{"男", "女"};
    QTest::newRow("position") << "组合框3"
                              << QStringList{"经理", "项目经理", "老板",   "会计",   "工人", "力工",
                                             "瓦工", "代理人",   "农民工", "开发商", "其它", ""};
    QTest::newRow("officer") << "组合框53" << QStringList{""};
    QTest::newRow("participants") << "组合框54" << QStringList{"无", ""};
    QTest::newRow("answer 3") << "组合框9" << QStringList{"答：会计", "答：农民工", "答："};
    QTest::newRow("question 24") << "组合框39" << QStringList{"问："};
    QTest::newRow("place detail") << "组合框2" << QStringList{};
}

void TestMainWindow::designLists() {
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    TestApp app;
    auto* c = app.find<QComboBox>(name);
    QStringList actual;
    for (int i = 0; i < c->count(); ++i) actual << c->itemText(i);
    QCOMPARE(actual, items);
    QCOMPARE(c->currentIndex(), -1);
}

void TestMainWindow::menus() {
    TestApp app;
    const QList<QAction*> top = app.window->menuBar()->actions();
    QStringList titles;
    for (QAction* a : top) titles << a->text();
    QCOMPARE(titles,
             (QStringList{"文件", "网络功能", "录音笔录", "法律法规", "监察文书", "两网化管理",
                          "劳动保障网络(全国)", "安全设置", "工具", "更新", "帮助"}));
    const QList<int> counts = {5, 3, 2, 19, 27, 2, 23, 2, 6, 1, 5};
    for (int i = 0; i < top.size(); ++i) {
        QCOMPARE(top[i]->menu()->actions().size(), counts[i]);
        for (QAction* item : top[i]->menu()->actions())
            QVERIFY(item->isEnabled() && item->isVisible() && !item->isCheckable());
    }
    QCOMPARE(top[0]->menu()->actions().last()->text(), QStringLiteral("退出"));
    QCOMPARE(top[10]->menu()->actions().first()->text(),
             QStringLiteral("市/镇/县/乡/村 劳动保障监察员联系方式"));
}

void TestMainWindow::windowItself() {
    TestApp app;
    QCOMPARE(app.window->windowTitle(),
             QStringLiteral(" 澄屿市人社局 - 劳动保障监察大队专用询问笔录软件   [网络版]"));
    QCOMPARE(app.window->pos(), QPoint(50, 50));
    QVERIFY(!app.window->isVisible());
    QVERIFY(app.window->statusClock()->isActive());
    QCOMPARE(app.window->statusClock()->interval(), 1000);
    auto* banner = app.find<QLabel>("图片框1");
    QCOMPARE(banner->pixmap().size(), QSize(1025, 66));
    QVERIFY(!app.window->windowIcon().pixmap(48, 48).isNull());
    QCOMPARE(app.window->client()->width(), 1019);
}

void TestMainWindow::qtSpeaksChinese() {
    const bool installed =
        QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm");
    HB_REQUIRE(installed, "Qt's translations are not installed (qt6-translations-l10n)");
    QVERIFY(installQtTranslations());
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    QFileDialog save(nullptr, QString(), QString(), "*.wav");
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    auto* box = save.findChild<QDialogButtonBox*>();
    QVERIFY(box);
    QCOMPARE(box->button(QDialogButtonBox::Save)->text(), QStringLiteral("保存(&S)"));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
