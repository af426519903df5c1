#pragma once

#include <QRgb>
#include <cstdint>
#include <functional>
#include <vector>

// Makes a picture smaller by area, row by row as its rows come in: each pixel out is the mean
// of the pixels in that it covers, weighted by how much of each it covers. Only two rows out
// are summed at a time, so neither the picture in nor the one out need be whole in memory.
// Pixels are premultiplied ARGB, so soft edges mix with nothing behind them.
class AreaScaler
{
public:
    // A row out and its index; the row lives until the call returns.
    using Emit = std::function<void(const QRgb *row, int y)>;
    // out must be no larger than in on either side, and not empty.
    AreaScaler(int inWidth, int inHeight, int outWidth, int outHeight, Emit emit);
    // The next row in, inWidth pixels; each row out is emitted as soon as all rows it covers
    // have come.
    void add(const QRgb *row);

private:
    // Which pixels in a pixel out covers, and how much of each, in 1/4096 parts summing to
    // 4096: pixel i out takes count[i] pixels from first[i], their weights from at[i] on.
    struct Taps
    {
        std::vector<int> first, count, at;
        std::vector<uint32_t> weight;
        int last(int i) const { return first[i] + count[i] - 1; }
    };
    static Taps taps(int in, int out);

    int m_outWidth, m_outHeight;
    Taps m_across, m_down;
    Emit m_emit;
    int m_row = 0;
    int m_next = 0; // the first row out not emitted yet
    // Channels two to a 64-bit word, 32 bits each (alpha with green, red with blue): the row
    // in scaled across, and the two rows out being summed.
    std::vector<uint64_t> m_across64;
    std::vector<uint64_t> m_sum[2];
    std::vector<QRgb> m_out;
};
