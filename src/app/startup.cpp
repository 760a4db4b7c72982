#include "app/startup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

#include "app/main_window.h"
#include "platform/clock.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/shell.h"
#include "record/phrase_lists.h"
#include "resources/resources.h"
#include "security/password.h"

namespace hb {
namespace {

struct Tooltip {
    const char* control;
    const char* text;
};

const Tooltip kTooltips[] = {
    {"按钮2", "返回笔录第一窗口界面."},
    {"按钮1", "返回笔录第二窗口界面."},
    {"按钮5",
     "对于案件内情及详细情况的备注记录，用于以后读档查询案件前因后果。备注不参与打印，"
     "只保存在对应案件的模板中。"},
    {"按钮录音", "开始进行录音..."},
    {"按钮继续", "继续进行录音..."},
    {"按钮暂停", "暂时停止录音..."},
    {"按钮播放", "播放音频文件..."},
    {"暂停", "停止播放音频文件..."},
    {"编辑框23", "输入要上传或下载的笔录文件的名称，不用输入扩展名..."},
    {"编辑框20", "输入FTP服务器的ip地址，比如 xxx.xxx.xxx.xxx"},
    {"编辑框21", "添写登陆FTP服务器的帐号"},
    {"编辑框22", "添写登陆FTP服务器的密码"},
};

void attachTooltips(MainWindow& window) {
    for (const Tooltip& t : kTooltips)
        if (QWidget* w = window.findChild<QWidget*>(QString::fromUtf8(t.control)))
            w->setToolTip(QString::fromUtf8(t.text));
    if (QWidget* banner = window.findChild<QWidget*>(QStringLiteral("图片框1")))
        banner->setToolTip(MainWindow::kCodeOfConduct);
}

struct PlainLook {
    QString style;
    QPalette palette;
};

// Alt alone highlights the menu bar whatever the look, as in the desktop's other programs:
// not every style asks for it, and Fusion draws a chosen caption only while its menu is open.
class MenuKeysStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_MenuBar_AltKeyNavigation) return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuBarItem && item && (item->state & State_Selected)) {
            QStyleOptionMenuItem chosen(*item);
            chosen.state |= State_Sunken;
            QProxyStyle::drawControl(element, &chosen, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

PlainLook& plainLook() {
    static PlainLook look{QApplication::style()->name(), QApplication::palette()};
    return look;
}

// A Set.ini that is there but cannot be read would give empty lists and records without
// their closing lines: said once, at the first start-up that meets it.
void reportUnreadableSettings(MainWindow& window, AppContext& ctx, const QString& file,
                              const QString& why) {
    static const char* const kReported = "settingsUnreadableReported";
    if (why.isEmpty() || window.property(kReported).toBool()) return;
    window.setProperty(kReported, true);
    ctx.dialogs->message(QStringLiteral("无法读取设置文件 %1：%2。\n笔录的选择列表将是空的，"
                                        "笔录每页也没有结尾的两行。")
                             .arg(QDir::toNativeSeparators(file), why),
                         QStringLiteral("提示："), Buttons::Ok, Icon::Warning);
}

}  // namespace

void applyTheme(const QString& value) {
    plainLook();  // remember the plain look before the first change
    QColor base;
    if (value == QLatin1String("1"))
        base = QColor(123, 158, 189);
    else if (value == QLatin1String("2"))
        base = QColor(164, 185, 127);
    else if (value == QLatin1String("3"))
        base = QColor(198, 197, 215);
    // The style first: setting one may reset the palette. A style already in force stays:
    // a new one polishes every control of the window again.
    const QString style = base.isValid() ? QStringLiteral("Fusion") : plainLook().style;
    const auto* current = dynamic_cast<const MenuKeysStyle*>(QApplication::style());
    if (!current || current->baseStyle()->name().compare(style, Qt::CaseInsensitive) != 0)
        QApplication::setStyle(new MenuKeysStyle(style));
    if (base.isValid()) {
        QPalette palette(base.lighter(135), base.lighter(150));
        palette.setColor(QPalette::Highlight, base.darker(130));
        palette.setColor(QPalette::Base, QColor(255, 255, 255));
        QApplication::setPalette(palette);
    } else if (value == QLatin1String("4")) {
        QApplication::setPalette(plainLook().palette);
    }
}

RulesWindow::RulesWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RulesWindow"));
    setWindowTitle(QString(28, QLatin1Char(' ')) + QStringLiteral("劳动保障监察办案程序规则"));
    setFixedSize(667, 620);
    move(50, 50);
    auto* text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("编辑框1"));
    text->setGeometry(0, 0, 664, 552);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setStyleSheet(QStringLiteral("background-color: rgb(236, 236, 236);"));
    text->setPlainText(rulesBody());
    auto* ok = new QPushButton(QStringLiteral("知 道"), this);
    ok->setObjectName(QStringLiteral("超级按钮1"));
    ok->setGeometry(243, 556, 174, 28);
    ok->setToolTip(QStringLiteral("以上规则我以熟读."));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

bool startUp(MainWindow& window, AppContext& ctx) {
    if (!window.isVisible() && !runStartupGate(ctx, &window)) return false;
    InquiryRecord& record = window.record();
    record.setHidden(Hidden::statusMessage, kVersionText);
    window.setStatusText(kVersionText);
    writeDesktopLauncher(ctx.paths.desktopDir, ctx.executablePath);
    attachTooltips(window);

    // One read of Set.ini serves this pass, however long its phrase lists.
    const QString settingsFile = ctx.paths.settingsFile();
    QString unreadable;
    const IniIndex settings = IniIndex::load(settingsFile, &unreadable);
    reportUnreadableSettings(window, ctx, settingsFile, unreadable);
    const QString title = settings.value(QStringLiteral("biaoti"), QStringLiteral("biaoti1"));
    if (!title.isEmpty()) window.setWindowTitle(QLatin1Char(' ') + title);
    applyTheme(settings.value(QStringLiteral("fengge"), QStringLiteral("fengge")));
    if (settings.value(QStringLiteral("pop"), QStringLiteral("tanchu")) != QLatin1String("0")) {
        RulesWindow rules(&window);
        rules.exec();
    }

    const QDateTime now = ctx.clock->now();
    record.setText(Field::startYear, QString::number(now.date().year()));
    record.setText(Field::startMonth, QString::number(now.date().month()));
    record.setText(Field::startDay, QString::number(now.date().day()));
    record.setText(Field::startHour, QString::number(now.time().hour()));
    record.setText(Field::startMinute, QString::number(now.time().minute()));
    if (auto* sex = window.control<QComboBox>(fieldSpec(Field::sex).designName))
        sex->setCurrentIndex(0);
    fillFromSettings(record, settings);
    return true;
}

void exitHook(AppContext& ctx) {
    const IniIndex settings = IniIndex::load(ctx.paths.settingsFile());
    if (settings.value(QStringLiteral("close"), QStringLiteral("control")) == QLatin1String("on"))
        ctx.shell->openWebAddress(settings.value(QStringLiteral("close"), QStringLiteral("url")));
}

}  // namespace hb
