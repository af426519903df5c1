#include "platform/SoundService.h"

#include "platform/WaveFile.h"

#include <QByteArray>

int64_t waveLengthMs(const QByteArray &bytes)
{
    const auto wave = parseWave(bytes);
    return wave ? wave->lengthMs() : -1;
}
