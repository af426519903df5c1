#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class QByteArray;

// The samples of a 16-bit PCM wave file, channels interleaved.
struct WaveData
{
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;

    int64_t frames() const { return channels > 0 ? int64_t(samples.size()) / channels : 0; }
    int64_t lengthMs() const { return rate > 0 ? frames() * 1000 / rate : 0; }
};

// Reads a 16-bit PCM wave file, or nothing when the bytes are not one. A data chunk cut short
// by the end of the file keeps the whole frames that are there.
std::optional<WaveData> parseWave(const QByteArray &bytes);
