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

// Opening an ICU converter costs more than decoding a value: one of each per thread, each call
// complete in itself.
QString decodeGbk(QByteArrayView bytes) {
    thread_local QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    return gbk.decode(bytes);
}

QByteArray encodeGb18030(QStringView text) {
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString decodeGb18030(QByteArrayView bytes) {
    thread_local QStringDecoder gb18030("GB18030", QStringConverter::Flag::Stateless);
    return gb18030.decode(bytes);
}

}  // namespace hb::codec
