// The animation script and its action lines, then a few ticks of the sprites it made.
#include "FuzzSupport.h"

#include "characters/uAnimation.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/Random.h"

#include <QDir>
#include <QImage>

namespace {
class StepClock : public Clock
{
public:
    uint32_t tickCount() override { return now; }
    uint32_t now = 1;
};

// The shipped sheets are large, and decoding them would be most of every input: the
// script's parsing and the frame stepping run the same on small ones (cells past a sheet's
// edge are clipped).
void shrinkSheets()
{
    QImage small(48, 32, QImage::Format_RGB888);
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            small.setPixelColor(x, y, QColor(x * 5, y * 7, (x + y) % 2 ? 255 : 0));
    const QDir pictures(fuzzDataPath(QStringLiteral("Pictures")));
    for (const QString &sheet : pictures.entryList({QStringLiteral("*.bmp")}, QDir::Files))
        small.save(pictures.filePath(sheet), "BMP");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    static const bool shrunk = (shrinkSheets(), true);
    (void)shrunk;
    static StepClock clock;
    static Random random;
    fuzzWrite(QStringLiteral("Pictures/Animation.txt"), data, size);
    try {
        TAnimation animation(clock, random, fuzzReporter(), fuzzFolders());
        // Steps long enough for a frame change on most ticks, and ticks enough for a reaction
        // of a dozen frames to end and hand back to thinking.
        for (int tick = 0; tick < 16; ++tick) {
            clock.now += 250;
            animation.Animate();
            if (tick == 1) animation.PlayAction(anWoolly, akYes);
            if (tick == 2) animation.PlayAction(anOldSheep, akNo);
            if (tick == 3) animation.PlayAction(data[0] % 5, size % 7);
        }
    } catch (const RuntimeError &) {
    }
    return 0;
}
