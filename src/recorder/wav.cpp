#include "recorder/wav.h"

#include <QtEndian>

namespace hb {
namespace {

void put16(char* p, quint16 v) {
    qToLittleEndian(v, p);
}
void put32(char* p, quint32 v) {
    qToLittleEndian(v, p);
}
quint16 get16(const char* p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 get32(const char* p) {
    return qFromLittleEndian<quint32>(p);
}

constexpr quint16 kPcm = 1;
constexpr quint16 kFloat = 3;

}  // namespace

QByteArray wavHeader(const AudioFormat& format, qint64 dataBytes) {
    Q_ASSERT(dataBytes >= 0 && dataBytes <= kWavMaxDataBytes);
    QByteArray h(kWavHeaderBytes, '\0');
    char* p = h.data();
    memcpy(p, "RIFF", 4);
    put32(p + 4, static_cast<quint32>(dataBytes + 36));
    memcpy(p + 8, "WAVEfmt ", 8);
    put32(p + 16, 16);
    put16(p + 20, kPcm);
    put16(p + 22, static_cast<quint16>(format.channels));
    put32(p + 24, static_cast<quint32>(format.samplesPerSecond));
    put32(p + 28, static_cast<quint32>(format.bytesPerSecond()));
    put16(p + 32, static_cast<quint16>(format.blockAlign()));
    put16(p + 34, static_cast<quint16>(format.bitsPerSample));
    memcpy(p + 36, "data", 4);
    put32(p + 40, static_cast<quint32>(dataBytes));
    return h;
}

std::optional<WavSound> readWavSound(const QByteArray& file) {
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE") return {};
    std::optional<AudioFormat> format;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const qint64 size = get32(file.constData() + at + 4);
        const qsizetype body = at + 8;
        const qint64 available = qMin<qint64>(size, file.size() - body);
        if (id == "fmt " && available >= 16) {
            const char* f = file.constData() + body;
            const quint16 tag = get16(f);
            AudioFormat a;
            a.channels = get16(f + 2);
            a.samplesPerSecond = static_cast<int>(get32(f + 4));
            a.bitsPerSample = get16(f + 14);
            if (tag == kPcm && a.bitsPerSample == 8)
                a.sample = SampleFormat::Unsigned8;
            else if (tag == kPcm && a.bitsPerSample == 16)
                a.sample = SampleFormat::Signed16;
            else if (tag == kPcm && a.bitsPerSample == 32)
                a.sample = SampleFormat::Signed32;
            else if (tag == kFloat && a.bitsPerSample == 32)
                a.sample = SampleFormat::Float32;
            else
                return {};
            if (a.channels < 1 || a.channels > 8 || a.samplesPerSecond < 1000 ||
                a.samplesPerSecond > 384000)
                return {};
            format = a;
        } else if (id == "data") {
            if (!format) return {};
            // A truncated file plays what it has, in whole frames.
            const qint64 whole = available - available % format->blockAlign();
            if (whole <= 0) return {};
            return WavSound{*format, file.mid(body, whole)};
        }
        at = body + size + (size & 1);
    }
    return {};
}

}  // namespace hb
