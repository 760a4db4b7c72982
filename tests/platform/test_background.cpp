#include <QPushButton>
#include <QtTest>
#include <thread>

#include "platform/background.h"

using namespace hb;

class TestBackground : public QObject {
    Q_OBJECT
  private slots:
    void windowStaysLiveButTakesNoInput();
};

void TestBackground::windowStaysLiveButTakesNoInput() {
    QPushButton button("保存");
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    int clicks = 0, ticks = 0;
    connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    QTimer clock;
    connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(20);
    QStringList busyTexts;
    setBusyIndicator([&](const QString& t) { busyTexts << t; });
    QTimer::singleShot(100, [&] { QTest::mouseClick(&button, Qt::LeftButton); });

    const bool onWorker = runBusy(QStringLiteral("正在保存…"), [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return QThread::currentThread() != button.thread();
    });

    QVERIFY(onWorker);
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    QCOMPARE(clicks, 0);
    QCOMPARE(busyTexts, QStringList({QStringLiteral("正在保存…"), QString()}));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
    setBusyIndicator({});
}

QTEST_MAIN(TestBackground)
#include "test_background.moc"
