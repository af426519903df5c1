#pragma once

#include <cstdint>

// The millisecond tick counter (wraps at 32 bits) and the way to pass time while the
// event loop runs. Tests install a clock they step by hand.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual uint32_t tickCount() = 0;
    // Lets about ms milliseconds pass while window messages are handled.
    virtual void idle(int ms) = 0;
    // Wall-clock time in milliseconds since 1970 UTC, for what is recorded with a date.
    virtual int64_t utcMilliseconds();
};

Clock &gameClock();
inline uint32_t GetTickCount()
{
    return gameClock().tickCount();
}
// nullptr restores the system clock.
void setGameClock(Clock *c);
