#include "platform/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace hb {

QByteArray toGbk(const QString& text) {
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString fromGbk(const QByteArray& bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    QStringDecoder decoder("GBK");
    return decoder.decode(nul < 0 ? bytes : bytes.left(nul));
}

bool isGbkEncodable(const QString& text) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError() && fromGbk(bytes) == text;
}

QByteArray cutGbk(const QByteArray& bytes, qsizetype maxBytes) {
    if (bytes.size() <= maxBytes) return bytes;
    qsizetype i = 0;
    while (i < maxBytes) {
        const bool lead = static_cast<unsigned char>(bytes[i]) >= 0x81 &&
                          static_cast<unsigned char>(bytes[i]) != 0xFF;
        const qsizetype width = lead ? 2 : 1;
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
