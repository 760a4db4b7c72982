#include "library/library.h"
#include "resources/resources.h"

namespace hb {
namespace {

constexpr LegalText kTexts[] = {
    {"法律法规", "劳动监察办案时效", "t.txt"},
    {"法律法规", "劳动监察办案程序规则", "y.txt"},
    {"法律法规", "最新劳动法", "a.txt"},
    {"法律法规", "最新劳动合同法", "b.txt"},
    {"法律法规", "社会保险法", "u.txt"},
    {"法律法规", "就业促进法", "x.txt"},
    {"法律法规", "劳动争议调解仲裁法", "w.txt"},
    {"法律法规", "禁止使用童工规定", "v.txt"},
    {"法律法规", "女职工劳动保护规定", "k.txt"},
    {"法律法规", "未成年工特殊保护规定", "r.txt"},
    {"法律法规", "女职工禁忌劳动范围的规定", "l.txt"},
    {"法律法规", "劳动保障监察条例", "c.txt"},
    {"法律法规", "劳动合同法实施条例", "z.txt"},
    {"法律法规", "最低工资标准", "j.txt"},
    {"法律法规", "新工伤保险条例全文", "q.txt"},
    {"法律法规", "农民工工资支付管理暂行办法", "p.txt"},
    {"法律法规", "企业工资支付暂行规定", "h.txt"},
    {"法律法规", "企业职工患病或非因工负伤医疗期规定", "f.txt"},
    {"法律法规", "劳动合同法200问", "az.txt"},
    {"帮助", "笔录制作过程", "js.txt"},
};

using P = InspectionForm::Program;

// The file numbers do not follow the menu: officers' existing folders rely on these names.
constexpr InspectionForm kForms[] = {
    {"监察文书大全", "ws27.doc", P::WordProcessor},
    {"实施劳动保障监察委托书", "ws1.doc", P::WordProcessor},
    {"调查检查记录", "ws2.doc", P::WordProcessor},
    {"询问通知书", "ws3.doc", P::WordProcessor},
    {"举报登记表", "ws4.doc", P::WordProcessor},
    {"投诉登记表", "ws5.doc", P::WordProcessor},
    {"不予受理投诉决定书", "ws6.doc", P::WordProcessor},
    {"立案审批表", "ws7.doc", P::WordProcessor},
    {"案件处理报批表", "ws8.doc", P::WordProcessor},
    {"改正决定书", "ws9.doc", P::WordProcessor},
    {"劳动保障行政部门负责人对复杂重大行政处罚集体讨论记录", "ws10.doc", P::WordProcessor},
    {"行政处罚事先告知书", "ws11.doc", P::WordProcessor},
    {"陈述申辩笔录", "ws12.doc", P::WordProcessor},
    {"行政处罚听证告知书", "ws13.doc", P::WordProcessor},
    {"行政处理决定书", "ws14.doc", P::WordProcessor},
    {"行政处罚决定书", "ws15.doc", P::WordProcessor},
    {"送达回执", "ws16.doc", P::WordProcessor},
    {"涉嫌犯罪案件移送书", "ws17.doc", P::WordProcessor},
    {"涉嫌犯罪案件移送审批表", "ws25.doc", P::WordProcessor},
    {"劳动监察案件结案报告", "ws20.doc", P::WordProcessor},
    {"案件延期延期处理审批表", "ws19.doc", P::WordProcessor},
    {"结案审批表", "ws18.doc", P::WordProcessor},
    {"案件处罚报批表", "ws21.doc", P::WordProcessor},
    {"强制执行申请书", "ws22.doc", P::WordProcessor},
    {"行政处罚集体讨论", "ws23.doc", P::WordProcessor},
    {"行政处理事先告知书", "ws24.doc", P::WordProcessor},
    {"案件移送函", "ws26.doc", P::WordProcessor},
    {"用人单位基本情况采集", "liangw2.xls", P::Spreadsheet},
    {"用人单位花名册信息采集", "liangw1.xls", P::Spreadsheet},
};

constexpr HelpFile kHelpFiles[] = {
    {"市/镇/县/乡/村 劳动保障监察员联系方式", "市镇县乡村劳动保障监察员联系方式.txt"},
    {"软件帮助", "帮助.txt"},
};

}  // namespace

std::span<const LegalText> legalTexts() {
    return kTexts;
}
std::span<const InspectionForm> inspectionForms() {
    return kForms;
}
std::span<const HelpFile> helpFiles() {
    return kHelpFiles;
}

QByteArray legalTextBytes(const LegalText& text) {
    return shippedTextBytes(QString::fromUtf8(text.fileName));
}

QByteArray inspectionFormBytes(const InspectionForm& form) {
    return shippedFile(QStringLiteral("forms/") + QString::fromUtf8(form.fileName));
}

QString inspectionFormStem(const InspectionForm& form) {
    return QString::fromUtf8(form.fileName).section(QLatin1Char('.'), 0, 0);
}

QByteArray inspectionFormSource(const InspectionForm& form) {
    if (form.program != InspectionForm::Program::WordProcessor) return {};
    return shippedFile(QStringLiteral("forms/src/") + inspectionFormStem(form) +
                       QStringLiteral(".fodt"));
}

}  // namespace hb
