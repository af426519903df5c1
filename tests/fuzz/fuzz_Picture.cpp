// Scene pictures and sheets (BMP), the coin picture (JPEG), and drawing what was loaded.
#include "FuzzSupport.h"

#include "core/Def.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    static Bitmap scene(800, 600);
    fuzzWrite(QStringLiteral("Pictures/Fuzz.bmp"), data, size);
    try {
        Bitmap b = loadBitmapFile(fuzzDataPath(QStringLiteral("Pictures/fuzz.BMP")));
        b.transparent = true;
        scene.draw(-3, 5, b);
        BlendBitmap(scene, b, 7, -2, 60);
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
