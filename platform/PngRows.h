#pragma once

#include <QByteArray>
#include <QSize>
#include <memory>

// A PNG read row by row, so that a large drawing never needs to be whole in memory: rows come
// as 32-bit pixels in QImage's ARGB32 layout (straight alpha, opaque where the file has
// none). Interlaced files cannot be read this way and are refused.
class PngRows
{
public:
    // bytes must outlive the reader.
    explicit PngRows(const QByteArray &bytes);
    ~PngRows();
    PngRows(const PngRows &) = delete;
    PngRows &operator=(const PngRows &) = delete;

    // Reads the header; false for anything but a readable, non-interlaced PNG.
    bool start();
    QSize size() const { return m_size; }
    // The text stored under key before the pixels (after finish(), after them too).
    QByteArray text(const char *key) const;
    // The next row into row, width() pixels of 4 bytes; false when the file breaks off.
    bool readRow(uchar *row);
    // Reads past the last row: the text stored after the pixels.
    bool finish();

private:
    struct State;
    std::unique_ptr<State> m;
    QSize m_size;
};
