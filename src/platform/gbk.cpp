#include "platform/gbk.h"

#include "platform/gbk_codec.h"

namespace hb {
namespace {

bool isLead(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x81 && u != 0xFF;
}

// Four-byte GB18030 sequences have a digit in second place; GBK pairs never do.
qsizetype sequenceLength(const QByteArray& bytes, qsizetype i) {
    if (!isLead(bytes[i])) return 1;
    if (i + 1 < bytes.size() && bytes[i + 1] >= '0' && bytes[i + 1] <= '9') return 4;
    return 2;
}

// ASCII is itself in GBK and GB18030, and most keys and many values are ASCII.
bool isAscii(QStringView text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

bool isAscii(QByteArrayView bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

QByteArray toGbk(const QString& text) {
    if (isAscii(text)) return text.toLatin1();
    return codec::encodeGbk(text, nullptr);
}

QByteArray toGb18030(const QString& text) {
    if (isGbkEncodable(text)) return toGbk(text);
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, n);
        out += isGbkEncodable(c) ? toGbk(c) : codec::encodeGb18030(c);
        i += n;
    }
    return out;
}

QString fromGbk(const QByteArray& bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    QByteArray text = nul < 0 ? bytes : bytes.left(nul);
    if (isAscii(text)) return QString::fromLatin1(text);
    // GB18030 has no single byte 0x80; code page 936 writes the euro sign so.
    for (qsizetype i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) != 0x80) {
            i += sequenceLength(text, i);
            continue;
        }
        text.replace(i, 1, "\xA2\xE3");
        i += 2;
    }
    return codec::decodeGb18030(text);
}

bool isGbkEncodable(const QString& text) {
    if (isAscii(text)) return true;
    bool lossless = true;
    const QByteArray bytes = codec::encodeGbk(text, &lossless);
    return lossless && codec::decodeGbk(bytes) == text;
}

QByteArray cutGbk(const QByteArray& bytes, qsizetype maxBytes) {
    if (bytes.size() <= maxBytes) return bytes;
    qsizetype i = 0;
    while (i < maxBytes) {
        const qsizetype width = sequenceLength(bytes, i);
        if (i + width > maxBytes) break;
        i += width;
    }
    return bytes.left(i);
}

QByteArray toGbkLines(const QString& text) {
    QString crlf = text;
    crlf.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return toGbk(crlf);
}

}  // namespace hb
