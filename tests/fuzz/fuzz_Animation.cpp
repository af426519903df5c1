// The animation script and its action lines, then a few ticks of the sprites it made.
#include "FuzzSupport.h"

#include "characters/uAnimation.h"
#include "platform/Clock.h"
#include "platform/Errors.h"

namespace {
class StepClock : public Clock
{
public:
    uint32_t tickCount() override { return now; }
    void idle(int ms) override { now += static_cast<uint32_t>(ms); }
    uint32_t now = 1;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    static StepClock clock;
    setGameClock(&clock);
    fuzzWrite(QStringLiteral("Pictures/Animation.txt"), data, size);
    try {
        TAnimation animation;
        for (int tick = 0; tick < 30; ++tick) {
            clock.now += 100;
            animation.Animate();
            if (tick == 3) animation.PlayAction(anWoolly, akYes);
            if (tick == 5) animation.PlayAction(anOldSheep, akNo);
            if (tick == 7) animation.PlayAction(data[0] % 5, size % 7);
        }
    } catch (const RuntimeError &) {
    }
    return 0;
}
