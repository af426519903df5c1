#pragma once

#include "platform/SoundService.h"

#include <memory>

class PulseOutput;

// Plays wave files through the PulseAudio server: every opened sound is mixed into one stream
// of our own (see CueMixer), fed 35 ms ahead while something sounds and left to run dry when
// nothing does, so a game at rest costs neither the server nor the game's client thread work. The
// server is asked for, in the background, when a sound first starts: that sound begins once
// the stream is there. When the server goes away the sounds fall silent and count as played
// out; a start three seconds or more after the last try asks for it again.
class PulseSoundService : public SoundService
{
public:
    PulseSoundService();
    ~PulseSoundService() override;
    // nullptr when the file is no 16-bit PCM wave.
    std::unique_ptr<SoundPlayer> open(const QString &path, QObject *owner) override;
    void openOutput() override;

private:
    std::weak_ptr<PulseOutput> m_output;
};
