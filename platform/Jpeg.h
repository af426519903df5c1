#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a JPEG held in memory with libjpeg; raises a RuntimeError when it cannot.
QImage decodeJpeg(const QByteArray &data);
