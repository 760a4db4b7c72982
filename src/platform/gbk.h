#pragma once
// Every file of the application is GBK (code page 936); the UI works in QString.
#include <QByteArray>
#include <QString>

namespace hb {

QByteArray toGbk(const QString& text);
// Bytes up to the first NUL, decoded as GBK.
QString fromGbk(const QByteArray& bytes);
// True when every character survives a round trip through GBK.
bool isGbkEncodable(const QString& text);
// At most maxBytes bytes, never splitting a double-byte character.
QByteArray cutGbk(const QByteArray& bytes, qsizetype maxBytes);
// Text with LF line ends to GBK with CR LF line ends.
QByteArray toGbkLines(const QString& text);

}  // namespace hb
