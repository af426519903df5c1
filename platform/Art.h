#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The window's own pictures on a zoomed screen. Each has a drawing at three times its size
// beside it ("name@3x.png"); above ratio 1 that one is smoothed down to the device pixels the
// picture covers, so nothing is enlarged from the small drawing.

// The file to draw from at ratio: the large drawing where there is one and the ratio is above
// 1, else the picture itself.
QString artSource(const QString &file, qreal ratio);
// The picture at exactly its device size for ratio (JPEGs through libjpeg); a null pixmap
// when it cannot be read.
QPixmap artPixmap(const QString &file, qreal ratio);
// A button glyph with its large drawing, for Qt to pick from by device size.
QIcon artIcon(const QString &file);
