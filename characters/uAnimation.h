#pragma once

#include "core/Def.h"
#include "platform/Bitmap.h"
#include "platform/DataFolders.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Clock;
class Random;
class Reporter;

// Character codes and action codes, shared with the sound cues and the main window.
enum : uint8_t { anButterFly = 0, anOldSheep = 1, anWolf = 2, anWoolly = 3 };
enum : uint8_t { akRight = 0, akLeft = 1, akThink = 2, akYes = 3, akNo = 4 };
// A field the script has not (validly) set.
inline constexpr uint8_t anNone = 0xFF;
inline constexpr uint8_t akNone = 0xFF;

struct rFrameAdjust
{
    int32_t Index = 0;
    int32_t DX = 0;
    int32_t DY = 0;
    int32_t ExtraDelay = 0;
};

// One action of a sprite: a row of frames of its sheet.
struct rAction
{
    uint8_t Kind = akNone;
    int32_t Delay = 0;
    int32_t Row = 0;
    int32_t Frames = 0;
    int32_t Frame = 0;
    std::vector<rFrameAdjust> Adjust;

    // The first entry for frame, or null.
    const rFrameAdjust *AdjustFor(int32_t frame) const;
};

// One sprite of the scene. Layer.Picture points at FramePicture, so a sprite never moves.
struct rAnimation
{
    uint8_t Character = anNone;
    QString Pic;
    Bitmap Sheet;
    SceneLayer Layer;
    int32_t CellWidth = 0;
    int32_t CellHeight = 0;
    uint32_t LastTick = 0;
    std::vector<rAction> Actions;
    uint8_t CurAct = akNone;
    Bitmap FramePicture;

    rAnimation() = default;
    rAnimation(const rAnimation &) = delete;
    rAnimation &operator=(const rAnimation &) = delete;

    // The first action of kind CurAct, else the first action.
    size_t ActionIndex() const;
    rAction &Current() { return Actions[ActionIndex()]; }
    // Shows frame of the current action and takes its offsets.
    void ShowFrame(int32_t frame);
};

// The animated characters, read from Pictures/Animation.txt.
class TAnimation
{
public:
    // The script and the sheets are read from the game's Pictures/; a broken one is shown
    // through reporter and costs only its sprite.
    TAnimation(Clock &clock, Random &random, Reporter &reporter, DataFolders folders);
    ~TAnimation();
    TAnimation(const TAnimation &) = delete;
    TAnimation &operator=(const TAnimation &) = delete;

    // Parses lines of a script; the constructor reads Pictures/Animation.txt this way.
    void LoadScript(const QStringList &lines);
    // One scene tick: every sprite whose frame time has run out moves on a frame.
    void Animate();
    void PlayAction(uint8_t character, uint8_t action);

    std::vector<std::unique_ptr<rAnimation>> Sprites;
    // Raised when Woolly is back to thinking after a reaction; cleared by PlayAction.
    bool ReactionDone = true;

    // How long a reaction counts as running when no Woolly reaction is there to end it.
    static constexpr uint32_t StandInReactionMs = 2000;
    // The largest cell side a script may give; the scene itself is 800 x 600.
    static constexpr int32_t MaxCellSide = 2048;

private:
    int32_t ActionEnded(rAnimation &sprite);
    void Flutter(rAnimation &sprite);
    rAnimation *Find(uint8_t character) const;
    void LoadScriptFile();

    // Woolly's end of a reaction counts once Woolly has been asked to react as often as
    // anyone: otherwise it ends the reaction to an earlier answer, and its part in the
    // latest one is still to come.
    bool WoollyCaughtUp() const;
    void ArmStandIn();

    Clock &m_clock;
    Random &m_random;
    Reporter &m_reporter;
    DataFolders m_folders;
    bool m_standInArmed = false;
    uint32_t m_standInStart = 0;
    std::array<uint64_t, 4> m_reactionsAsked{};
};
