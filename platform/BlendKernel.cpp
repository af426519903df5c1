#include "platform/BlendKernel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline void blendScalar(uint8_t *d, const uint8_t *s, size_t n, const uint8_t *key, int period,
                        size_t phase, int p)
{
    const int q = 100 - p;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t k = key[(phase + i) % static_cast<size_t>(period)];
        if (s[i] == k) continue;
        const int v = (s[i] * p + d[i] * q) / 100;
        d[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

#if defined(__SSE2__)
// Sixteen bytes at once. s * p + d * (100 - p) stays below 2^16, and for every such value
// (v * 5243) >> 19 equals v / 100, so the bytes are those of the scalar loop.
inline __m128i blend16(__m128i s, __m128i d, __m128i key, __m128i p, __m128i q)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i magic = _mm_set1_epi16(5243);
    __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), p),
                               _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), q));
    __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), p),
                               _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), q));
    lo = _mm_srli_epi16(_mm_mulhi_epu16(lo, magic), 3);
    hi = _mm_srli_epi16(_mm_mulhi_epu16(hi, magic), 3);
    const __m128i v = _mm_packus_epi16(lo, hi);
    const __m128i keep = _mm_cmpeq_epi8(s, key);
    return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, v));
}

inline __m128i keyVector(const uint8_t *key, int period, int offset)
{
    alignas(16) uint8_t b[16];
    for (int i = 0; i < 16; ++i)
        b[i] = key[(offset + i) % period];
    return _mm_load_si128(reinterpret_cast<const __m128i *>(b));
}
#endif

} // namespace

void blendKeyedBytes(uint8_t *dst, const uint8_t *src, size_t bytes, const uint8_t *keyPattern,
                     int period, int percent)
{
    if (percent <= 0) return;
    size_t i = 0;
#if defined(__SSE2__)
    if (percent <= 100) {
        const __m128i p = _mm_set1_epi16(static_cast<short>(percent));
        const __m128i q = _mm_set1_epi16(static_cast<short>(100 - percent));
        // A step covers a whole number of pixels: 48 bytes of 24-bit pixels, 16 of 32-bit.
        const int vectors = period == 3 ? 3 : 1;
        __m128i keys[3];
        for (int k = 0; k < vectors; ++k)
            keys[k] = keyVector(keyPattern, period, 16 * k);
        const size_t step = 16 * static_cast<size_t>(vectors);
        if (period == 3 || period == 4) {
            for (; i + step <= bytes; i += step) {
                for (int k = 0; k < vectors; ++k) {
                    auto *dp = reinterpret_cast<__m128i *>(dst + i + 16 * k);
                    const auto *sp = reinterpret_cast<const __m128i *>(src + i + 16 * k);
                    _mm_storeu_si128(
                        dp, blend16(_mm_loadu_si128(sp), _mm_loadu_si128(dp), keys[k], p, q));
                }
            }
        }
    }
#endif
    blendScalar(dst + i, src + i, bytes - i, keyPattern, period, i, percent);
}
