#pragma once

class QImage;
class QRect;

// Draws source stretched over to (pixels of target), smoothed as a painter with a smooth
// transform draws it (each pixel from the four nearest pixels in, edges held), writing only
// what lies in clip. On the calling thread alone: the painter hands a large drawing to a pool
// of threads whose start and hand-overs cost more than the work on a small machine. source is
// opaque (24 or 32 bits); target is 32-bit.
void smoothEnlargeInto(QImage &target, const QRect &to, const QImage &source, const QRect &clip);
