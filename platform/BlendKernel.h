#pragma once

#include <cstddef>
#include <cstdint>

// The blend of the scene, byte by byte: every byte whose source differs from the key byte at
// the same place of the pixel becomes (source * percent + destination * (100 - percent)) / 100,
// truncated; a byte equal to its key byte is left alone. keyPattern holds one pixel's key
// bytes; period is the pixel's size, 3 for 24-bit rows or 4 for 32-bit pixels. Percent runs
// from 0 to 100; above it the result is clamped to a byte.
void blendKeyedBytes(uint8_t *dst, const uint8_t *src, size_t bytes, const uint8_t *keyPattern,
                     int period, int percent);
