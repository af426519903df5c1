#include "platform/AreaScaler.h"

#include <algorithm>
#include <cmath>

namespace {

// Alpha and green, red and blue, each pair spread to two 32-bit lanes of a word: a lane holds
// a channel times the weights across and down, below 255 * 4096 * 4096 < 2^32.
inline uint64_t alphaGreen(QRgb p)
{
    return (uint64_t(p >> 24) << 32) | ((p >> 8) & 0xFF);
}

inline uint64_t redBlue(QRgb p)
{
    return (uint64_t((p >> 16) & 0xFF) << 32) | (p & 0xFF);
}

inline uint32_t rounded(uint64_t lanes, int lane)
{
    return (uint32_t(lanes >> (32 * lane)) + (1u << 23)) >> 24;
}

} // namespace

AreaScaler::Taps AreaScaler::taps(int in, int out)
{
    Taps t;
    const double step = double(in) / out;
    for (int o = 0; o < out; ++o) {
        const double from = o * step, to = std::min<double>(in, (o + 1) * step);
        const int first = static_cast<int>(std::floor(from));
        const int last = std::min(in - 1, static_cast<int>(std::ceil(to)) - 1);
        t.first.push_back(first);
        t.count.push_back(last - first + 1);
        t.at.push_back(static_cast<int>(t.weight.size()));
        // Rounded as running sums, so they add up to exactly 4096: a flat picture stays flat.
        int given = 0;
        double covered = 0;
        for (int i = first; i <= last; ++i) {
            covered += std::min<double>(i + 1, to) - std::max<double>(i, from);
            const int upTo = static_cast<int>(std::lround(covered / (to - from) * 4096));
            t.weight.push_back(static_cast<uint32_t>(upTo - given));
            given = upTo;
        }
    }
    return t;
}

AreaScaler::AreaScaler(int inWidth, int inHeight, int outWidth, int outHeight, Emit emit)
    : m_outWidth(outWidth), m_outHeight(outHeight), m_across(taps(inWidth, outWidth)),
      m_down(taps(inHeight, outHeight)), m_emit(std::move(emit)),
      m_across64(2 * static_cast<size_t>(outWidth)), m_out(static_cast<size_t>(outWidth))
{
    for (auto &s : m_sum)
        s.assign(2 * static_cast<size_t>(outWidth), 0);
}

void AreaScaler::add(const QRgb *row)
{
    // Across.
    const uint32_t *weights = m_across.weight.data();
    for (int x = 0; x < m_outWidth; ++x) {
        const QRgb *p = row + m_across.first[x];
        const uint32_t *w = weights + m_across.at[x];
        uint64_t ag = 0, rb = 0;
        for (int k = 0; k < m_across.count[x]; ++k) {
            ag += alphaGreen(p[k]) * w[k];
            rb += redBlue(p[k]) * w[k];
        }
        m_across64[2 * x] = ag;
        m_across64[2 * x + 1] = rb;
    }
    // Down: the row counts towards the rows out that cover it, at most two as out is no
    // taller than in.
    const int y = m_row++;
    for (int o = m_next; o < m_outHeight && m_down.first[o] <= y; ++o) {
        if (y > m_down.last(o)) continue;
        const uint64_t w = m_down.weight[m_down.at[o] + (y - m_down.first[o])];
        uint64_t *sum = m_sum[o % 2].data();
        for (size_t i = 0; i < m_across64.size(); ++i)
            sum[i] += m_across64[i] * w;
    }
    while (m_next < m_outHeight && m_down.last(m_next) <= y) {
        uint64_t *sum = m_sum[m_next % 2].data();
        for (int x = 0; x < m_outWidth; ++x) {
            const uint64_t ag = sum[2 * x], rb = sum[2 * x + 1];
            m_out[x] = (rounded(ag, 1) << 24) | (rounded(rb, 1) << 16) | (rounded(ag, 0) << 8) |
                       rounded(rb, 0);
        }
        std::fill(sum, sum + 2 * m_outWidth, 0);
        m_emit(m_out.data(), m_next);
        ++m_next;
    }
}
