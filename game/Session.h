#pragma once

#include "core/EngineHost.h"
#include "game/CoinBank.h"
#include "game/Scene.h"
#include "game/uMainClass.h"
#include "platform/DataFolders.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>

class Clock;
class Reporter;
class SoundService;
class TAnimation;
class TSound;

// What a game talks to outside itself. Each game is given its own; nothing of it is global.
struct GameServices
{
    DataFolders Folders;
    Clock &GameClock;
    SoundService &Sound;
    Reporter &Messages;
};

// One character's reaction to an answer.
struct Reaction
{
    uint8_t Character = 0;
    uint8_t Action = 0;
    bool operator==(const Reaction &) const = default;
};

// What one submitted answer did.
struct AnswerOutcome
{
    // False when the answer was not taken: the problem is finished, or the answer before is
    // still running its course.
    bool Taken = false;
    bool Right = false;
    // The answer finished the problem.
    bool Finished = false;
    // Silver paid for the finished problem, and taken for a wrong answer.
    int32_t CoinsPaid = 0;
    int32_t CoinsTaken = 0;
    // Played in this order, 500 ms apart, after the next step (if any) has been asked.
    std::array<Reaction, 3> Reactions{};
};

// One game: the scene, the engines and their controller, the coin bank, the characters and
// their cues, and the rules that tie them together: the road of one answer, the reactions,
// the next problem, the player cycle. It uses no widget; the window hands it each action and
// its timers' ticks, and shows what it holds.
class Session
{
public:
    // The pause between two characters' reactions.
    static constexpr uint32_t ReactionPauseMs = 500;

    // Builds the scene, reads the settings and the coin bank, and makes the engines; a data
    // file that cannot be read is an error and no game is made.
    Session(const GameServices &services, const SceneGeometry &geometry);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // The first problem, the first frame, Woolly thinking, the child playing.
    void Start();

    // Whether an answer would be taken now.
    bool CanAnswer() const;
    // The road of one answer: checked; right, the problem's coins paid when it is finished;
    // wrong, a silver taken from 5 gold on; the bank saved when it changed. Then, once the
    // board has settled, the next step, and the three reactions 500 ms apart, during which
    // no other answer is taken.
    AnswerOutcome Submit(int32_t value);
    // An answer's course is still running.
    bool Busy() const { return m_course.Active; }

    // The 100 ms scene tick: the board, hint and characters composed; a finished problem is
    // replaced by a new one once the reaction to it has ended.
    void Tick();
    // The 50 ms countdown of the engines' slots, then the answer's course as far as it is
    // due. Returns the milliseconds until its next part is due, or -1 when nothing is timed.
    int32_t CountDown(int32_t ms);
    // Runs the answer's course as far as it is due; returns as CountDown does.
    int32_t Advance();
    // Woolly thinks aloud again when nothing else sounds.
    void ThinkCue();

    // The player button: the next player (0, then 2, 3, 4, and round again).
    void NextPlayer();
    int32_t Player() const { return m_game.GetPlayer(); }
    void SetPlayer(int32_t player);
    // The picture of the current player: the child's (boy or girl, by the settings) for
    // players 0 and 1.
    int32_t PlayerPicture() const;
    QString PlayerName() const { return m_bank.NameOf(Player()); }
    int32_t PlayerGold() const { return m_bank.GoldOf(Player()); }
    int32_t PlayerSilver() const { return m_bank.SilverOf(Player()); }
    // Renames a player's account; false when nothing is left of the name.
    bool RenamePlayer(int32_t player, const QString &name);

    // The settings were accepted: they are read again and a new problem starts at once.
    void ApplySettings();
    int32_t SolvedCount() const { return m_solved; }
    bool ProblemFinished() const { return m_game.Engine().IsFinished(); }

    Scene &scene() { return m_scene; }
    const Scene &scene() const { return m_scene; }
    TMainClass &controller() { return m_game; }
    const CoinBank &bank() const { return m_bank; }
    TAnimation &animation() { return *m_animation; }
    TSound &sound() { return *m_sound; }
    EngineHost &host() { return m_host; }
    Clock &clock() const { return m_services.GameClock; }
    const GameServices &services() const { return m_services; }

private:
    static CoinBank LoadedBank(const DataFolders &folders);
    void Present();
    void NewProblem();
    void React(const Reaction &r);

    GameServices m_services;
    EngineHost m_host;
    Scene m_scene;
    CoinBank m_bank;
    TMainClass m_game;
    std::unique_ptr<TAnimation> m_animation;
    std::unique_ptr<TSound> m_sound;
    int32_t m_solved = 0;
    // Problems posed so far: a step waiting for the board ends when another problem comes.
    uint64_t m_posed = 0;

    // The course of the last answer.
    struct Course
    {
        bool Active = false;
        // A right answer's next step, waiting for the board to settle.
        bool StepWaiting = false;
        uint64_t PosedAtStart = 0;
        std::array<Reaction, 3> Reactions{};
        int Next = 0;
        uint32_t NextAt = 0;
    } m_course;
};
