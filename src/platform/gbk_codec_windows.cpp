#include <windows.h>

#include "platform/gb18030.h"
#include "platform/gbk_codec.h"

namespace hb::codec {
namespace {

constexpr UINT kCodePage = 936;

QByteArray toCodePage(QStringView text, bool* lossless) {
    if (lossless) *lossless = true;
    if (text.isEmpty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = int(text.size());
    const int size = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0,
                                         nullptr, nullptr);
    QByteArray out(size, Qt::Uninitialized);
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, length, out.data(), size, nullptr,
                        &usedDefault);
    if (lossless) *lossless = !usedDefault;
    return out;
}

void appendFromCodePage(QString& out, QByteArrayView bytes) {
    if (bytes.isEmpty()) return;
    const int length = int(bytes.size());
    const int size = MultiByteToWideChar(kCodePage, 0, bytes.data(), length, nullptr, 0);
    const qsizetype at = out.size();
    out.resize(at + size);
    MultiByteToWideChar(kCodePage, 0, bytes.data(), length,
                        reinterpret_cast<wchar_t*>(out.data() + at), size);
}

bool isTrail(uchar c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

}  // namespace

QByteArray encodeGbk(QStringView text, bool* lossless) {
    return toCodePage(text, lossless);
}

QString decodeGbk(QByteArrayView bytes) {
    QString out;
    appendFromCodePage(out, bytes);
    return out;
}

QByteArray encodeGb18030(QStringView text) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        char32_t cp = text[i].unicode();
        qsizetype n = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
            n = 2;
        }
        const QByteArray beyond = cp < 0x80 ? QByteArray() : gb18030::encodeBeyondCp936(cp);
        out += beyond.isEmpty() ? toCodePage(text.mid(i, n), nullptr) : beyond;
        i += n;
    }
    return out;
}

// Code page 936 decodes runs of one- and two-byte codes; GB18030's own codes break the runs.
QString decodeGb18030(QByteArrayView bytes) {
    QString out;
    qsizetype run = 0;
    auto flush = [&](qsizetype end) { appendFromCodePage(out, bytes.sliced(run, end - run)); };
    auto append = [&](qsizetype at, qsizetype width, char32_t cp) {
        flush(at);
        out += QString::fromUcs4(&cp, 1);
        run = at + width;
    };
    for (qsizetype i = 0; i < bytes.size();) {
        const auto c = uchar(bytes[i]);
        if (c < 0x80) {
            ++i;
        } else if (c == 0x80 || c == 0xFF || i + 1 == bytes.size()) {
            append(i, 1, gb18030::kReplacement);
            ++i;
        } else if (const auto next = uchar(bytes[i + 1]); next >= '0' && next <= '9') {
            const qsizetype width = i + 4 <= bytes.size() ? 4 : bytes.size() - i;
            append(i, width,
                   width == 4 ? gb18030::decodeFourBytes(bytes.data() + i) : gb18030::kReplacement);
            i += width;
        } else if (!isTrail(next)) {
            append(i, 1, gb18030::kReplacement);
            ++i;
        } else {
            if (const char32_t cp = gb18030::twoByteDifference(c, next)) append(i, 2, cp);
            i += 2;
        }
    }
    flush(bytes.size());
    return out;
}

}  // namespace hb::codec
