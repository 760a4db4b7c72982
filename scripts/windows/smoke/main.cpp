// Proves the cross-built Qt: a window with Chinese text, and what the Windows edition will
// lean on (the platform plugin, GBK text) printed for the script that runs it.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QStringConverter>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(QStringLiteral("衡笔"));
    auto *layout = new QVBoxLayout(&window);
    auto *label = new QLabel(QStringLiteral("询问笔录 — 衡笔 Windows"));
    QFont font = label->font();
    font.setPointSize(20);
    label->setFont(font);
    layout->addWidget(label);
    window.resize(420, 120);
    window.move(40, 40);
    window.show();

    // A GUI program has no console under Windows: the report goes to a file once the window
    // is up, and the window stays a while longer for the screenshot.
    const QString reportPath = app.arguments().value(1);
    const int reportAfterMs = app.arguments().value(2, QStringLiteral("0")).toInt();
    if (reportAfterMs > 0) {
        QTimer::singleShot(reportAfterMs, &app, [&] {
            QFile report(reportPath);
            if (!report.open(QIODevice::WriteOnly | QIODevice::Text))
                return app.exit(2);
            QStringDecoder gbk("GBK");
            const QByteArray gbkBytes("\xba\xe2\xb1\xca"); // 衡笔
            QTextStream out(&report);
            out << "platform=" << QGuiApplication::platformName() << '\n'
                << "visible=" << window.isVisible() << '\n'
                << "gbk=" << (gbk.isValid() ? QString(gbk.decode(gbkBytes)).toUtf8().toHex()
                                            : QByteArray("unavailable"))
                << '\n';
            QTimer::singleShot(5000, &app, &QApplication::quit);
        });
    }
    return app.exec();
}
