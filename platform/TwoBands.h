#pragma once

#include <functional>

class QImage;
class QRegion;

// Paints area of pixels (a 32-bit image) in two bands at once when it is large: the lower
// band on a thread of its own. A fresh window buffer costs most in the first touch of each of
// its pages, and two cores share that out. paint is called once per band with an image of its
// own over the band's rows, the band's first row in pixels, and the part of area in the band
// (in pixels' coordinates); it must write nothing outside that part.
void paintInTwoBands(QImage &pixels, const QRegion &area,
                     const std::function<void(QImage &band, int top, const QRegion &part)> &paint);
