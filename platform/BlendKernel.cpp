#include "platform/BlendKernel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline uint8_t blendByte(uint8_t s, uint8_t d, int p)
{
    const int v = (s * p + d * (100 - p)) / 100;
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
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
#endif

} // namespace

KeyedBlend::KeyedBlend(const uint8_t *keyPattern, int period, int percent)
    : m_period(period > 0 ? period : 1), m_percent(percent)
{
    for (int i = 0; i < Span; ++i)
        m_keys[i] = keyPattern[i % m_period];
}

void KeyedBlend::apply(uint8_t *dst, const uint8_t *src, size_t bytes) const
{
    const int p = m_percent;
    if (p <= 0) return;
    size_t i = 0;
    // Pixels of 3 and 4 bytes repeat their key within Span; others go byte by byte below.
    const bool tiled = Span % m_period == 0;
#if defined(__SSE2__)
    if (tiled && p <= 100) {
        const __m128i pv = _mm_set1_epi16(static_cast<short>(p));
        const __m128i qv = _mm_set1_epi16(static_cast<short>(100 - p));
        const auto *keys = reinterpret_cast<const __m128i *>(m_keys);
        const __m128i k0 = _mm_load_si128(keys), k1 = _mm_load_si128(keys + 1),
                      k2 = _mm_load_si128(keys + 2);
        for (; i + Span <= bytes; i += Span) {
            auto *dp = reinterpret_cast<__m128i *>(dst + i);
            const auto *sp = reinterpret_cast<const __m128i *>(src + i);
            _mm_storeu_si128(dp, blend16(_mm_loadu_si128(sp), _mm_loadu_si128(dp), k0, pv, qv));
            _mm_storeu_si128(dp + 1,
                             blend16(_mm_loadu_si128(sp + 1), _mm_loadu_si128(dp + 1), k1, pv, qv));
            _mm_storeu_si128(dp + 2,
                             blend16(_mm_loadu_si128(sp + 2), _mm_loadu_si128(dp + 2), k2, pv, qv));
        }
    }
#endif
    if (tiled) {
        // The rest starts at a multiple of Span, so the key table lines up with it.
        for (int j = 0; i < bytes; ++i, j = j + 1 == Span ? 0 : j + 1)
            if (src[i] != m_keys[j]) dst[i] = blendByte(src[i], dst[i], p);
        return;
    }
    for (; i < bytes; ++i)
        if (src[i] != m_keys[i % static_cast<size_t>(m_period)])
            dst[i] = blendByte(src[i], dst[i], p);
}

void blendKeyedBytes(uint8_t *dst, const uint8_t *src, size_t bytes, const uint8_t *keyPattern,
                     int period, int percent)
{
    KeyedBlend(keyPattern, period, percent).apply(dst, src, bytes);
}
