// Scene pictures and sheets (BMP), the coin picture (JPEG), and drawing what was loaded.
#include "FuzzSupport.h"

#include "core/Def.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Jpeg.h"

#include <QImageReader>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    // A few header bytes can declare a picture of hundreds of megabytes, which Qt would
    // allocate and clear for every such input: decoding is tried up to 4 MB here (the game
    // keeps Qt's own 256 MB).
    static const bool limited = (QImageReader::setAllocationLimit(4), true);
    (void)limited;
    // Small, so pictures of a few dozen pixels already reach past every edge.
    static Bitmap scene(64, 48);
    fuzzWrite(QStringLiteral("Pictures/Fuzz.bmp"), data, size);
    try {
        Bitmap b = loadBitmapFile(fuzzDataPath(QStringLiteral("Pictures/fuzz.BMP")));
        b.transparent = true;
        // A few header bytes can declare a picture of millions of pixels, which drawing would
        // scan whole: drawing is tried on the small ones, which cover its clipping as well.
        if (qint64(b.width()) * b.height() <= 128 * 128) {
            scene.draw(-3, 5, b);
            BlendBitmap(scene, b, 7, -2, 60);
        }
    } catch (const RuntimeError &) {
    }
    try {
        const QImage jpeg = decodeJpeg(
            QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
        (void)jpeg.width();
    } catch (const RuntimeError &) {
    }
    return 0;
}
