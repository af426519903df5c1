#include "characters/uSound.h"

#include "characters/uAnimation.h"
#include "core/Def.h"
#include "platform/DataFolders.h"
#include "platform/SoundService.h"

#include <QLatin1String>
#include <exception>
#include <utility>

const rSoundRow SoundTable[7] = {
    {anOldSheep, akYes, "OldSheepYes.wav"}, {anOldSheep, akNo, "OldSheepNo.wav"},
    {anWoolly, akThink, "WoollyThink.wav"}, {anWoolly, akYes, "WoollyYes.wav"},
    {anWoolly, akNo, "WoollyNo.wav"},       {anWolf, akYes, "WolfYes.wav"},
    {anWolf, akNo, "WolfNo.wav"},
};

rSoundCue::~rSoundCue() = default;

TSound::TSound(SoundService &service, DataFolders folders)
    : m_service(service), m_folders(std::move(folders))
{
    LoadSounds();
}

TSound::~TSound()
{
    FreeSounds();
}

void TSound::LoadSounds()
{
    for (const rSoundRow &row : SoundTable) {
        auto cue = std::make_unique<rSoundCue>();
        cue->Character = row.Character;
        cue->Action = row.Action;
        // A cue that cannot be opened stays silent; the game says nothing about it.
        try {
            auto player = m_service.open(
                m_folders.sharedPath(QStringLiteral("Sound/") + QLatin1String(row.File)), nullptr);
            if (player) {
                // A cue never played counts as finished.
                player->seek(player->length());
                cue->Player = std::move(player);
            }
        } catch (const std::exception &) {
            cue->Player.reset();
        }
        Cues.push_back(std::move(cue));
    }
}

void TSound::FreeSounds()
{
    Cues.clear();
}

void TSound::Play(uint8_t character, uint8_t action)
{
    for (auto &cue : Cues) {
        if (!cue->Player || cue->Character != character || cue->Action != action) continue;
        try {
            cue->Player->stop();
            cue->Player->seek(0);
            cue->Player->start();
        } catch (const std::exception &) {
            // Playback trouble never stops the game.
        }
    }
}

bool TSound::IsIdle() const
{
    for (const auto &cue : Cues)
        if (cue->Player && cue->Player->position() != cue->Player->length()) return false;
    return true;
}
