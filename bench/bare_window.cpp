// The yardsticks of the start-up bench, linking Qt Widgets (and fontconfig, which Qt links
// too) only: a bare Qt window of the program's size, and with --text the least a window in
// Chinese shows (a menu bar of the program's menu titles and one line of its header, in its
// font). Each reports its first paint and first frame as the program does, and ends.
#include <fontconfig/fontconfig.h>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <future>
#include <memory>

#include "app/first_frame.h"
#include "resources/song_font.h"

int main(int argc, char** argv) {
    const bool text = argc > 1 && QByteArray(argv[1]) == "--text";
    // Fontconfig's start beside the application object's, as the program has it.
    std::future<FcBool> fontconfig;
    if (text) fontconfig = std::async(std::launch::async, FcInit);
    QApplication app(argc, argv);
    if (text) {
        fontconfig.wait();
        QApplication::setFont(hb::songFont(12));
    }
    std::unique_ptr<QWidget> window(text ? new QMainWindow : new QWidget);
    window->resize(1025, 642);
    if (text) {
        auto& w = static_cast<QMainWindow&>(*window);
        for (const char* title :
             {"文件", "网络功能", "录音笔录", "法律法规", "监察文书", "两网化管理",
              "劳动保障网络(全国)", "安全设置", "工具", "更新", "帮助"})
            w.menuBar()->addMenu(QString::fromUtf8(title));
        auto* line = new QLabel(
            QStringLiteral("笔录起始时间：  年  月  日  时  分 至  时  分   笔录地点："), &w);
        line->setGeometry(10, 40, 600, 20);
    }
    hb::reportFirstFrame(window.get());
    window->show();
    return QApplication::exec();
}
