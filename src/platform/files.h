#pragma once
#include <QByteArray>
#include <QString>

namespace hb {

// All bytes of the file; empty when it cannot be read.
QByteArray readFileBytes(const QString& path);
// GBK text of the file up to the first NUL.
QString readFileText(const QString& path);
// Replaces the file only once every byte is on disk; an old file survives a failure.
// On failure, *error (when given) holds the reason.
bool writeFileBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// A name made from record fields or typed by the officer must stay a plain file name:
// no path separator, no ".." and no control character. Returns the reason, or empty.
QString unsafeFileNameReason(const QString& name);

}  // namespace hb
