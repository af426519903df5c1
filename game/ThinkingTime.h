#pragma once

#include <cstdint>

// The child's own time on a step: it runs while an answer can be given, and stands while the
// reactions to the last answer run or a dialog covers the game.
class ThinkingTime
{
public:
    enum Hold : uint8_t { Course = 1, Dialog = 2 };

    // A step is asked, or asked again after a wrong answer: counted from zero. What holds the
    // count keeps holding it.
    void restart(uint32_t now);
    void hold(Hold why, bool on, uint32_t now);
    bool running() const { return m_holds == 0; }
    uint32_t elapsed(uint32_t now) const;

private:
    uint32_t m_counted = 0;
    uint32_t m_since = 0;
    uint8_t m_holds = 0;
};
