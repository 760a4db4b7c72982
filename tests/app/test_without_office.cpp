// The program itself on a desktop without the office, or without what the kept office loads,
// or with a settings file of long phrase lists: the window starts, compose answers, and each
// command reads Set.ini once.
#include <sys/inotify.h>
#include <unistd.h>

#include <QProcess>
#include <QtTest>

#include "support/fake_soffice.h"
#include "platform/gbk.h"
#include "support/require.h"

using namespace hb;

namespace {

// Opens of a file while it is watched.
class OpenCounter {
  public:
    explicit OpenCounter(const QString& file) : fd_(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(fd_, QFile::encodeName(file).constData(), IN_OPEN);
    }
    ~OpenCounter() { ::close(fd_); }
    int take() {
        int opens = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;
                 p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
                ++opens;
        return opens;
    }

  private:
    int fd_;
};

}  // namespace

class TestWithoutOffice : public QObject {
    Q_OBJECT
  private slots:
    void startsAndComposes_data();
    void startsAndComposes();
};

void TestWithoutOffice::startsAndComposes_data() {
    QTest::addColumn<bool>("hideOffices");  // Debian's and /opt's, in a mount namespace
    QTest::addColumn<bool>("fakeOffice");   // a one-shot office without UNO libraries
    QTest::addColumn<int>("settingsMb");
    QTest::addColumn<QString>("composeError");
    QTest::newRow("no office") << true << false << 0 << "电 脑 没 有 安 装 WORD 办 公 软 件.";
    QTest::newRow("no UNO for the kept office") << true << true << 0 << "";
    QTest::newRow("10 MB Set.ini") << false << true << 10 << "";
}

void TestWithoutOffice::startsAndComposes() {
    QFETCH(bool, hideOffices);
    QFETCH(bool, fakeOffice);
    QFETCH(int, settingsMb);
    QFETCH(QString, composeError);
    const QString unshare = test::programOnPath("unshare");
    HB_REQUIRE(
        !hideOffices || (!unshare.isEmpty() && QProcess::execute(unshare, {"-rm", "true"}) == 0),
        "no private mount namespace (unshare -rm)");
    QTemporaryDir tmp;
    QString settings = "[pop]\ntanchu=0\n";
    // Long phrase lists ahead of what is read, as offices collect them.
    for (int n = 0; settings.size() < settingsMb * 1024 * 1024 / 2; ++n)
        settings += QStringLiteral("[phrases%1]\n").arg(n) +
                    QStringLiteral("k=问：你在该单位从事什么工作？每月工资多少？\n").repeated(200);
    settings += "[fenye]\nhang1=被询问人签名：\nhang2=询问人签名：\n";
    QVERIFY(writeFileBytes(tmp.filePath("Set.ini"), toGbkLines(settings)));
    QVERIFY(writeFileBytes(tmp.filePath("t.ini"),
                           toGbkLines("[set]\nnum1=2026\nnum2=9\nnum3=15\nnum6=10\nnum7=40\n"
                                      "num10=张三\nnum16=某公司\nnum23=问：姓名？\n")));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HENGBI_HOME", tmp.path());
    env.insert("HENGBI_SYSTEM_DIR", tmp.filePath("system"));
    env.insert("HENGBI_REGISTRY_DIR", tmp.filePath("registry"));
    env.insert("XDG_CACHE_HOME", tmp.filePath("cache"));
    env.insert("XDG_CONFIG_HOME", tmp.filePath("config"));
    env.insert("HENGBI_SCREENSHOT", tmp.filePath("shot.png"));
    env.insert("HENGBI_MODULE_DIR", tmp.filePath("no-modules"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("HENGBI_SOFFICE");
    if (fakeOffice)
        env.insert("HENGBI_SOFFICE", test::fakeOffice(tmp.filePath("lo"), test::kConverts));
    const QString hide =
        "for d in /usr/lib/libreoffice /opt/libreoffice*; do [ -d \"$d\" ] && "
        "mount -t tmpfs none \"$d\"; done; exec \"$@\"";
    OpenCounter opens(tmp.filePath("Set.ini"));
    auto run = [&](const QStringList& args, QString* err = nullptr) {
        QProcess p;
        p.setProcessEnvironment(env);
        if (hideOffices)
            p.start(unshare, QStringList{"-rm", "sh", "-c", hide, "sh", HB_HENGBI} + args);
        else
            p.start(HB_HENGBI, args);
        if (!p.waitForFinished(60000)) return -1;
        if (err) *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };

    QCOMPARE(run({"--version"}), 0);
    QCOMPARE(run({}), 0);
    QVERIFY(QFileInfo(tmp.filePath("shot.png")).size() > 0);
    QCOMPARE(opens.take(), 1);
    QString err;
    QCOMPARE(run({"compose", tmp.filePath("t.ini"), "--out", tmp.filePath("r.doc")}, &err),
             composeError.isEmpty() ? 0 : 1);
    QVERIFY2(err.contains(composeError), qPrintable(err));
    QCOMPARE(opens.take(), composeError.isEmpty() ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestWithoutOffice)
#include "test_without_office.moc"
