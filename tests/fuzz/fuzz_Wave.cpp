// The header of a wave cue: its chunks, the format and the length of its data.
#include "platform/SoundService.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const int64_t ms = waveLengthMs(bytes);
    // A length is never negative but for "not a wave", and never longer than the data allows
    // at one byte per second.
    if (ms < -1 || ms > int64_t(size) * 1000) __builtin_trap();
    return 0;
}
