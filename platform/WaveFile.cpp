#include "platform/WaveFile.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

namespace {

uint32_t le32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return uint32_t(u[0]) | uint32_t(u[1]) << 8 | uint32_t(u[2]) << 16 | uint32_t(u[3]) << 24;
}

uint16_t le16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return uint16_t(u[0] | u[1] << 8);
}

} // namespace

std::optional<WaveData> parseWave(const QByteArray &bytes)
{
    const char *d = bytes.constData();
    const qsizetype n = bytes.size();
    if (n < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0)
        return std::nullopt;
    WaveData wave;
    bool pcm16 = false;
    for (qsizetype at = 12; at + 8 <= n;) {
        const uint32_t size = le32(d + at + 4);
        const char *body = d + at + 8;
        const qsizetype avail = n - (at + 8);
        if (std::memcmp(d + at, "fmt ", 4) == 0 && size >= 16 && avail >= 16) {
            wave.channels = le16(body + 2);
            wave.rate = int(std::min<uint32_t>(le32(body + 4), 1'000'000));
            pcm16 = le16(body) == 1 && wave.channels >= 1 && wave.rate > 0 && le16(body + 14) == 16;
        } else if (std::memcmp(d + at, "data", 4) == 0) {
            if (!pcm16) return std::nullopt;
            const qsizetype frameBytes = qsizetype(wave.channels) * 2;
            const qsizetype data = std::min<qsizetype>(size, avail) / frameBytes * frameBytes;
            wave.samples.resize(size_t(data / 2));
            for (qsizetype i = 0; i < data / 2; ++i)
                wave.samples[size_t(i)] = int16_t(le16(body + 2 * i));
            return wave;
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return std::nullopt;
}
