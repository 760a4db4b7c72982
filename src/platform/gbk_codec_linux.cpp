#include <QStringDecoder>
#include <QStringEncoder>

#include "platform/gbk_codec.h"

namespace hb::codec {

QByteArray encodeGbk(QStringView text, bool* lossless) {
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(text);
    if (lossless) *lossless = !encoder.hasError();
    return bytes;
}

QString decodeGbk(QByteArrayView bytes) {
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

QByteArray encodeGb18030(QStringView text) {
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString decodeGb18030(QByteArrayView bytes) {
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

}  // namespace hb::codec
