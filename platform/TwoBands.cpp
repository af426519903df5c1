#include "platform/TwoBands.h"

#include <QImage>
#include <QRegion>
#include <exception>
#include <thread>

namespace {

// Below this many pixels a second thread costs more than it saves.
constexpr qint64 SplitFrom = 1'000'000;

qint64 pixelCount(const QRegion &area)
{
    qint64 n = 0;
    for (const QRect &r : area)
        n += qint64(r.width()) * r.height();
    return n;
}

QImage band(QImage &pixels, int top, int bottom)
{
    QImage rows(pixels.bits() + qsizetype(top) * pixels.bytesPerLine(), pixels.width(),
                bottom - top, pixels.bytesPerLine(), pixels.format());
    rows.setDevicePixelRatio(pixels.devicePixelRatio());
    return rows;
}

} // namespace

void paintInTwoBands(QImage &pixels, const QRegion &area,
                     const std::function<void(QImage &band, int top, const QRegion &part)> &paint)
{
    const QRegion inside = area & pixels.rect();
    if (pixelCount(inside) < SplitFrom) {
        QImage whole = band(pixels, 0, pixels.height());
        paint(whole, 0, inside);
        return;
    }
    // Halved by pixels to paint, not by rows of the image.
    const QRect bounds = inside.boundingRect();
    const qint64 all = pixelCount(inside);
    int lo = bounds.top(), hi = bounds.bottom() + 1;
    while (lo < hi) {
        const int at = lo + (hi - lo) / 2;
        if (2 * pixelCount(inside & QRect(0, 0, pixels.width(), at)) < all)
            lo = at + 1;
        else
            hi = at;
    }
    const int mid = lo;
    const QRegion upper = inside & QRect(0, 0, pixels.width(), mid);
    const QRegion lower = inside - upper;
    std::exception_ptr failed;
    std::thread second([&] {
        try {
            QImage rows = band(pixels, mid, pixels.height());
            paint(rows, mid, lower);
        } catch (...) {
            failed = std::current_exception();
        }
    });
    try {
        QImage rows = band(pixels, 0, mid);
        paint(rows, 0, upper);
    } catch (...) {
        second.join();
        throw;
    }
    second.join();
    if (failed) std::rethrow_exception(failed);
}
