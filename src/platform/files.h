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

// A name made from record fields or typed by the officer must stay a plain, visible file name
// that Windows accepts too: not empty, no leading ".", none of \ / : * ? " < > | and no control
// character. Returns the reason, naming the character, or empty.
QString unsafeFileNameReason(const QString& name);

}  // namespace hb
