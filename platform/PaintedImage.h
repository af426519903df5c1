#pragma once

class QImage;
class QPainter;

// The image painter draws on, when it draws on one (a window's own pixels, usually), so that
// what is drawn often can be written straight into it; else null (a grab, a printer).
QImage *paintedImage(QPainter &painter);
