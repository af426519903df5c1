#pragma once

#include "SilentSound.h"
#include "TestSupport.h"
#include "game/Session.h"

#include <functional>
#include <vector>

class TMainForm;

// What a game under test is given: a temporary data folder, a stepped clock, a reporter that
// records, and sound that plays nothing.
struct TestGame
{
    explicit TestGame(bool withShippedData = true) : data(withShippedData) {}
    GameServices services() { return GameServices{data.folders(), clock, sound, reporter}; }

    TempDataDir data;
    FakeClock clock;
    CapturingReporter reporter;
    SilentSoundService sound;
};

// Passes game time on a stepped clock without sleeping: the game's timers fire as they fall
// due (the 50 ms countdown, the 100 ms scene tick, the 5 s think cue, the 1 s clock line and
// the single shot of an answer's course), and none of them runs on its own.
class GameDriver
{
public:
    // A shown window's timers, which are stopped and fired from here on.
    GameDriver(FakeClock &clock, TMainForm &form);
    // A session's, as its window would fire them.
    GameDriver(FakeClock &clock, Session &session);

    void pass(int ms);
    // Passes time in 50 ms steps while busy() holds, for at most limitMs; false when it
    // still holds then.
    bool passWhile(const std::function<bool()> &busy, int limitMs = 10000);
    // The session's answer, with its course then followed as the window follows it.
    AnswerOutcome submit(int32_t value);
    // The course asks for its next part ms from now (none when negative).
    void follow(int32_t ms);

    // Runs after each timer that fired.
    std::function<void()> afterEach;

private:
    struct Timer
    {
        uint32_t Interval = 0;
        uint32_t Due = 0;
        std::function<void()> Fire;
    };
    void addTimer(uint32_t interval, std::function<void()> fire);
    // The window's single shot, taken over once the window has started it.
    void takeWindowShot();

    FakeClock &m_clock;
    Session *m_session = nullptr;
    TMainForm *m_form = nullptr;
    std::vector<Timer> m_timers;
    bool m_shotArmed = false;
    uint32_t m_shotDue = 0;
    std::function<void()> m_shot;
};
