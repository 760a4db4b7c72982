#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "extras/http_client.h"
#include "extras/links.h"
#include "platform/files.h"
#include "support/local_server.h"
#include "support/test_app.h"

using namespace hb;
using namespace hb::test;

namespace {

const QString kNoNewVersion = QStringLiteral("软件暂时没有新版本用于更新！");
const QString kNotFetched = QStringLiteral("无法获取软件更新信息，请检查网络连接或稍后再试。");

}  // namespace

class ExtrasTest : public QObject {
    Q_OBJECT

    QTemporaryDir published_;  // the site's root
    QTemporaryDir office_;     // an office program directory with Calc
    bool havePython_ = false;
    LocalServer site_;

  private slots:
    void initTestCase() {
        havePython_ = pythonHas(QStringLiteral("http.server"));
        if (!havePython_) return;
        QString why;
        QVERIFY2(site_.start({"-m", "http.server", "{port}", "--bind", "127.0.0.1", "--directory",
                              published_.path()},
                             &why),
                 qPrintable(why));
    }
    void cleanup() { qunsetenv("HENGBI_SITE"); }

    // Every link item hands its own address, and only that, to the browser.
    void linksOpenTheirOwnAddress() {
        qputenv("HENGBI_SITE", "http://site.test/");
        TestApp app;
        QStringList items;
        for (QAction* a : app.window->menuBar()
                              ->findChild<QMenu*>(QStringLiteral("劳动保障网络(全国)"))
                              ->actions())
            items << a->text();
        QCOMPARE(items.size(), 23);
        items << QStringLiteral("官方网站") << QStringLiteral("搜狗拼音下载")
              << QStringLiteral("极点五笔下载");
        QStringList opened;
        for (const QString& item : items) {
            app.shell.addresses.clear();
            app.trigger(item);
            QCOMPARE(app.shell.addresses.size(), 1);
            const QString address = app.shell.addresses.front();
            QCOMPARE(address, linkAddress(item));
            const QUrl url(address, QUrl::StrictMode);
            QVERIFY2(url.isValid() && !url.host().isEmpty(), qPrintable(address));
            QVERIFY(url.scheme() == QLatin1String("http") ||
                    url.scheme() == QLatin1String("https"));
            opened << address;
        }
        QCOMPARE(QSet<QString>(opened.begin(), opened.end()).size(), opened.size());
        QCOMPARE(opened[23], QStringLiteral("http://site.test/"));
        QVERIFY(opened[24].endsWith(QStringLiteral("/soft/27159.html")));
        QVERIFY(opened[25].endsWith(QStringLiteral("/soft/20835.html")));
        QCOMPARE(QUrl(opened[24]).host(), QUrl(opened[25]).host());
        QVERIFY(app.dialogs.shown.isEmpty());
        QVERIFY(app.shell.started.isEmpty());
    }

    void toolsStartTheFirstInstalled_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QStringList>("started");  // empty: nothing
#ifdef Q_OS_WIN
        QTest::newRow("calculator") << "计算器" << QStringList{"calc.exe", "notepad.exe"}
                                    << QStringList{"/usr/bin/calc.exe"};
        QTest::newRow("editor") << "文本文档" << QStringList{"calc.exe", "notepad.exe"}
                                << QStringList{"/usr/bin/notepad.exe"};
#else
        QTest::newRow("calculator") << "计算器" << QStringList{"xcalc", "gnome-calculator"}
                                    << QStringList{"/usr/bin/gnome-calculator"};
        QTest::newRow("only xcalc")
            << "计算器" << QStringList{"xcalc", "gedit"} << QStringList{"/usr/bin/xcalc"};
        QTest::newRow("no calculator") << "计算器" << QStringList{"gedit"} << QStringList{};
        QTest::newRow("editor") << "文本文档" << QStringList{"pluma", "mousepad"}
                                << QStringList{"/usr/bin/mousepad"};
        QTest::newRow("no editor") << "文本文档" << QStringList{"kcalc"} << QStringList{};
#endif
    }
    void toolsStartTheFirstInstalled() {
        QFETCH(QString, item);
        QFETCH(QStringList, installed);
        QFETCH(QStringList, started);
        TestApp app;
        app.shell.installed = installed;
        app.trigger(item);
        QCOMPARE(app.shell.started,
                 started.isEmpty() ? QList<QStringList>{} : QList<QStringList>{started});
        QVERIFY(app.dialogs.shown.isEmpty());
    }

    void officeProgramsAfterTheCheck_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("installedAt");
        QTest::addColumn<QString>("refusal");  // empty: started
        QTest::addColumn<QStringList>("started");
        const QString at = office_.path();
#ifdef Q_OS_WIN
        // Word's program goes by the name App Paths knows; WPS's is in the checked folder.
        QTest::newRow("word") << "Word文档" << at << "" << QStringList{"WINWORD.EXE"};
        const QString wps = office_.filePath(QStringLiteral("wps"));
        QDir().mkpath(wps);
        QFile(wps + QStringLiteral("/wps.exe")).open(QIODevice::WriteOnly);
        QTest::newRow("wps") << "Word文档" << wps << ""
                             << QStringList{QDir(wps).filePath(QStringLiteral("wps.exe"))};
#else
        QFile(office_.filePath(QStringLiteral("libsclo.so"))).open(QIODevice::WriteOnly);
        QTest::newRow("writer") << "Word文档" << at << ""
                                << QStringList{at + QStringLiteral("/soffice"), "--writer"};
        QTest::newRow("calc") << "Excel文档" << at << ""
                              << QStringList{at + QStringLiteral("/soffice"), "--calc"};
        QTest::newRow("office without calc")
            << "Excel文档" << QStringLiteral("/usr/lib/libreoffice/no-calc")
            << "没有安装 LibreOffice Calc，无法打开表格。\n请管理员安装软件包 libreoffice-calc。"
            << QStringList{};
#endif
        QTest::newRow("no office, writer")
            << "Word文档"
            << ""
            << "电 脑 没 有 安 装 WORD 办 公 软 件." << QStringList{};
        QTest::newRow("no office, calc") << "Excel文档"
                                         << ""
                                         << "电 脑 没 有 安 装 ExceL 办 公 软 件." << QStringList{};
    }
    void officeProgramsAfterTheCheck() {
        QFETCH(QString, item);
        QFETCH(QString, installedAt);
        QFETCH(QString, refusal);
        QFETCH(QStringList, started);
        TestApp app;
        app.office.installedAt = installedAt;
        app.trigger(item);
        if (refusal.isEmpty()) {
            QVERIFY(app.dialogs.shown.isEmpty());
            QCOMPARE(app.shell.started, QList<QStringList>{started});
        } else {
            QCOMPARE(app.dialogs.shown.size(), 1);
            QCOMPARE(app.dialogs.lastText(), refusal);
            QCOMPARE(app.dialogs.shown.front().caption,
                     installedAt.isEmpty() ? u"无 法 打 印："_qs : u"提 示："_qs);
            QVERIFY(app.shell.started.isEmpty());
        }
        // No document of the application is handed to the office.
        QVERIFY(app.office.callsStartingWith(QStringLiteral("open")).isEmpty());
        QVERIFY(app.office.callsStartingWith(QStringLiteral("sheet")).isEmpty());
    }

    void authorInformationShown() {
        TestApp app;
        app.trigger(QStringLiteral("联系作者"));
        QCOMPARE(app.dialogs.shown.size(), 1);
        QCOMPARE(app.dialogs.shown.front().caption, QStringLiteral("作者信息："));
        QCOMPARE(app.dialogs.shown.front().buttons, Buttons::Ok);
        QVERIFY(app.dialogs.lastText().contains(QStringLiteral("\n\n")));
    }

    void updateCheck_data() {
        QTest::addColumn<QByteArray>("published");  // null: no soft.ini on the site
        QTest::addColumn<QString>("site");          // {port} stands for the server's port
        QTest::addColumn<bool>("newVersion");
        QTest::addColumn<bool>("fetched");
        const QString site = QStringLiteral("http://127.0.0.1:{port}");
        QTest::newRow("1") << QByteArray("[set]\r\ngengxin=1\r\n") << site << true << true;
        QTest::newRow("0") << QByteArray("[set]\r\ngengxin=0\r\n") << site << false << true;
        QTest::newRow("empty") << QByteArray("[set]\r\ngengxin=\r\n") << site << false << true;
        QTest::newRow("absent") << QByteArray("[set]\r\nbanben=2.4\r\n") << site << false << true;
        QTest::newRow("10") << QByteArray("[set]\r\ngengxin=10\r\n") << site << false << true;
        QTest::newRow("not an ini file")
            << QByteArray("<html><body>gengxin=1</body></html>") << site << false << true;
        QTest::newRow("site with a path")
            << QByteArray("[SET]\r\n GENGXIN = \"1\"\r\n") << site + "/news/" << true << true;
        QTest::newRow("error page") << QByteArray() << site << false << false;
        QTest::newRow("unreachable") << QByteArray("[set]\r\ngengxin=1\r\n")
                                     << QStringLiteral("http://127.0.0.1:{free}") << false << false;
    }
    void updateCheck() {
        HB_REQUIRE(havePython_, "/usr/bin/python3 is missing");
        QFETCH(QByteArray, published);
        QFETCH(QString, site);
        QFETCH(bool, newVersion);
        QFETCH(bool, fetched);
        const QString remote = published_.path() + QStringLiteral("/soft.ini");
        QFile::remove(remote);
        if (!published.isNull()) QVERIFY(writeFileBytes(remote, published));
        site.replace(QStringLiteral("{port}"), QString::number(site_.port()));
        site.replace(QStringLiteral("{free}"), QString::number(freePort()));
        qputenv("HENGBI_SITE", site.toUtf8());

        TestApp app;
        SystemHttpClient http;
        app.ctx.http = &http;
        const QString local = app.ctx.paths.systemDir + QStringLiteral("/soft.ini");
        const QByteArray older("[set]\r\ngengxin=1\r\n;older\r\n");
        QVERIFY(writeFileBytes(local, older));
        app.trigger(QStringLiteral("更新软件"));

        QCOMPARE(app.dialogs.shown.size(), 1);
        QCOMPARE(app.dialogs.shown.front().caption, QStringLiteral("提 示："));
        if (newVersion) {
            const QString home = site.endsWith('/') ? site : site + '/';
            QCOMPARE(app.dialogs.lastText(), QStringLiteral("软件有新版本！ 请到 ") + home +
                                                 QStringLiteral(" 下载新版本使用。。。"));
        } else {
            QCOMPARE(app.dialogs.lastText(), fetched ? kNoNewVersion : kNotFetched);
        }
        QCOMPARE(readFileBytes(local), fetched ? published : older);
    }

    void cleanupTestCase() {
        site_.stop();
    }
};

QTEST_MAIN(ExtrasTest)
#include "test_extras.moc"
