#include "platform/PaintedImage.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

QImage *paintedImage(QPainter &painter)
{
    QPaintDevice *target = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    return target && target->devType() == QInternal::Image ? static_cast<QImage *>(target)
                                                           : nullptr;
}
