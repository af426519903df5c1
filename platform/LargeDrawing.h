#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QImage>
#include <QRgb>
#include <QString>
#include <QtEndian>
#include <functional>
#include <vector>

// A scene picture or sprite sheet drawn again by our generators at three times its size
// ("Back@3x.png" beside "Back.bmp"), so that a zoomed scene is smoothed down from a large
// drawing rather than enlarged from the small one. It has straight alpha where the small
// picture has its key colour. The small picture stays what counts: the large drawing is used
// only when it is exactly three times its size and was drawn for its pixels.
class LargeDrawing
{
public:
    static constexpr int Scale = 3;
    // The PNG text that names the pixels of the small picture the drawing belongs to.
    static constexpr char SourceKey[] = "Source";

    // Inline, as the generators share them: the large drawing's file beside a picture file,
    // "@3x" and ".png" for its extension; what they write under SourceKey, a hash of the
    // small picture's size and 24-bit pixels, so re-encoding a file does not change it.
    static QString fileFor(const QString &picturePath)
    {
        const qsizetype slash = picturePath.lastIndexOf(QLatin1Char('/'));
        qsizetype dot = picturePath.lastIndexOf(QLatin1Char('.'));
        if (dot <= slash + 1) dot = picturePath.size(); // no extension, or a hidden file's dot
        return picturePath.left(dot) + QStringLiteral("@%1x.png").arg(Scale);
    }
    static QByteArray fingerprint(const QImage &picture)
    {
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
        QCryptographicHash hash(QCryptographicHash::Sha1);
        const quint32 size[2] = {qToLittleEndian(quint32(rgb.width())),
                                 qToLittleEndian(quint32(rgb.height()))};
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(size), sizeof size));
        for (int y = 0; y < rgb.height(); ++y)
            hash.addData(QByteArrayView(reinterpret_cast<const char *>(rgb.constScanLine(y)),
                                        3 * qsizetype(rgb.width())));
        return hash.result().toHex();
    }

    // Nothing is read until asked for: an unzoomed game never reads it. picture is the small
    // one as loaded (shared, not copied).
    LargeDrawing(QString file, QImage picture);

    // The drawing, premultiplied, Scale times the small picture's size; a null image when
    // the file is missing, unreadable, of another size, or drawn for other pixels. Nothing is
    // kept. Safe to call from any thread, as readBands is.
    QImage read() const;
    // The same a row at a time, so that a large drawing is never whole in memory: use gets
    // each row of the drawing in turn, straight ARGB, with its index. False when there is no
    // usable drawing; rows already handed over then count for nothing (a drawing made for
    // other pixels may tell so only at its end).
    bool readRows(const std::function<void(const QRgb *row, int y)> &use) const;
    // The small picture's key colour when it was loaded (its bottom-left pixel).
    QRgb key() const { return m_key; }
    // The small picture's size, which the drawing's cells divide.
    QSize pictureSize() const { return m_picture.size(); }

private:
    const QString m_file;
    const QImage m_picture;
    QRgb m_key = 0;
};
