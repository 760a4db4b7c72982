#pragma once
// The system's converters behind gbk.h: Qt's (ICU) on Linux; code page 936 and GB18030's own
// tables on Windows, where Qt has no GB18030.
#include <QByteArray>
#include <QString>

namespace hb::codec {

// Code page 936; *lossless (when given) is false when a character had no code.
QByteArray encodeGbk(QStringView text, bool* lossless);
QString decodeGbk(QByteArrayView bytes);
QByteArray encodeGb18030(QStringView text);
QString decodeGb18030(QByteArrayView bytes);

}  // namespace hb::codec
