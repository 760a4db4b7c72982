#include "extras/links.h"

#include <QUrl>

namespace hb {
namespace {

// Configuration values of this edition. The province items go to the home pages of the
// provincial human-resources and social-security departments.
const char* const kSite = "http://www.hengbi.cn/";
const char* const kDownloadSite = "http://www.skycn.com/";

const std::pair<const char*, const char*> kProvinces[] = {
    {"吉林省", "http://hrss.jl.gov.cn/"},        {"辽宁省", "http://rst.ln.gov.cn/"},
    {"山西省", "http://rst.shanxi.gov.cn/"},     {"河北省", "http://rst.hebei.gov.cn/"},
    {"江苏省", "http://jshrss.jiangsu.gov.cn/"}, {"浙江省", "http://rlsbt.zj.gov.cn/"},
    {"安徽省", "http://hrss.ah.gov.cn/"},        {"福建省", "http://rst.fujian.gov.cn/"},
    {"江西省", "http://rst.jiangxi.gov.cn/"},    {"山东省", "http://hrss.shandong.gov.cn/"},
    {"河南省", "http://hrss.henan.gov.cn/"},     {"湖北省", "http://rst.hubei.gov.cn/"},
    {"湖南省", "http://rst.hunan.gov.cn/"},      {"广东省", "http://hrss.gd.gov.cn/"},
    {"海南省", "http://hrss.hainan.gov.cn/"},    {"四川省", "http://rst.sc.gov.cn/"},
    {"贵州省", "http://rst.guizhou.gov.cn/"},    {"云南省", "http://hrss.yn.gov.cn/"},
    {"陕西省", "http://rst.shaanxi.gov.cn/"},    {"甘肃省", "http://rst.gansu.gov.cn/"},
    {"青海省", "http://rst.qinghai.gov.cn/"},    {"台湾省", "https://www.mol.gov.tw/"},
    {"黑龙江省", "http://hrss.hlj.gov.cn/"},
};

// clang-format off
const char* const kAuthor[] = {
    "衡笔 劳动保障监察询问笔录软件",
    "制作单位：澄屿市人力资源和社会保障局 劳动保障监察大队",
    "作者：衡笔软件开发组",
    "联系电话：0431-00000000",
    "电子邮件：hengbi@hengbi.cn",
    "交流群：QQ群 00000000",
};
// clang-format on

}  // namespace

QString siteAddress() {
    QString site = qEnvironmentVariable("HENGBI_SITE");
    if (site.isEmpty()) site = QString::fromLatin1(kSite);
    if (!site.endsWith(QLatin1Char('/'))) site += QLatin1Char('/');
    return site;
}

QString updateFileAddress() {
    return QUrl(siteAddress()).resolved(QUrl(QStringLiteral("/soft.ini"))).toString();
}

QList<WebLink> webLinks() {
    QList<WebLink> links;
    for (const auto& [caption, address] : kProvinces)
        links.append({QString::fromUtf8(caption), QString::fromLatin1(address)});
    const QString downloads = QString::fromLatin1(kDownloadSite);
    links.append({QStringLiteral("官方网站"), siteAddress()});
    links.append({QStringLiteral("搜狗拼音下载"), downloads + QStringLiteral("soft/27159.html")});
    links.append({QStringLiteral("极点五笔下载"), downloads + QStringLiteral("soft/20835.html")});
    return links;
}

QString linkAddress(const QString& caption) {
    for (const WebLink& link : webLinks())
        if (link.caption == caption) return link.address;
    return {};
}

QString authorInformation() {
    QStringList lines;
    for (const char* line : kAuthor) lines << QString::fromUtf8(line);
    lines << QStringLiteral("网站：") + siteAddress();
    return lines.join(QStringLiteral("\n\n"));
}

}  // namespace hb
