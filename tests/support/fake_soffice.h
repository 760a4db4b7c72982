#pragma once
// Stand-ins for soffice and lp: shell scripts that answer as a test tells them.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/files.h"

namespace hb::test {

inline void writeProgram(const QString& path, const QString& script) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFileBytes(path, script.toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

// A program directory whose soffice answers --version and then runs `behaviour`; it leaves
// its arguments and the document it was given beside itself.
inline QString fakeOffice(const QString& dir, const QString& behaviour) {
    writeProgram(dir + "/soffice", QString::fromUtf8(R"sh(#!/bin/sh
here=$(dirname "$0")
if [ "$1" = --version ]; then echo "LibreOffice 7.4.7.2 40(Build:2)"; exit 0; fi
printf '%s\n' "$@" > "$here/args"
echo "TMPDIR=$TMPDIR" >> "$here/args"
for a; do last=$a; done
while [ $# -gt 0 ]; do
  case $1 in --outdir) outdir=$2; shift;; --convert-to) filter=$2; shift;; esac; shift
done
ext=${filter%%:*}
base=$(basename "$last"); base=${base%.*}
cp "$last" "$here/source"
%1
)sh")
                                       .arg(behaviour));
    writeFileBytes(dir + "/swriter", "#!/bin/sh\n");
    return dir;
}

inline const QString kConverts = QStringLiteral("echo \"converted $ext\" > \"$outdir/$base.$ext\"");

}  // namespace hb::test
