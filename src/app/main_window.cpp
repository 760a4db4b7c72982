#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>
#include <algorithm>
#include <tuple>
#include <utility>

#include "app/record_fields.h"
#include "app/widget_record.h"
#include "platform/background.h"
#include "resources/resources.h"

namespace hb {
namespace {

// A narrow button whose caption runs down in a column, one character a line.
class ColumnButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        p.drawControl(QStyle::CE_PushButton, option);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::ButtonText));
        const QString chars = text().trimmed();
        if (chars.isEmpty()) return;
        // Tight lines when the column is taller than the button.
        const int step = std::min(p.fontMetrics().height(), (height() - 4) / int(chars.size()));
        int y = (height() - step * int(chars.size())) / 2;
        for (const QChar c : chars) {
            p.drawText(QRect(0, y, width(), step), Qt::AlignCenter, QString(c));
            y += step;
        }
    }
};

// The pages' top edge; the panels above it lie over the banner.
constexpr int kPageTop = 59;

// Lines: page, left, width, and the tops of question and answer.
struct LinePlace {
    int page, left, width, qTop, aTop;
};
const LinePlace kLinePlaces[kLineCount] = {
    {0, 72, 400, 300, 331}, {0, 72, 400, 362, 393}, {0, 72, 400, 424, 455}, {1, 69, 388, 57, 89},
    {1, 69, 388, 121, 153}, {1, 69, 388, 185, 217}, {1, 69, 388, 249, 281}, {1, 69, 388, 313, 345},
    {1, 69, 388, 377, 409}, {1, 69, 388, 441, 472}, {2, 86, 388, 58, 89},   {2, 86, 388, 121, 153},
    {2, 86, 388, 185, 217}, {2, 86, 388, 249, 281}, {2, 86, 388, 313, 345}, {2, 86, 388, 377, 409},
    {2, 86, 388, 441, 473}, {3, 69, 388, 57, 89},   {3, 69, 388, 121, 153}, {3, 69, 388, 185, 217},
    {3, 69, 388, 249, 281}, {3, 69, 388, 313, 345}, {3, 69, 388, 377, 409}, {3, 69, 388, 441, 472},
};
// The first line of the third page.
constexpr int kFirstLaterLine = 11;
const char* const kPageNames[4] = {"分组框1", "分组框2", "分组框3", "分组框4"};

struct MenuSpec {
    const char* title;
    std::initializer_list<const char*> items;
};

const MenuSpec kMenus[] = {
    {"文件", {"新建(笔录)", "打开(笔录模板)", "保存(笔录及模板)", "打印(笔录)", "退出"}},
    {"网络功能", {"FTP笔录服务器配置", "笔录上传", "笔录下载"}},
    {"录音笔录", {"打开笔录录音", "关闭笔录录音"}},
    {"法律法规",
     {"劳动监察办案时效", "劳动监察办案程序规则", "最新劳动法", "最新劳动合同法", "社会保险法",
      "就业促进法", "劳动争议调解仲裁法", "禁止使用童工规定", "女职工劳动保护规定",
      "未成年工特殊保护规定", "女职工禁忌劳动范围的规定", "劳动保障监察条例", "劳动合同法实施条例",
      "最低工资标准", "新工伤保险条例全文", "农民工工资支付管理暂行办法", "企业工资支付暂行规定",
      "企业职工患病或非因工负伤医疗期规定", "劳动合同法200问"}},
    {"监察文书",
     {"监察文书大全",
      "实施劳动保障监察委托书",
      "调查检查记录",
      "询问通知书",
      "举报登记表",
      "投诉登记表",
      "不予受理投诉决定书",
      "立案审批表",
      "案件处理报批表",
      "改正决定书",
      "劳动保障行政部门负责人对复杂重大行政处罚集体讨论记录",
      "行政处罚事先告知书",
      "陈述申辩笔录",
      "行政处罚听证告知书",
      "行政处理决定书",
      "行政处罚决定书",
      "送达回执",
      "涉嫌犯罪案件移送书",
      "涉嫌犯罪案件移送审批表",
      "劳动监察案件结案报告",
      "案件延期延期处理审批表",
      "结案审批表",
      "案件处罚报批表",
      "强制执行申请书",
      "行政处罚集体讨论",
      "行政处理事先告知书",
      "案件移送函"}},
    {"两网化管理", {"用人单位基本情况采集", "用人单位花名册信息采集"}},
    {"劳动保障网络(全国)",
     {"吉林省", "辽宁省", "山西省", "河北省", "江苏省", "浙江省", "安徽省",  "福建省",
      "江西省", "山东省", "河南省", "湖北省", "湖南省", "广东省", "海南省",  "四川省",
      "贵州省", "云南省", "陕西省", "甘肃省", "青海省", "台湾省", "黑龙江省"}},
    {"安全设置", {"加密", "解密"}},
    {"工具", {"计算器", "文本文档", "Word文档", "Excel文档", "搜狗拼音下载", "极点五笔下载"}},
    {"更新", {"更新软件"}},
    {"帮助",
     {"市/镇/县/乡/村 劳动保障监察员联系方式", "笔录制作过程", "软件帮助", "官方网站", "联系作者"}},
};

template <class W>
W* make(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(geometry);
    return w;
}

QLabel* label(QWidget* parent, const QString& name, const QRect& r, const QString& text) {
    auto* l = make<QLabel>(parent, name, r);
    l->setText(text);
    return l;
}

QLineEdit* edit(QWidget* parent, const QString& name, const QRect& r, const QString& text = {},
                bool centred = false) {
    auto* e = make<QLineEdit>(parent, name, r);
    keepOnOneLine(e);
    e->setText(text);
    if (centred) e->setAlignment(Qt::AlignCenter);
    return e;
}

QComboBox* combo(QWidget* parent, const QString& name, const QRect& r,
                 const QStringList& items = {}, const QString& shown = {}) {
    auto* c = make<ListField>(parent, name, r);
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setEditText(shown);
    return c;
}

QGroupBox* group(QWidget* parent, const QString& name, const QRect& r, bool visible) {
    auto* g = make<QGroupBox>(parent, name, r);
    g->setVisible(visible);
    return g;
}

QLabel* sectionLabel(QWidget* parent, const QString& name, const QRect& r, const QString& text) {
    QLabel* l = label(parent, name, r, text);
    l->setFont(songFont(16));
    return l;
}

}  // namespace

const QString MainWindow::kDesignTitle =
    QStringLiteral(" 澄屿市人社局 - 劳动保障监察大队专用询问笔录软件   [网络版]");

const QString MainWindow::kCodeOfConduct = QStringLiteral(
    "                          劳动保障监察员准则\r\n"
    "\r\n"
    "\r\n"
    "（一）坚持四项基本原则，拥护改革开放政策，模范遵守国家法律、法规。\r\n"
    "\r\n"
    "（二）依法监察，执法严明，严格执行劳动保障法律、法规、规章和有关政策，及时查处和坚决制止违法行"
    "为。\r\n"
    "\r\n"
    "（三）坚持原则，秉公办事，执行监察公务要出示劳动保障监察证件，说明身份，不准超越执法职权范围，"
    "不准在非公务场合使用监察证件。\r\n"
    "\r\n"
    "（四）遵守纪律，廉洁奉公，不准利用职权谋取私利，不准接受礼品、礼金、证券、信用卡，不准接受宴请"
    "，\r\n"
    "      "
    "不准接受邀请参与高消费活动，不准私自使用被检查单位的车辆，不准在被检查单位报销个人费用。\r\n"
    "\r\n"
    "（五）保守监察秘密，为举报者保密，不准泄露被检查单位的商业秘密。\r\n"
    "\r\n"
    "（六）文明执法，仪容整洁，尊重被检查单位。\r\n"
    "\r\n"
    "（七）热情接待群众，做好法律宣传、咨询服务，积极帮助群众解决实际问题。\r\n"
    "\r\n"
    "（八）办理的劳动保障监察事项与劳动保障监察员本人或者其近亲属有直接利害关系的，应当回避。");

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(kDesignTitle);
    setWindowIcon(appIcon());
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setFixedSize(1019, 572);
    setCentralWidget(client_);
    buildMenus();
    // A fixed bar keeps the client area, and so every control, at one place on the screen.
    menuBar()->setFixedHeight(kMenuBarHeight);
    buildControls();

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("状态条1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusBarHeight);
    statusPart0_ = new QLabel(bar);
    statusPart0_->setObjectName(QStringLiteral("状态条1.0"));
    bar->addWidget(statusPart0_, 1);
    auto* busy = new QLabel(bar);
    busy->setObjectName(QStringLiteral("状态条1.busy"));
    busy->hide();
    bar->addPermanentWidget(busy);
    auto* cancel = new QPushButton(QStringLiteral("取消"), bar);
    cancel->setObjectName(QStringLiteral("状态条1.取消"));
    cancel->setFixedHeight(busy->sizeHint().height() + 2);  // the bar keeps its height
    cancel->setFocusPolicy(Qt::NoFocus);
    cancel->hide();
    bar->addPermanentWidget(cancel);
    setStatusBar(bar);
    setBusyIndicator([busy](const QString& text) {
        busy->setText(text);
        busy->setVisible(!text.isEmpty());
    });
    setBusyCancelButton(cancel);

    clock_ = new QTimer(this);
    clock_->setObjectName(QStringLiteral("时钟2"));
    clock_->setInterval(1000);
    clock_->start();

    record_ = std::make_unique<WidgetRecord>(*this);
    client_->installEventFilter(this);
    whenDrawn([this] {
        completeControls();
        for (ListField* list : client_->findChildren<ListField*>()) list->insertPendingItems();
    });
    move(50, 50);
    setFixedSize(sizeHint());
}

MainWindow::~MainWindow() {
    setBusyIndicator({});
    setBusyCancelButton(nullptr);
}

void MainWindow::buildMenus() {
    // The bar stays in the window, whatever the desktop offers: every control is placed below
    // its fixed height. (Asking the desktop for a global menu also costs a bus round trip.)
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    for (const MenuSpec& m : kMenus) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(m.title));
        menu->setObjectName(QString::fromUtf8(m.title));
        for (const char* item : m.items) {
            QAction* a = menu->addAction(QString::fromUtf8(item));
            a->setObjectName(QString::fromUtf8(item));
        }
    }
    // F10 opens the first menu, as in every desktop program; the captions carry no letters.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); });
}

QAction* MainWindow::action(const QString& caption) const {
    return menuBar()->findChild<QAction*>(caption);
}

QString MainWindow::statusText() const {
    return statusPart0_->text();
}
void MainWindow::setStatusText(const QString& text) {
    statusPart0_->setText(text);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Paint && !drawn_) {
        drawn_ = true;
        client_->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            for (const auto& work : std::exchange(whenDrawn_, {})) work();
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::whenDrawn(std::function<void()> work) {
    if (drawn_)
        QTimer::singleShot(0, this, std::move(work));
    else
        whenDrawn_.push_back(std::move(work));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit closing();
    event->accept();
}

// Tab walks what the officer sees, as it is laid out: the panels over the banner, then the
// left page, the right page (or the notes over it) and the right-edge buttons. A control that
// is hidden, moved off the window or covered by a panel is no stop: what is typed there
// would land unseen.
QList<QWidget*> MainWindow::tabStops() const {
    struct Stop {
        QWidget* widget;
        int band, x, y, made;
    };
    QList<Stop> stops;
    int made = 0;
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain(), ++made) {
        if (!client_->isAncestorOf(w) || w->focusProxy() || !(w->focusPolicy() & Qt::TabFocus) ||
            !w->isVisible() || !w->isEnabled())
            continue;
        QWidget* hit = client_->childAt(w->mapTo(client_, w->rect().center()));
        if (!hit || (hit != w && !w->isAncestorOf(hit))) continue;
        QWidget* panel = w;
        while (panel->parentWidget() != client_) panel = panel->parentWidget();
        stops.append({w, panel->y() < kPageTop ? 0 : 1, panel->x(), panel->y(), made});
    }
    std::sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
        return std::tie(a.band, a.x, a.y, a.made) < std::tie(b.band, b.x, b.y, b.made);
    });
    QList<QWidget*> out;
    for (const Stop& s : stops) out.append(s.widget);
    return out;
}

bool MainWindow::focusNextPrevChild(bool next) {
    const QList<QWidget*> stops = tabStops();
    if (stops.isEmpty()) return false;
    const qsizetype at = stops.indexOf(focusWidget());
    qsizetype to = next ? 0 : stops.size() - 1;
    if (at >= 0) to = (at + (next ? 1 : stops.size() - 1)) % stops.size();
    stops[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void MainWindow::buildLines(int first, int last) {
    for (int k = first; k <= last; ++k) {
        const LinePlace& lp = kLinePlaces[k - 1];
        auto* page = client_->findChild<QGroupBox*>(QString::fromUtf8(kPageNames[lp.page]),
                                                    Qt::FindDirectChildrenOnly);
        const QString shownQuestion = k <= 2 ? QStringLiteral("问：") : QString();
        combo(page, fieldSpec(question(k)).designName, {lp.left, lp.qTop, lp.width, 20}, {"问："},
              shownQuestion);
        const QStringList answers =
            k == 3 ? QStringList{"答：会计", "答：农民工", "答："} : QStringList{"答："};
        combo(page, fieldSpec(answer(k)).designName, {lp.left, lp.aTop, lp.width, 20}, answers,
              QStringLiteral("答："));
    }
}

void MainWindow::completeControls() {
    if (controlsComplete_) return;
    controlsComplete_ = true;
    buildLines(kFirstLaterLine, kLineCount);
    QGroupBox* notes = group(client_, QStringLiteral("分组框6"), {519, 59, 500, 510}, false);
    notes->setAutoFillBackground(true);  // it covers the right-hand page
    sectionLabel(notes, "标签15", {16, 19, 176, 24}, " 案件经过详细备注信息：");
    auto* notesEdit =
        make<QPlainTextEdit>(notes, QStringLiteral("超级编辑框2"), {40, 64, 417, 424});
    notesEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab leaves the notes for the next control, as in the other boxes.
    notesEdit->setTabChangesFocus(true);
    // Below the right-edge buttons, as when made before them.
    notes->stackUnder(findChild<QWidget*>(QStringLiteral("按钮5")));
    record_->controlsCompleted();
}

InquiryRecord& MainWindow::record() {
    return *record_;
}

void MainWindow::buildControls() {
    QWidget* c = client_;
    auto* banner = make<QLabel>(c, QStringLiteral("图片框1"), {-35, 0, 1053, 65});
    banner->setPixmap(bannerPixmap());
    banner->setAlignment(Qt::AlignCenter);

    QGroupBox* pages[4] = {
        group(c, QString::fromUtf8(kPageNames[0]), {1, 59, 517, 510}, true),
        group(c, QString::fromUtf8(kPageNames[1]), {519, 59, 500, 510}, true),
        group(c, QString::fromUtf8(kPageNames[2]), {1, 59, 517, 510}, false),
        group(c, QString::fromUtf8(kPageNames[3]), {519, 59, 500, 510}, false),
    };

    QWidget* p1 = pages[0];
    label(p1, "标签2", {10, 17, 493, 24},
          "笔录起始时间：         年      月      日      时      分   至        时      分");
    const char* timeEdits[] = {"编辑框1", "编辑框2", "编辑框3", "编辑框4",
                               "编辑框5", "编辑框6", "编辑框7"};
    const QRect timeRects[] = {{97, 18, 46, 20},  {164, 18, 28, 20}, {212, 18, 28, 20},
                               {261, 18, 28, 20}, {308, 18, 28, 20}, {398, 18, 28, 20},
                               {446, 18, 28, 20}};
    for (int i = 0; i < 7; ++i) edit(p1, timeEdits[i], timeRects[i], {}, true);
    label(p1, "标签3", {34, 51, 60, 24}, "笔录地点：");
    edit(p1, "编辑框8", {97, 52, 124, 20}, "澄屿市");
    combo(p1, "组合框2", {221, 52, 201, 20});
    label(p1, "标签4", {10, 85, 342, 24},
          "被询问人姓名：               性别：         户籍所在地：");
    edit(p1, "编辑框9", {98, 87, 78, 20});
    combo(p1, "组合框1", {221, 87, 49, 20}, {"男", "女"});
    edit(p1, "编辑框11", {349, 86, 98, 20}, "吉林省澄屿市");
    combo(p1, "组合框52", {447, 86, 59, 20});
    label(p1, "标签5", {10, 118, 240, 24}, "身份证件种类：                证件号码：");
    edit(p1, "编辑框12", {99, 120, 78, 17}, "身份证");
    edit(p1, "编辑框10", {257, 120, 190, 17});
    label(p1, "标签6", {34, 150, 310, 24}, "工作单位：                                  职务：");
    edit(p1, "编辑框14", {98, 154, 188, 17});
    combo(p1, "组合框3", {337, 152, 110, 20},
          {"经理", "项目经理", "老板", "会计", "工人", "力工", "瓦工", "代理人", "农民工", "开发商",
           "其它", ""});
    label(p1, "标签7", {59, 183, 276, 24}, "电话：                          其他联系方式：");
    QLineEdit* phone = edit(p1, "编辑框15", {98, 186, 142, 17});
    phone->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), phone));
    edit(p1, "编辑框16", {336, 185, 170, 17}, "无");
    label(p1, "标签8", {23, 216, 401, 24},
          "询问监察员：                 其他参加人：                 记录人：");
    combo(p1, "组合框53", {99, 218, 90, 20}, {""});
    combo(p1, "组合框54", {273, 218, 90, 20}, {"无", ""});
    combo(p1, "组合框55", {421, 218, 87, 20}, {"无", ""});
    sectionLabel(p1, "标签9", {16, 259, 88, 24}, " 笔录内容1：");

    buildLines(1, kFirstLaterLine - 1);
    sectionLabel(pages[1], "标签11", {13, 19, 88, 24}, " 笔录内容2：");
    sectionLabel(pages[2], "标签12", {16, 19, 88, 24}, " 笔录内容3：");
    sectionLabel(pages[3], "标签13", {13, 19, 88, 24}, " 笔录内容4：");

    // The design overlaps the right edge of the pages with these: made last, they lie on top.
    auto* notesButton = make<ColumnButton>(c, QStringLiteral("按钮5"), {993, 202, 25, 97});
    notesButton->setText(QStringLiteral("案件情由备注"));
    auto* back = make<ColumnButton>(c, QStringLiteral("按钮2"), {993, 299, 25, 82});
    back->setText(QStringLiteral(" 上一步："));
    back->setEnabled(false);
    auto* next = make<ColumnButton>(c, QStringLiteral("按钮1"), {993, 381, 25, 82});
    next->setText(QStringLiteral(" 下一步："));

    // The window's state values: kept in controls that are never on screen.
    const Hidden hiddenValues[] = {Hidden::statusMessage, Hidden::officePath,
                                   Hidden::textFilePath,  Hidden::templatePath,
                                   Hidden::ftpLocalPath,  Hidden::audioFilePath};
    int y = -100;
    for (Hidden h : hiddenValues) {
        auto* e = make<QLineEdit>(c, designName(h), {0, y, 80, 20});
        e->setMaxLength(1 << 20);
        e->hide();
        y -= 25;
    }
}

}  // namespace hb
