#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/backends.h"
#include "exchange/exchange.h"
#include "exchange/ftp_client.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "support/local_server.h"
#include "support/test_app.h"
#include "support/ui.h"

using namespace hb;
using namespace hb::test;

namespace {

const QString kAccount = QStringLiteral("hbuser");
const QString kPassword = QStringLiteral("s3cret");
const QString kLoginFailed = QStringLiteral("服务器帐号密码不对..");
const QString kUploaded = QStringLiteral("笔录模板文件.ini上传FTP服务器成功.");
const QString kUploadFailed = QStringLiteral("笔录上传失败.");
const QString kDownloaded = QStringLiteral("笔录模板.ini文件下载到 笔录软件的BL目录成功.");
const QString kDownloadFailed = QStringLiteral("笔录下载失败.");

// GBK text, CR LF and bytes that a text-mode transfer would change.
const QByteArray kTemplate =
    QByteArray("[set]\r\nnum1=2026\r\nnum10=\xd5\xc5\xc8\xfd\r\n") + QByteArray("\x00\xff\n\r", 4);

// Records what the exchange asks of the server.
class RecordingFtp : public FtpClient {
  public:
    bool connect(const QString& host, const QString& account, const QString& password) override {
        calls << QStringLiteral("connect %1 %2 %3").arg(host, account, password);
        return true;
    }
    bool setCurrentDirectory(const QString& path) override {
        calls << QStringLiteral("cd ") + path;
        return true;
    }
    bool putFile(const QString& localPath, const QString& remoteName) override {
        calls << QStringLiteral("put %1 %2").arg(localPath, remoteName);
        return true;
    }
    bool getFile(const QString& remoteName, const QString& localPath) override {
        calls << QStringLiteral("get %1 %2").arg(remoteName, localPath);
        return true;
    }
    QString lastError() const override { return {}; }
    QStringList calls;
};

void fill(TestApp& app, const QString& host, const QString& name, const QString& account = kAccount,
          const QString& password = kPassword) {
    app.find<QLineEdit>(QStringLiteral("编辑框20"))->setText(host);
    app.find<QLineEdit>(QStringLiteral("编辑框23"))->setText(name);
    app.find<QLineEdit>(QStringLiteral("编辑框21"))->setText(account);
    app.find<QLineEdit>(QStringLiteral("编辑框22"))->setText(password);
}

QString status(const TestApp& app) {
    return app.ctx.record->hidden(Hidden::statusMessage);
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// The plain files, names and contents as bytes, as the server's system holds them: a GBK name
// is no UTF-8 file name for QDir (nor for Wine).
QMap<QByteArray, QByteArray> rawFiles(const QString& dir) {
    QMap<QByteArray, QByteArray> files;
    const QByteArray listing = runPython(QStringLiteral(R"(import os, sys
d = os.fsencode(sys.argv[1])
for n in os.listdir(d):
    p = os.path.join(d, n)
    if os.path.isfile(p) and not os.path.islink(p):
        print(n.hex(), open(p, "rb").read().hex()))"),
                                         {dir});
    for (const QByteArray& line : listing.split('\n'))
        if (const QList<QByteArray> f = line.trimmed().split(' '); f.size() == 2)
            files[QByteArray::fromHex(f[0])] = QByteArray::fromHex(f[1]);
    return files;
}

// The test server of ftp_server.py with one of its ways, serving root.
bool startScripted(LocalServer& server, const QString& root, const char* way) {
    return server.start(
        QStringList{qEnvironmentVariable("HB_SOURCE_DIR") + "/tests/exchange/ftp_server.py",
                    "--port", "{port}", "--root", root, "--user", kAccount, "--password",
                    kPassword} +
        QString::fromLatin1(way).split(' '));
}

}  // namespace

class ExchangeTest : public QObject {
    Q_OBJECT

    QTemporaryDir work_;
    QString root_;  // the account's login directory on the server
    bool haveServer_ = false;
    LocalServer server_;

    QString www(const QString& name = {}) const {
        return root_ + QStringLiteral("/wwwroot") + (name.isEmpty() ? QString() : "/" + name);
    }
    void emptyServer() {
        runPython(QStringLiteral("import shutil, sys; shutil.rmtree(sys.argv[1], True)"),
                  {root_});  // names beyond QDir
        QDir().mkpath(www());
    }
    QString localFile(const QString& relative, const QByteArray& bytes = kTemplate) {
        const QString path = work_.path() + QStringLiteral("/local/") + relative;
        QDir().mkpath(QFileInfo(path).path());
        writeFileBytes(path, bytes);
        return path;
    }

  private slots:
    void initTestCase() {
        root_ = work_.path() + QStringLiteral("/server");
        emptyServer();
        haveServer_ = pythonHas(QStringLiteral("pyftpdlib"));
        if (!haveServer_) return;
        QString why;
        QVERIFY2(server_.start({"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", "{port}", "-u",
                                kAccount, "-P", kPassword, "-w", "-d", root_},
                               &why),
                 qPrintable(why));
    }
    void init() { emptyServer(); }

    void panelAsDesigned() {
        TestApp app;
        QVERIFY(app.start());
        auto* panel = app.find<QGroupBox>(QStringLiteral("分组框7"));
        QVERIFY(panel);
        QCOMPARE(panel->parentWidget(), app.window->client());
        QCOMPARE(panel->title(), QStringLiteral("FTP服务器配置"));
        QCOMPARE(panel->geometry(), QRect(305, -8, 271, 65));
        QVERIFY(panel->isHidden());
        struct Box {
            const char* name;
            QRect place;
            const char* tip;
        };
        const Box boxes[] = {
            {"编辑框20", {79, 15, 79, 20}, "输入FTP服务器的ip地址，比如 xxx.xxx.xxx.xxx"},
            {"编辑框23", {207, 15, 60, 20}, "输入要上传或下载的笔录文件的名称，不用输入扩展名..."},
            {"编辑框21", {64, 40, 71, 20}, "添写登陆FTP服务器的帐号"},
            {"编辑框22", {197, 40, 71, 20}, "添写登陆FTP服务器的密码"},
        };
        for (const Box& b : boxes) {
            auto* e = panel->findChild<QLineEdit*>(QString::fromUtf8(b.name));
            QVERIFY2(e, b.name);
            QCOMPARE(e->geometry(), b.place);
            QCOMPARE(e->toolTip(), QString::fromUtf8(b.tip));
            QCOMPARE(e->echoMode(), QLineEdit::Normal);
            QVERIFY(e->text().isEmpty());
        }
        const std::pair<const char*, const char*> labels[] = {{"标签16", "FTP_IP地址："},
                                                              {"标签19", "文件名："},
                                                              {"标签17", "FTP帐号："},
                                                              {"标签18", "FTP密码："}};
        for (const auto& [name, text] : labels)
            QCOMPARE(panel->findChild<QLabel*>(QString::fromUtf8(name))->text(),
                     QString::fromUtf8(text));

        app.trigger(QStringLiteral("FTP笔录服务器配置"));
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->geometry(), QRect(1, 0, 271, 65));
        app.trigger(QStringLiteral("FTP笔录服务器配置"));
        QVERIFY(panel->isHidden());
        QCOMPARE(panel->pos(), QPoint(1, 0));
    }

    // Nothing is asked or sent before the four boxes are filled and the name is plain.
    void refusedBeforeAnything_data() {
        QTest::addColumn<QStringList>("boxes");  // host, name, account, password
        QTest::addColumn<QString>("message");
        const QString incomplete = QStringLiteral("FTP服务器配置没有添写！");
        QTest::newRow("no host") << QStringList{"", "A", "u", "p"} << incomplete;
        QTest::newRow("no name") << QStringList{"h", "", "u", "p"} << incomplete;
        QTest::newRow("no account") << QStringList{"h", "A", "", "p"} << incomplete;
        QTest::newRow("no password") << QStringList{"h", "A", "u", ""} << incomplete;
        const QString unsafe = QStringLiteral("不能用于上传或下载");
        QTest::newRow("up a level") << QStringList{"h", "../A", "u", "p"} << unsafe;
        QTest::newRow("dot dot") << QStringList{"h", "..", "u", "p"} << unsafe;
        QTest::newRow("slash") << QStringList{"h", "x/A", "u", "p"} << unsafe;
        QTest::newRow("backslash") << QStringList{"h", "x\\A", "u", "p"} << unsafe;
        QTest::newRow("control") << QStringList{"h", "A\tB", "u", "p"} << unsafe;
        // Line breaks already become blanks in the boxes; the other control characters stop.
        QTest::newRow("password with a tab")
            << QStringList{"h", "A", "u", "p\tq"} << "“FTP密码”中含有回车、换行等控制字符";
        QTest::newRow("account with NUL")
            << QStringList{"h", "A", QString::fromLatin1("u\0x", 3), "p"}
            << "“FTP帐号”中含有回车、换行等控制字符";
        QTest::newRow("server with ESC")
            << QStringList{"h\x1b", "A", "u", "p"} << "“FTP_IP地址”中含有回车、换行等控制字符";
    }
    void refusedBeforeAnything() {
        QFETCH(QStringList, boxes);
        QFETCH(QString, message);
        for (const char* item : {"笔录上传", "笔录下载"}) {
            TestApp app;
            RecordingFtp ftp;
            app.ctx.ftp = &ftp;
            app.dialogs.files.enqueue(localFile(QStringLiteral("t.ini")));
            fill(app, boxes[0], boxes[1], boxes[2], boxes[3]);
            app.trigger(QString::fromUtf8(item));
            QCOMPARE(app.dialogs.shown.size(), 1);
            QVERIFY2(app.dialogs.lastText().contains(message), qPrintable(app.dialogs.lastText()));
            const QString caption = message.startsWith(QStringLiteral("FTP"))
                                        ? QStringLiteral("请完善FTP服务器配置才可以上传下载：")
                                        : QStringLiteral("提示：");
            QCOMPARE(app.dialogs.shown.front().caption, caption);
            QVERIFY(app.dialogs.fileDialogs.isEmpty());
            QVERIFY(ftp.calls.isEmpty());
        }
    }

    // The choice must contain "ini" in lower case anywhere in its path.
    void uploadChoiceChecked_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("template") << "/home/o/BL/A.ini" << true;
        QTest::newRow("folder mini") << "/home/o/mini/notes.txt" << true;
        QTest::newRow("upper case only") << "/home/o/INI/A.INI" << false;
        QTest::newRow("cancelled") << "" << false;
    }
    void uploadChoiceChecked() {
        QFETCH(QString, chosen);
        QFETCH(bool, accepted);
        TestApp app;
        RecordingFtp ftp;
        app.ctx.ftp = &ftp;
        app.dialogs.files.enqueue(chosen);
        fill(app, QStringLiteral("ftp.example"), QStringLiteral("A"));
        app.trigger(QStringLiteral("笔录上传"));
        QCOMPARE(app.dialogs.fileDialogs.size(), 1);
        QCOMPARE(app.dialogs.fileDialogs.front().mode, FileDialogSpec::Mode::BrowseFiles);
        QCOMPARE(app.ctx.record->hidden(Hidden::ftpLocalPath), chosen);
        if (accepted) {
            QVERIFY(app.dialogs.shown.isEmpty());
            QCOMPARE(ftp.calls, (QStringList{"connect ftp.example hbuser s3cret", "cd wwwroot/",
                                             "put " + chosen + " A.ini"}));
        } else {
            QCOMPARE(app.dialogs.lastText(), QStringLiteral("请选择笔录模板文件.ini上传"));
            QCOMPARE(app.dialogs.shown.back().caption, QStringLiteral("提示："));
            QVERIFY(ftp.calls.isEmpty());
        }
    }

    void uploadStoresUnderTypedName_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("wwwroot");
        QTest::addColumn<QString>("stored");  // relative to the login directory
        QTest::newRow("template") << "BL/2026.12.9-x-y.ini"
                                  << "A" << true << "wwwroot/A.ini";
        QTest::newRow("any file") << "mini/notes.txt"
                                  << "A" << true << "wwwroot/A.ini";
        QTest::newRow("typed with extension") << "t.ini"
                                              << "A.ini" << true << "wwwroot/A.ini.ini";
        QTest::newRow("no wwwroot") << "t.ini"
                                    << "B" << false << "B.ini";
    }
    void uploadStoresUnderTypedName() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        QFETCH(QString, chosen);
        QFETCH(QString, typed);
        QFETCH(bool, wwwroot);
        QFETCH(QString, stored);
        if (!wwwroot) QVERIFY(QDir(www()).removeRecursively());
        TestApp app;
        SystemFtpClient ftp(server_.port());
        app.ctx.ftp = &ftp;
        app.dialogs.files.enqueue(localFile(chosen));
        fill(app, QStringLiteral("127.0.0.1"), typed);
        app.trigger(QStringLiteral("笔录上传"));
        QCOMPARE(status(app), kUploaded);
        QCOMPARE(readFileBytes(root_ + "/" + stored), kTemplate);
        QCOMPARE(entries(QFileInfo(root_ + "/" + stored).path()).size(), 1);
    }

    void uploadFailureReported_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("typed");
        QTest::newRow("chosen file gone") << "gone/missing.ini"
                                          << "A";
        QTest::newRow("server refuses the name") << "t.ini"
                                                 << "D";
    }
    void uploadFailureReported() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        QFETCH(QString, chosen);
        QFETCH(QString, typed);
        QDir().mkpath(www(QStringLiteral("D.ini")));  // a folder where the file would go
        QString path = work_.path() + "/local/" + chosen;
        if (!chosen.startsWith(QStringLiteral("gone"))) path = localFile(chosen);
        TestApp app;
        SystemFtpClient ftp(server_.port());
        app.ctx.ftp = &ftp;
        app.dialogs.files.enqueue(path);
        fill(app, QStringLiteral("127.0.0.1"), typed);
        app.trigger(QStringLiteral("笔录上传"));
        QCOMPARE(status(app), kUploadFailed);
        QCOMPARE(entries(www()), QStringList{"D.ini"});
    }

    void downloadReplacesLocalTemplate_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("wwwroot");
        QTest::newRow("from wwwroot") << "A" << true;
        QTest::newRow("typed with extension") << "A.ini" << true;
        QTest::newRow("no wwwroot") << "A" << false;
    }
    void downloadReplacesLocalTemplate() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        QFETCH(QString, typed);
        QFETCH(bool, wwwroot);
        const QString file = typed + QStringLiteral(".ini");
        if (!wwwroot) QVERIFY(QDir(www()).removeRecursively());
        writeFileBytes((wwwroot ? www() : root_) + "/" + file, kTemplate);
        TestApp app;
        SystemFtpClient ftp(server_.port());
        app.ctx.ftp = &ftp;
        QDir().mkpath(app.ctx.paths.blDir());
        writeFileBytes(app.ctx.paths.blDir() + "/" + file, "[set]\r\nnum1=old\r\n");
        fill(app, QStringLiteral("127.0.0.1"), typed);
        app.trigger(QStringLiteral("笔录下载"));
        QCOMPARE(status(app), kDownloaded);
        QCOMPARE(readFileBytes(app.ctx.paths.blDir() + "/" + file), kTemplate);
        QCOMPARE(entries(app.ctx.paths.blDir()), QStringList{file});
    }

    // A failed download leaves BL exactly as it was.
    void failedDownloadKeepsLocalFiles_data() {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<bool>("haveBl");
        QTest::newRow("missing remote file") << false << true;
        QTest::newRow("missing BL") << true << false;
    }
    void failedDownloadKeepsLocalFiles() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        QFETCH(bool, onServer);
        QFETCH(bool, haveBl);
        if (onServer) writeFileBytes(www(QStringLiteral("A.ini")), kTemplate);
        TestApp app;
        SystemFtpClient ftp(server_.port());
        app.ctx.ftp = &ftp;
        const QString bl = app.ctx.paths.blDir();
        const QByteArray old("[set]\r\nnum1=old\r\n");
        if (haveBl) writeFileBytes((QDir().mkpath(bl), bl + "/A.ini"), old);
        fill(app, QStringLiteral("127.0.0.1"), QStringLiteral("A"));
        app.trigger(QStringLiteral("笔录下载"));
        QCOMPARE(status(app), kDownloadFailed);
        if (haveBl) {
            QCOMPARE(entries(bl), QStringList{"A.ini"});
            QCOMPARE(readFileBytes(bl + "/A.ini"), old);
        } else {
            QVERIFY(!QFileInfo::exists(bl));
        }
    }

    void loginFailureReported_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("stopped");
        QTest::newRow("wrong password") << "127.0.0.1"
                                        << "wrong" << false;
        QTest::newRow("stopped server") << "127.0.0.1" << kPassword << true;
        QTest::newRow("address with a slash") << "127.0.0.1/x" << kPassword << false;
    }
    void loginFailureReported() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        QFETCH(QString, host);
        QFETCH(QString, password);
        QFETCH(bool, stopped);
        int port = server_.port();
        if (stopped) {
            LocalServer other;
            QVERIFY(other.start({"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", "{port}", "-u",
                                 kAccount, "-P", kPassword, "-w", "-d", root_}));
            port = other.port();
        }
        writeFileBytes(www(QStringLiteral("A.ini")), kTemplate);
        for (const char* item : {"笔录上传", "笔录下载"}) {
            TestApp app;
            SystemFtpClient ftp(port);
            app.ctx.ftp = &ftp;
            const QString chosen = localFile(QStringLiteral("t.ini"), "new");
            app.dialogs.files.enqueue(chosen);
            fill(app, host, QStringLiteral("A"), kAccount, password);
            app.trigger(QString::fromUtf8(item));
            QCOMPARE(status(app), kLoginFailed);
            QVERIFY(!QFileInfo::exists(app.ctx.paths.blDir() + "/A.ini"));
        }
        QCOMPARE(readFileBytes(www(QStringLiteral("A.ini"))), kTemplate);
    }

    // The client keeps its session between operations and follows its directory.
    void oneSessionServesSeveralTransfers() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        QDir().mkpath(www(QStringLiteral("sub")));
        SystemFtpClient ftp(server_.port());
        QVERIFY(ftp.connect(QStringLiteral("127.0.0.1"), kAccount, kPassword));
        QVERIFY(!ftp.setCurrentDirectory(QStringLiteral("nowhere/")));
        QVERIFY(ftp.putFile(localFile(QStringLiteral("a.ini")), QStringLiteral("top.ini")));
        QVERIFY(ftp.setCurrentDirectory(QStringLiteral("wwwroot/")));
        QVERIFY(ftp.putFile(localFile(QStringLiteral("a.ini")), QStringLiteral("A.ini")));
        QVERIFY(ftp.setCurrentDirectory(QStringLiteral("sub")));
        QVERIFY(ftp.putFile(localFile(QStringLiteral("a.ini")), QStringLiteral("S.ini")));
        const QString back = work_.path() + QStringLiteral("/back.ini");
        QVERIFY(ftp.getFile(QStringLiteral("S.ini"), back));
        QCOMPARE(readFileBytes(back), kTemplate);
        QVERIFY(!ftp.getFile(QStringLiteral("A.ini"), back));  // not in this directory
        QCOMPARE(readFileBytes(back), kTemplate);
        QCOMPARE(entries(root_), (QStringList{"top.ini", "wwwroot"}));
        QCOMPARE(entries(www()), (QStringList{"A.ini", "sub"}));
        QCOMPARE(entries(www(QStringLiteral("sub"))), QStringList{"S.ini"});

        // A new login replaces the session and starts in the login directory again.
        QVERIFY(ftp.connect(QStringLiteral("127.0.0.1"), kAccount, kPassword));
        QVERIFY(ftp.getFile(QStringLiteral("top.ini"), back));
        QVERIFY(!ftp.connect(QStringLiteral("127.0.0.1"), kAccount, QStringLiteral("no")));
        QVERIFY(!ftp.connect(QStringLiteral("127.0.0.1"), kAccount, kPassword + "\r\nNOOP"));
        QVERIFY(!ftp.putFile(localFile(QStringLiteral("a.ini")), QStringLiteral("x.ini")));
    }

    // Both ways, on a server that speaks UTF-8 and on one that keeps the bytes it gets (GBK
    // for GBK names), each template arrives under its own name and comes back unchanged.
    void namesAsTyped_data() {
        QTest::addColumn<bool>("gbkServer");
        QTest::addColumn<QStringList>("names");
        const QStringList gbk{QStringLiteral("张三"), QStringLiteral("李四")};
        QTest::newRow("UTF-8 server") << false << gbk;
        QTest::newRow("GBK server") << true << gbk;
        QTest::newRow("GBK server, names beyond GBK")
            << true << QStringList{QStringLiteral("王𠮷"), QStringLiteral("王𡈼")};
    }
    void namesAsTyped() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        QFETCH(bool, gbkServer);
        QFETCH(QStringList, names);
        LocalServer gbk;
        if (gbkServer) QVERIFY(startScripted(gbk, root_, "--raw-names"));
        const QString address =
            QStringLiteral("127.0.0.1:%1").arg(gbkServer ? gbk.port() : server_.port());
        const QByteArray contents[] = {kTemplate, toGb18030("[set]\r\nnum10=" + names[1])};
        TestApp app;
        SystemFtpClient ftp;  // port 21 unless the address says otherwise
        app.ctx.ftp = &ftp;
        QMap<QByteArray, QByteArray> expected;
        for (int i = 0; i < 2; ++i) {
            app.dialogs.files.enqueue(localFile(QStringLiteral("t%1.ini").arg(i), contents[i]));
            fill(app, address, names[i]);
            app.trigger(QStringLiteral("笔录上传"));
            QCOMPARE(status(app), kUploaded);
            const QString remote = names[i] + QStringLiteral(".ini");
            expected[gbkServer ? toGb18030(remote) : remote.toUtf8()] = contents[i];
        }
        QCOMPARE(rawFiles(www()), expected);
        QDir().mkpath(app.ctx.paths.blDir());
        for (int i = 0; i < 2; ++i) {
            fill(app, address, names[i]);
            app.trigger(QStringLiteral("笔录下载"));
            QCOMPARE(status(app), kDownloaded);
            QCOMPARE(readFileBytes(app.ctx.paths.blDir() + "/" + names[i] + ".ini"), contents[i]);
        }
    }

    // An account that may store but not rename: a new name is stored directly, a colleague's
    // file stays as it was and the officer is told why. A server that only will not rename
    // onto a file still gets the new one. No hidden part file stays behind.
    void uploadWhereRenamingIsLimited_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("stored");
        QTest::newRow("no rename rights, new name") << "--no-rename" << false << true;
        QTest::newRow("no rename rights, existing name") << "--no-rename" << true << false;
        QTest::newRow("no rename over a file") << "--no-rename-over" << true << true;
    }
    void uploadWhereRenamingIsLimited() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        QFETCH(QString, way);
        QFETCH(bool, existing);
        QFETCH(bool, stored);
        LocalServer limited;
        QVERIFY(startScripted(limited, root_, qPrintable(way)));
        if (existing) writeFileBytes(www(QStringLiteral("A.ini")), "old");
        TestApp app;
        SystemFtpClient ftp(limited.port());
        app.ctx.ftp = &ftp;
        app.dialogs.files.enqueue(localFile(QStringLiteral("t.ini")));
        fill(app, QStringLiteral("127.0.0.1"), QStringLiteral("A"));
        app.trigger(QStringLiteral("笔录上传"));
        QCOMPARE(status(app), stored ? kUploaded : kUploadFailed);
        QCOMPARE(rawFiles(www()),
                 (QMap<QByteArray, QByteArray>{{"A.ini", stored ? kTemplate : "old"}}));
        if (!stored) QVERIFY(app.dialogs.lastText().contains(QStringLiteral("不能在服务器上改名")));
    }

    // A server that sends two bytes a second holds the window only until the officer stops
    // it, or until the bound does; nothing of it reaches BL.
    void tricklingServerLetsGo_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("取消 button") << "button";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("closing the window") << "close";
        QTest::newRow("bound") << "";
    }
    void tricklingServerLetsGo() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        QFETCH(QString, how);
        LocalServer slow;
        QVERIFY(startScripted(slow, root_, "--download-rate 2"));
        writeFileBytes(www(QStringLiteral("A.ini")), QByteArray(400, 'x'));
        TestApp app;
        QVERIFY(app.start());
        // The officer stops the program's own client, the one behind its network module.
        SystemFtpClient bounded(slow.port());
        bounded.setTimeLimit(1500);
        const std::unique_ptr<FtpClient> own = makeFtpClient(slow.port());
        app.ctx.ftp = how.isEmpty() ? &bounded : own.get();
        QDir().mkpath(app.ctx.paths.blDir());
        fill(app, QStringLiteral("127.0.0.1"), QStringLiteral("A"));
        QTimer::singleShot(800, app.window.get(), [&] {
            if (how == "button") test::click(app.find<QWidget>(QStringLiteral("状态条1.取消")));
            if (how == "escape") test::key(Qt::Key_Escape);
            if (how == "close")
                QCoreApplication::postEvent(app.window->windowHandle(), new QCloseEvent);
        });
        QElapsedTimer took;
        took.start();
        app.trigger(QStringLiteral("笔录下载"));
        QVERIFY2(took.elapsed() < 5000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(status(app), how.isEmpty() ? kDownloadFailed : QStringLiteral("笔录下载已取消."));
        QVERIFY(entries(app.ctx.paths.blDir()).isEmpty());
        if (how.isEmpty()) QVERIFY(app.dialogs.lastText().contains(QStringLiteral("1.5 秒内")));
        if (how == "close") {
            QCOMPARE(app.dialogs.shown.front().buttons, Buttons::YesNo);
            QTRY_VERIFY(!app.window->isVisible());
        }
    }

    // The server ends in the middle of an upload: the colleague's file is as it was. The
    // window goes on meanwhile (the server is ended from its timer).
    void interruptedUploadKeepsRemoteFile() {
        HB_REQUIRE(haveServer_, "python3-pyftpdlib is missing");
        LocalServer slow;
        QVERIFY(startScripted(slow, root_, "--upload-rate 65536"));
        writeFileBytes(www(QStringLiteral("A.ini")), kTemplate);
        TestApp app;
        SystemFtpClient ftp(slow.port());
        app.ctx.ftp = &ftp;
        app.dialogs.files.enqueue(localFile(QStringLiteral("big.ini"), QByteArray(1 << 20, 'x')));
        fill(app, QStringLiteral("127.0.0.1"), QStringLiteral("A"));
        QTimer::singleShot(1000, app.window.get(), [&slow] { slow.stop(); });
        app.trigger(QStringLiteral("笔录上传"));
        QCOMPARE(status(app), kUploadFailed);
        QCOMPARE(readFileBytes(www(QStringLiteral("A.ini"))), kTemplate);
    }

    void cleanupTestCase() { server_.stop(); }
};

QTEST_MAIN(ExchangeTest)
#include "test_exchange.moc"
