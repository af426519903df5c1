#include "platform/LargeDrawing.h"

#include "platform/PngRows.h"
#include "platform/TextFiles.h"

#include <QBuffer>
#include <QImageReader>

LargeDrawing::LargeDrawing(QString file, QImage picture)
    : m_file(std::move(file)), m_picture(std::move(picture))
{
    if (!m_picture.isNull() && m_picture.width() > 0 && m_picture.height() > 0)
        m_key = m_picture.pixel(0, m_picture.height() - 1) & 0xFFFFFF;
}

QImage LargeDrawing::read() const
{
    QImage whole(m_picture.size() * Scale, QImage::Format_ARGB32);
    const bool ok = readRows([&whole](const QRgb *row, int y) {
        std::copy(row, row + whole.width(), reinterpret_cast<QRgb *>(whole.scanLine(y)));
    });
    if (!ok) return {};
    whole.convertTo(QImage::Format_ARGB32_Premultiplied);
    return whole;
}

bool LargeDrawing::readRows(const std::function<void(const QRgb *, int)> &use) const
{
    if (m_picture.isNull()) return false;
    // A missing file, or anything but a plain file (a folder, a FIFO), is no drawing.
    QByteArray bytes;
    try {
        bytes = readFileBytes(m_file, MediaFileLimit);
    } catch (...) {
        return false;
    }
    const QSize size = m_picture.size() * Scale;
    const QByteArray source = fingerprint(m_picture);
    PngRows png(bytes);
    if (!png.start()) {
        // Not one that can be read row by row (an interlaced file): whole, then.
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "png");
        QImage image = reader.read();
        if (image.size() != size || image.text(QString::fromLatin1(SourceKey)).toLatin1() != source)
            return false;
        image.convertTo(QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y)
            use(reinterpret_cast<const QRgb *>(image.constScanLine(y)), y);
        return true;
    }
    // Size, and mostly the source, are in the header: a drawing of another size, or for
    // other pixels, is not decoded.
    if (png.size() != size) return false;
    const QByteArray inHeader = png.text(SourceKey);
    if (!inHeader.isEmpty() && inHeader != source) return false;
    std::vector<QRgb> row(static_cast<size_t>(size.width()));
    for (int y = 0; y < size.height(); ++y) {
        if (!png.readRow(reinterpret_cast<uchar *>(row.data()))) return false;
        use(row.data(), y);
    }
    return inHeader == source || (png.finish() && png.text(SourceKey) == source);
}
