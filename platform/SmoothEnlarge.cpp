#include "platform/SmoothEnlarge.h"

#include <QImage>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Where pixel i of count out samples size pixels in: the pixel before, the one after and the
// weight of the one after in 1/256 parts.
struct Tap
{
    int before, after;
    uint32_t weight;
};

Tap tap(int i, int count, int size)
{
    const double at = (i + 0.5) * size / count - 0.5;
    const double floor = std::floor(at);
    const int before = int(floor);
    const auto weight = uint32_t(std::lround((at - floor) * 256));
    if (before < 0) return {0, 0, 0};
    if (before >= size - 1) return {size - 1, size - 1, 0};
    return {before, before + 1, weight};
}

// a and b mixed, weight parts of 256 of b; two channels at a time, 16 bits each.
inline uint32_t mix(uint32_t a, uint32_t b, uint32_t weight)
{
    const uint32_t keep = 256 - weight;
    const uint32_t rb = ((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * weight) >> 8;
    const uint32_t ag = (((a >> 8) & 0xFF00FFu) * keep + ((b >> 8) & 0xFF00FFu) * weight) >> 8;
    return (rb & 0xFF00FFu) | ((ag & 0xFF00FFu) << 8);
}

} // namespace

void smoothEnlargeInto(QImage &target, const QRect &to, const QImage &source, const QRect &clip)
{
    const QRect area = clip & to & target.rect();
    if (area.isEmpty() || source.isNull()) return;
    // 24-bit pictures are read as they are: a copy of a large one would cost more than the
    // few columns each row reads.
    const bool packed = source.format() == QImage::Format_RGB888;
    const QImage in = packed || source.format() == QImage::Format_RGB32 ||
                              source.format() == QImage::Format_ARGB32_Premultiplied
                          ? source
                          : source.convertToFormat(QImage::Format_RGB32);
    if (target.depth() != 32) return;
    auto pixel = [packed](const uchar *row, int x) -> uint32_t {
        if (!packed) return reinterpret_cast<const uint32_t *>(row)[x];
        const uchar *p = row + 3 * x;
        return 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    };

    std::vector<Tap> across(size_t(area.width()));
    for (int x = 0; x < area.width(); ++x)
        across[size_t(x)] = tap(area.left() - to.left() + x, to.width(), in.width());
    const int first = across.front().before, last = across.back().after;
    // The two rows in mixed for the row out, across the columns the area reads.
    std::vector<uint32_t> mixed(size_t(last - first + 1));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const Tap down = tap(y - to.top(), to.height(), in.height());
        const uchar *above = in.constScanLine(down.before);
        const uchar *below = in.constScanLine(down.after);
        for (int x = first; x <= last; ++x)
            mixed[size_t(x - first)] = mix(pixel(above, x), pixel(below, x), down.weight);
        auto *out = reinterpret_cast<uint32_t *>(target.scanLine(y)) + area.left();
        for (const Tap &t : across)
            *out++ = 0xFF000000u |
                     mix(mixed[size_t(t.before - first)], mixed[size_t(t.after - first)], t.weight);
    }
}
