#include <QTemporaryDir>
#include <QtTest>

#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/ini.h"

using namespace hb;

class TestIni : public QObject {
    Q_OBJECT
  private slots:
    void reads_data();
    void reads();
    void cutsLongValuesAtAWholeCharacter();
    void missingFileGivesDefault();
    void writerKeepsEveryOtherByte_data();
    void writerKeepsEveryOtherByte();
    void writtenValueReadsBack_data();
    void writtenValueReadsBack();
};

void TestIni::reads_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString d = QStringLiteral("<default>");
    QTest::newRow("plain") << "[set]\nnum1=2026\n"
                           << "set"
                           << "num1"
                           << "2026";
    QTest::newRow("GBK value") << "[set]\nnum9=劳动保障监察大队询问室\n"
                               << "set"
                               << "num9"
                               << "劳动保障监察大队询问室";
    QTest::newRow("names ignore ASCII case") << "[SeT]\nNUM1=x\n"
                                             << "sEt"
                                             << "num1"
                                             << "x";
    QTest::newRow("blanks around names and value") << "  [ set ]  \n  num1  =   a b  \n"
                                                   << "set"
                                                   << "num1"
                                                   << "a b";
    QTest::newRow("one pair of double quotes") << "[s]\nk=\" q \"\n"
                                               << "s"
                                               << "k"
                                               << " q ";
    QTest::newRow("only one pair dropped") << "[s]\nk=\"\"q\"\"\n"
                                           << "s"
                                           << "k"
                                           << "\"q\"";
    QTest::newRow("single quotes") << "[s]\nk='v'\n"
                                   << "s"
                                   << "k"
                                   << "v";
    QTest::newRow("unbalanced quote kept") << "[s]\nk=\"v\n"
                                           << "s"
                                           << "k"
                                           << "\"v";
    QTest::newRow("first key wins") << "[s]\nk=1\nk=2\n"
                                    << "s"
                                    << "k"
                                    << "1";
    QTest::newRow("first section wins") << "[s]\nk=1\n[s]\nk=2\n"
                                        << "s"
                                        << "k"
                                        << "1";
    QTest::newRow("key of another section") << "[a]\nk=1\n[b]\nj=2\n"
                                            << "b"
                                            << "k" << d;
    QTest::newRow("missing section") << "[a]\nk=1\n"
                                     << "z"
                                     << "k" << d;
    QTest::newRow("missing key") << "[a]\nk=1\n"
                                 << "a"
                                 << "j" << d;
    QTest::newRow("empty value is not missing") << "[a]\nk=\n"
                                                << "a"
                                                << "k"
                                                << "";
    QTest::newRow("equals sign inside value") << "[a]\nurl=http://x/?a=b\n"
                                              << "a"
                                              << "url"
                                              << "http://x/?a=b";
    QTest::newRow("CR LF lines") << "[a]\r\nk=v\r\n"
                                 << "a"
                                 << "k"
                                 << "v";
    QTest::newRow("bracket within a line") << "[a]\nk=x [b]\n j=1\n"
                                           << "a"
                                           << "j"
                                           << "1";
    QTest::newRow("no final line break") << "[a]\nk=v"
                                         << "a"
                                         << "k"
                                         << "v";
}

void TestIni::reads() {
    QFETCH(QString, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const IniFile ini(toGbk(file));
    QCOMPARE(ini.value(section, key, QStringLiteral("<default>")), expected);
    // Set.ini's reader keeps the same rules.
    QCOMPARE(IniIndex(toGbk(file)).value(section, key, QStringLiteral("<default>")), expected);
}

void TestIni::cutsLongValuesAtAWholeCharacter() {
    // 10,239 bytes at most; an odd ASCII prefix puts a double-byte character across the cut.
    const QString value = QStringLiteral("a") + QString(6000, QChar(0x4E2D));  // 中
    const IniFile ini(toGbk(QStringLiteral("[s]\nk=") + value + QStringLiteral("\n")));
    const QString read = ini.value(QStringLiteral("s"), QStringLiteral("k"));
    QCOMPARE(toGbk(read).size(), 10239);
    QCOMPARE(read, value.left(1 + 5119));
    const IniFile ascii(QByteArray("[s]\nk=") + QByteArray(20000, 'x'));
    QCOMPARE(ascii.value(QStringLiteral("s"), QStringLiteral("k")).size(), 10239);
}

void TestIni::missingFileGivesDefault() {
    QTemporaryDir dir;
    QCOMPARE(readIniValue(dir.filePath("none.ini"), "s", "k", "d"), QStringLiteral("d"));
}

void TestIni::writerKeepsEveryOtherByte_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    const QByteArray file =
        toGbk("; 说明\r\n[set]\r\nnum1 = 2025\r\nNum2=旧\n\r\n[other]\r\nx=1\r\n");
    QTest::newRow("change one value")
        << file << "set"
        << "num2"
        << "新" << toGbk("; 说明\r\n[set]\r\nnum1 = 2025\r\nNum2=新\n\r\n[other]\r\nx=1\r\n");
    QTest::newRow("new key at the end of its section")
        << file << "SET"
        << "num3"
        << "三"
        << toGbk("; 说明\r\n[set]\r\nnum1 = 2025\r\nNum2=旧\nnum3=三\r\n\r\n[other]\r\nx=1\r\n");
    QTest::newRow("new section at the end of the file")
        << file << "新节"
        << "k"
        << "v"
        << toGbk(
               "; 说明\r\n[set]\r\nnum1 = "
               "2025\r\nNum2=旧\n\r\n[other]\r\nx=1\r\n\r\n[新节]\r\nk=v\r\n");
    QTest::newRow("empty file") << QByteArray() << "set"
                                << "num1"
                                << "1" << QByteArray("[set]\r\nnum1=1\r\n");
    QTest::newRow("no final line break") << QByteArray("[a]\r\nk=1") << "a"
                                         << "j"
                                         << "2" << QByteArray("[a]\r\nk=1\r\nj=2\r\n");
    QTest::newRow("empty value written") << QByteArray("[a]\r\nk=1\r\n") << "a"
                                         << "k"
                                         << "" << QByteArray("[a]\r\nk=\r\n");
}

void TestIni::writerKeepsEveryOtherByte() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    QVERIFY(writeFileBytes(path, before));
    IniFile ini = IniFile::load(path);
    ini.setValue(section, key, value);
    QVERIFY(ini.save(path));
    QCOMPARE(readFileBytes(path), after);
}

void TestIni::writtenValueReadsBack_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("line");  // as written
    QTest::addColumn<QString>("readBack");
    auto row = [](const char* name, const QString& value, const QByteArray& line,
                  const QString& back) { QTest::newRow(name) << value << line << back; };
    row("GBK, as before", "劳动监察", "k=" + toGbk("劳动监察"), "劳动监察");
    row("outside GBK", "王𠮷", "k=\xCD\xF5\x95\x34\xB2\x35", "王𠮷");
    row("blanks at the ends", "  答：是 ", "k=\"" + toGbk("  答：是 ") + "\"", "  答：是 ");
    row("enclosing quotes", "\"引号\"", "k=\"\"" + toGbk("引号") + "\"\"", "\"引号\"");
    row("enclosing single quotes", "'x'", "k=\"'x'\"", "'x'");
    row("a quote at one end only", "\"x", "k=\"x", "\"x");
    row("quotes inside", "a\"b\"c", "k=a\"b\"c", "a\"b\"c");
    row("runs of line breaks", "问：一\r\n\n二\r三", "k=" + toGbk("问：一 二 三"), "问：一 二 三");
    row("a line break at the end", "x\n", "k=\"x \"", "x ");
}

void TestIni::writtenValueReadsBack() {
    QFETCH(QString, value);
    QFETCH(QByteArray, line);
    QFETCH(QString, readBack);
    IniFile ini(QByteArray("[set]\r\nk=old\r\nnext=1\r\n"));
    ini.setValue("set", "k", value);
    QCOMPARE(ini.bytes(), "[set]\r\n" + line + "\r\nnext=1\r\n");
    QCOMPARE(IniFile(ini.bytes()).value("set", "k"), readBack);
}

QTEST_GUILESS_MAIN(TestIni)
#include "test_ini.moc"
