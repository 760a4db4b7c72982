// hb_install_files DIR: what is installed beside the program, made by the program's own code
// so that it cannot drift from it: the default program-directory files as they are written
// out (GBK, CR LF) and the icon at the sizes of the desktop's icon theme.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "platform/files.h"
#include "resources/resources.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: hb_install_files DIR\n", stderr);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = QDir().mkpath(dir + QStringLiteral("/defaults"));
    for (const QString& name : hb::defaultFileNames())
        ok = hb::writeFileBytes(dir + QStringLiteral("/defaults/") + name,
                                hb::defaultFileBytes(name)) &&
             ok;
    for (const int size : {HB_ICON_SIZES}) {
        const QString folder = dir + QStringLiteral("/icons/%1x%1/apps").arg(size);
        ok = QDir().mkpath(folder) &&
             hb::badgeImage(size).save(folder + QStringLiteral("/hengbi.png")) && ok;
    }
    if (!ok) std::fprintf(stderr, "hb_install_files: could not write %s\n", argv[1]);
    return ok ? 0 : 1;
}
