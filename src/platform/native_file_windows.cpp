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
    const QString native = QDir::toNativeSeparators(path);
    const int fd = ::_wopen(wide(native), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    // The C runtime calls a folder "access denied", which would send the officer after rights.
    const DWORD attributes = fd < 0 ? GetFileAttributesW(wide(native)) : 0;
    if (fd < 0 && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        errno = EISDIR;
    return fd;
}

bool renameOver(const QString& from, const QString& to) {
    if (MoveFileExW(wide(QDir::toNativeSeparators(from)), wide(QDir::toNativeSeparators(to)),
                    MOVEFILE_REPLACE_EXISTING))
        return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
}

}  // namespace hb::native
