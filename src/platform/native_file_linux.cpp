#include <fcntl.h>
#include <QFile>
#include <cstdio>

#include "platform/native_file.h"

namespace hb::native {

int openForReading(const QString& path) {
    return ::open(QFile::encodeName(path).constData(),
                  O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

bool renameOver(const QString& from, const QString& to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

}  // namespace hb::native
