#pragma once

#include <cstdint>

// The millisecond tick counter (wraps at 32 bits) and the wall clock. Each game is given its
// own; tests give one they step by hand.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual uint32_t tickCount() = 0;
    // Wall-clock time in milliseconds since 1970 UTC, for what is recorded with a date.
    virtual int64_t utcMilliseconds();
};

// The machine's monotonic clock.
class SystemClock : public Clock
{
public:
    uint32_t tickCount() override;
};
