#include "platform/SmoothEnlarge.h"

#include <QImage>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// out = above and below mixed, weight parts of 256 of below, opaque.
void mixRows(uint32_t *out, const uint32_t *above, const uint32_t *below, uint32_t weight,
             size_t count)
{
    size_t x = 0;
#if defined(__SSE2__)
    // Four pixels at a time, each channel in 16 bits.
    const __m128i keep = _mm_set1_epi16(short(256 - weight));
    const __m128i share = _mm_set1_epi16(short(weight));
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = _mm_set1_epi32(int(0xFF000000u));
    for (; x + 4 <= count; x += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(above + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(below + x));
        auto half = [&](__m128i ah, __m128i bh) {
            return _mm_srli_epi16(
                _mm_add_epi16(_mm_mullo_epi16(ah, keep), _mm_mullo_epi16(bh, share)), 8);
        };
        const __m128i lo = half(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
        const __m128i hi = half(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x),
                         _mm_or_si128(_mm_packus_epi16(lo, hi), alpha));
    }
#endif
    for (; x < count; ++x)
        out[x] = 0xFF000000u | mix(above[x], below[x], weight);
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
    std::vector<Tap> across(size_t(area.width()));
    for (int x = 0; x < area.width(); ++x)
        across[size_t(x)] = tap(area.left() - to.left() + x, to.width(), in.width());
    // Each row in is stretched across once, into one of two rows kept by the row they come
    // from; a row out mixes the two, the same weight all along it.
    const size_t width = across.size();
    const int first = across.front().before, last = across.back().after;
    std::vector<uint32_t> stretched[2] = {std::vector<uint32_t>(width),
                                          std::vector<uint32_t>(width)};
    // A 24-bit row's columns the area reads, made 32-bit.
    std::vector<uint32_t> wide(packed ? size_t(last - first + 1) : 0);
    int from[2] = {-1, -1};
    auto stretchedRow = [&](int y, int keep) -> const uint32_t * {
        for (int i = 0; i < 2; ++i)
            if (from[i] == y) return stretched[i].data();
        const int i = from[0] == keep ? 1 : 0;
        from[i] = y;
        const uint32_t *row = wide.data();
        if (!packed) {
            row = reinterpret_cast<const uint32_t *>(in.constScanLine(y)) + first;
        } else {
            const uchar *p = in.constScanLine(y) + 3 * first;
            for (uint32_t &c : wide) {
                c = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
                p += 3;
            }
        }
        uint32_t *out = stretched[i].data();
        for (const Tap &t : across)
            *out++ = mix(row[t.before - first], row[t.after - first], t.weight);
        return stretched[i].data();
    };
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const Tap down = tap(y - to.top(), to.height(), in.height());
        const uint32_t *above = stretchedRow(down.before, -1);
        const uint32_t *below = stretchedRow(down.after, down.before);
        mixRows(reinterpret_cast<uint32_t *>(target.scanLine(y)) + area.left(), above, below,
                down.weight, width);
    }
}
