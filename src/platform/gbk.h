#pragma once
// Files stay readable by the Windows edition (code page 936). Shipped files are GBK; what is
// written from typed text is GB18030, which keeps the GBK bytes of every GBK character and
// encodes the rest instead of losing it. Reading accepts GB18030. The UI works in QString.
#include <QByteArray>
#include <QString>

namespace hb {

// Strict GBK, for the files the program ships: a character outside GBK becomes "?".
QByteArray toGbk(const QString& text);
// GBK bytes for every GBK character, GB18030 bytes for the others: nothing is lost.
QByteArray toGb18030(const QString& text);
// Bytes up to the first NUL, decoded as GB18030 (GBK's single byte 0x80 as the euro sign).
QString fromGbk(const QByteArray& bytes);
// True when every character survives a round trip through strict GBK.
bool isGbkEncodable(const QString& text);
// At most maxBytes bytes, never splitting a double-byte or four-byte character.
QByteArray cutGbk(const QByteArray& bytes, qsizetype maxBytes);
// Text with LF line ends to GBK with CR LF line ends.
QByteArray toGbkLines(const QString& text);

}  // namespace hb
