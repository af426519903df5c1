#include "platform/Art.h"

#include "platform/Jpeg.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>

namespace {

QString largeVariant(const QString &file)
{
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    QString large = file;
    large.insert(dot < 0 ? large.size() : dot, QStringLiteral("@3x"));
    return large;
}

QImage readArt(const QString &file)
{
    if (!file.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive)) return QImage(file);
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return QImage();
    try {
        return decodeJpeg(f.readAll());
    } catch (...) {
        return QImage();
    }
}

} // namespace

QString artSource(const QString &file, qreal ratio)
{
    if (ratio > 1.0) {
        const QString large = largeVariant(file);
        if (QFile::exists(large)) return large;
    }
    return file;
}

QPixmap artPixmap(const QString &file, qreal ratio)
{
    const QImage small = readArt(file);
    if (small.isNull() || ratio <= 1.0) return QPixmap::fromImage(small);
    const QImage source = readArt(artSource(file, ratio));
    const QSize device = (QSizeF(small.size()) * ratio).toSize();
    QPixmap pixmap =
        QPixmap::fromImage((source.isNull() ? small : source)
                               .scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon artIcon(const QString &file)
{
    QIcon icon(file);
    // On a screen zoomed near 3 times Qt has added the large drawing itself: read once.
    const QString large = largeVariant(file);
    if (icon.availableSizes().size() < 2 && QFile::exists(large)) icon.addFile(large);
    return icon;
}
