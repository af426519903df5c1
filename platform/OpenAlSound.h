#pragma once

#include "platform/SoundService.h"

#include <memory>

class OpenAlOutput;
class QTemporaryFile;

// Plays wave files through OpenAL Soft. Every opened sound shares one output device, which
// mixes in floating point behind a limiter, so overlapping cues never clip. A restarted sound
// fades out over one mixing period instead of snapping off. The device is opened, on a thread
// of its own, when a sound first starts: that sound begins once it is open. It is paused while
// nothing plays. When it goes away the sounds fall silent and count as played out; a start
// three seconds or more after the last try opens it again.
class OpenAlSoundService : public SoundService
{
public:
    OpenAlSoundService();
    ~OpenAlSoundService() override;
    // nullptr when the file is no 16-bit PCM wave.
    std::unique_ptr<SoundPlayer> open(const QString &path, QObject *owner) override;
    void openOutput() override;

private:
    // Points OpenAL at our settings for its output, before it is first used.
    void configure();

    std::weak_ptr<OpenAlOutput> m_output;
    std::unique_ptr<QTemporaryFile> m_config;
};
