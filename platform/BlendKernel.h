#pragma once

#include <cstddef>
#include <cstdint>

// The blend of the scene, byte by byte: every byte whose source differs from the key byte at
// the same place of the pixel becomes (source * percent + destination * (100 - percent)) / 100,
// truncated; a byte equal to its key byte is left alone. The key pattern holds one pixel's key
// bytes; period is the pixel's size, 3 for 24-bit rows or 4 for 32-bit pixels. Percent runs
// from 0 to 100; above it the result is clamped to a byte.
//
// Made once per picture and applied to each of its spans: the key vectors are not built again
// for every row.
class KeyedBlend
{
public:
    KeyedBlend(const uint8_t *keyPattern, int period, int percent);
    // dst and src start at the beginning of a pixel.
    void apply(uint8_t *dst, const uint8_t *src, size_t bytes) const;

private:
    // The key bytes over a whole number of pixels of either size.
    static constexpr int Span = 48;
    alignas(16) uint8_t m_keys[Span];
    int m_period;
    int m_percent;
};

// One span with a blend made for it alone.
void blendKeyedBytes(uint8_t *dst, const uint8_t *src, size_t bytes, const uint8_t *keyPattern,
                     int period, int percent);
