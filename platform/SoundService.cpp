#include "platform/SoundService.h"

#include "platform/OpenAlSound.h"
#include "platform/WaveFile.h"

#include <QByteArray>

namespace {

OpenAlSoundService outputService;
SoundService *current = &outputService;

} // namespace

SoundService &soundService()
{
    return *current;
}

void setSoundService(SoundService *service)
{
    current = service ? service : &outputService;
}

int64_t waveLengthMs(const QByteArray &bytes)
{
    const auto wave = parseWave(bytes);
    return wave ? wave->lengthMs() : -1;
}
