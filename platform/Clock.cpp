#include "platform/Clock.h"

#include <QDateTime>
#include <chrono>

int64_t Clock::utcMilliseconds()
{
    return QDateTime::currentMSecsSinceEpoch();
}

uint32_t SystemClock::tickCount()
{
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms);
}
