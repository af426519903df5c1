#include "platform/LargeDrawing.h"

#include "platform/TextFiles.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <atomic>
#include <thread>

LargeDrawing::LargeDrawing(QString file, QImage picture)
    : m_file(std::move(file)), m_picture(std::move(picture))
{
    if (!m_picture.isNull() && m_picture.width() > 0 && m_picture.height() > 0)
        m_key = m_picture.pixel(0, m_picture.height() - 1) & 0xFFFFFF;
}

const QImage &LargeDrawing::image()
{
    if (m_read) return m_image;
    m_read = true;
    // Moved out: the small picture is not kept beside the drawing.
    const QImage picture = std::move(m_picture);
    if (picture.isNull()) return m_image;
    // A missing file, or anything but a plain file (a folder, a FIFO), is no drawing.
    QByteArray bytes;
    try {
        bytes = readFileBytes(m_file, MediaFileLimit);
    } catch (...) {
        return m_image;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    // Size, and mostly the source, are in the header: a drawing of another size, or for
    // other pixels, is not decoded.
    const QSize size = picture.size() * Scale;
    if (reader.size() != size) return m_image;
    const QString key = QString::fromLatin1(SourceKey);
    const QByteArray source = fingerprint(picture);
    const QByteArray inHeader = reader.text(key).toLatin1();
    const bool sourceInHeader = inHeader == source;
    if (!inHeader.isEmpty() && !sourceInHeader) return m_image;
    QImage image = reader.read();
    if (image.size() != size || (!sourceInHeader && image.text(key).toLatin1() != source))
        return m_image;
    m_image = std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return m_image;
}

void LargeDrawing::readAll(const std::vector<LargeDrawing *> &drawings)
{
    std::vector<LargeDrawing *> unread;
    for (LargeDrawing *d : drawings)
        if (d && !d->m_read && std::find(unread.begin(), unread.end(), d) == unread.end())
            unread.push_back(d);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < unread.size(); i = next++) {
            try {
                unread[i]->image();
            } catch (...) {
                // Taken as none: the picture itself is drawn instead.
            }
        }
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> helpers;
    while (helpers.size() + 1 < std::min(cores, unread.size())) {
        try {
            helpers.emplace_back(work);
        } catch (...) {
            break; // fewer threads, the same work
        }
    }
    work();
    for (std::thread &t : helpers)
        t.join();
}
