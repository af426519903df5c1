#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

int64_t Clock::utcMilliseconds()
{
    return QDateTime::currentMSecsSinceEpoch();
}

namespace {

class SystemClock : public Clock
{
public:
    uint32_t tickCount() override
    {
        using namespace std::chrono;
        auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        return static_cast<uint32_t>(ms);
    }
    void idle(int ms) override
    {
        if (ms <= 0) {
            QCoreApplication::processEvents();
            return;
        }
        // Sleep in the event loop instead of spinning: timers and input still run.
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

SystemClock systemClock;
Clock *current = &systemClock;

} // namespace

Clock &gameClock()
{
    return *current;
}

void setGameClock(Clock *c)
{
    current = c ? c : &systemClock;
}
