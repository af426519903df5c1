#pragma once

#include "platform/SoundService.h"

#include <chrono>
#include <memory>

class OpenAlOutput;

// Plays wave files through OpenAL Soft. Every opened sound shares one output device, which
// mixes in floating point behind a limiter, so overlapping cues never clip. A restarted sound
// fades out over one mixing period instead of snapping off. When the device goes away the
// sounds fall silent and count as played out; a later start tries to open a device again.
class OpenAlSoundService : public SoundService
{
public:
    OpenAlSoundService();
    ~OpenAlSoundService() override;
    // nullptr when the file is no 16-bit PCM wave or no output device opens.
    std::unique_ptr<SoundPlayer> open(const QString &path, QObject *owner) override;

private:
    std::weak_ptr<OpenAlOutput> m_output;
    // A machine without audio is asked again only after a pause, not once per file.
    std::chrono::steady_clock::time_point m_lastFailure;
    bool m_failed = false;
};
