#pragma once

#include "platform/DataFolders.h"

#include <cstdint>
#include <memory>
#include <vector>

class SoundPlayer;
class SoundService;

// One row of the cue table: who, which action, and the wave file in Sound/.
struct rSoundRow
{
    uint8_t Character;
    uint8_t Action;
    const char *File;
};

extern const rSoundRow SoundTable[7];

// One opened cue; Player is null when its file could not be opened.
struct rSoundCue
{
    uint8_t Character = 0;
    uint8_t Action = 0;
    std::unique_ptr<SoundPlayer> Player;
    ~rSoundCue();
};

// The characters' sound cues, opened once and afterwards only restarted.
class TSound
{
public:
    // The cues are opened from the game's Sound/ through service.
    TSound(SoundService &service, DataFolders folders);
    ~TSound();
    TSound(const TSound &) = delete;
    TSound &operator=(const TSound &) = delete;

    // Restarts from the beginning every opened cue of that character and action; cues of
    // other pairs play on, so reactions overlap.
    void Play(uint8_t character, uint8_t action);
    // No opened cue is sounding.
    bool IsIdle() const;

    std::vector<std::unique_ptr<rSoundCue>> Cues;

private:
    void LoadSounds();
    void FreeSounds();
    SoundService &m_service;
    DataFolders m_folders;
};
