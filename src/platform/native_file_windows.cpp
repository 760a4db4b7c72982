#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <QDir>
#include <cerrno>

#include "platform/native_file.h"

namespace hb::native {
namespace {

const wchar_t* wide(const QString& path) {
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

}  // namespace

// Binary mode: the text mode of the C runtime would turn CR LF into LF.
int openForReading(const QString& path) {
    return ::_wopen(wide(QDir::toNativeSeparators(path)), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

bool renameOver(const QString& from, const QString& to) {
    if (MoveFileExW(wide(QDir::toNativeSeparators(from)), wide(QDir::toNativeSeparators(to)),
                    MOVEFILE_REPLACE_EXISTING))
        return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
}

}  // namespace hb::native
