#include "resources/resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QStandardPaths>
#include <future>

#include "platform/files.h"
#include "platform/gbk.h"

namespace hb {
namespace {

QByteArray resource(const QString& path) {
    QFile f(QStringLiteral(":/hengbi/") + path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void drawBadge(QPainter& p, const QRectF& r) {
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shine(r.center() - QPointF(r.width() / 6, r.height() / 6), r.width() / 1.6);
    shine.setColorAt(0, QColor(255, 236, 150));
    shine.setColorAt(1, QColor(196, 142, 20));
    p.setPen(QPen(QColor(140, 20, 20), r.width() / 16));
    p.setBrush(shine);
    p.drawEllipse(r.adjusted(r.width() / 32, r.height() / 32, -r.width() / 32, -r.height() / 32));
    // A five-pointed star over a shield: the inspection badge.
    const QRectF inner = r.adjusted(r.width() / 5, r.height() / 5, -r.width() / 5, -r.height() / 5);
    QPainterPath shield;
    shield.moveTo(inner.left(), inner.top());
    shield.lineTo(inner.right(), inner.top());
    shield.lineTo(inner.right(), inner.center().y());
    shield.quadTo(inner.right(), inner.bottom(), inner.center().x(), inner.bottom());
    shield.quadTo(inner.left(), inner.bottom(), inner.left(), inner.center().y());
    shield.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(178, 24, 24));
    p.drawPath(shield);
    QPainterPath star;
    const QPointF c = inner.center() - QPointF(0, inner.height() / 14);
    const double outerR = inner.width() / 3.2;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 ? outerR * 0.42 : outerR;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt = c + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        i ? star.lineTo(pt) : star.moveTo(pt);
    }
    star.closeSubpath();
    p.setBrush(QColor(255, 214, 64));
    p.drawPath(star);
}

}  // namespace

namespace {

std::shared_future<QImage>& bannerImage() {
    static std::shared_future<QImage> image;
    return image;
}

}  // namespace

void startLoadingBanner() {
    // A picture: drawing its title would load a bold CJK face at every start for one line.
    if (!bannerImage().valid())
        bannerImage() = std::async(std::launch::async, [] {
                            return QImage(QStringLiteral(":/hengbi/images/banner.png"));
                        }).share();
}

QPixmap bannerPixmap() {
    startLoadingBanner();
    return QPixmap::fromImage(bannerImage().get());
}

QImage badgeImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawBadge(p, QRectF(0, 0, size, size));
    return image;
}

QIcon appIcon() {
    // The application's and the window's: drawn once.
    static const QImage badge = badgeImage(48);
    return QIcon(QPixmap::fromImage(badge));
}

QString shippedText(const QString& fileName) {
    return QString::fromUtf8(resource(QStringLiteral("texts/") + fileName));
}

QByteArray shippedTextBytes(const QString& fileName) {
    return toGbkLines(shippedText(fileName));
}

QString rulesBody() {
    const QString all = shippedText(QStringLiteral("y.txt"));
    const qsizetype start = all.indexOf(QStringLiteral("\n    为进一步"));
    if (start < 0) return {};
    QString body = QStringLiteral("\n\n") + all.mid(start + 1);
    while (body.endsWith(QLatin1Char('\n'))) body.chop(1);
    return body;
}

QByteArray shippedFile(const QString& relativePath) {
    return resource(relativePath);
}

namespace {
const QString kFontAlias = QStringLiteral("30-hengbi-simsun.conf");
}

QString userFontAliasPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/fontconfig/conf.d/") + kFontAlias;
}

bool installFontAlias(QString* error) {
    if (QFileInfo::exists(QStringLiteral("/etc/fonts/conf.d/") + kFontAlias)) return true;
    const QByteArray alias = resource(QStringLiteral("fonts/") + kFontAlias);
    const QString path = userFontAliasPath();
    if (readFileBytes(path) == alias) return true;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error) *error = QStringLiteral("无法创建目录 %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    return writeFileBytes(path, alias, error);
}

QStringList defaultFileNames() {
    return QDir(QStringLiteral(":/hengbi/defaults")).entryList(QDir::Files);
}

QByteArray defaultFileBytes(const QString& fileName) {
    return toGbkLines(QString::fromUtf8(resource(QStringLiteral("defaults/") + fileName)));
}

bool seedProgramDir(const QString& dir, const QString& installedDefaults, QString* error) {
    bool ok = QDir().mkpath(dir);
    if (!ok && error) *error = dir + QStringLiteral("：无法建立文件夹");
    QStringList names = defaultFileNames();
    // Settings and texts only: on Windows the defaults lie beside the program's own files.
    if (!installedDefaults.isEmpty())
        names += QDir(installedDefaults)
                     .entryList({QStringLiteral("*.ini"), QStringLiteral("*.txt")}, QDir::Files);
    names.removeDuplicates();
    for (const QString& name : names) {
        const QString path = dir + QLatin1Char('/') + name;
        if (QFileInfo::exists(path)) continue;
        // The office's IT staff may have adapted the installed copies.
        QFile installed(installedDefaults + QLatin1Char('/') + name);
        const QByteArray bytes = !installedDefaults.isEmpty() && installed.open(QIODevice::ReadOnly)
                                     ? installed.readAll()
                                     : defaultFileBytes(name);
        QString why;
        if (writeFileBytes(path, bytes, &why)) continue;
        if (ok && error) *error = path + QStringLiteral("：") + why;
        ok = false;
    }
    return ok;
}

}  // namespace hb
