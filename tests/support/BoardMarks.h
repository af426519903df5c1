#pragma once

#include "platform/Bitmap.h"

#include <QRect>
#include <QStringList>
#include <vector>

// The pixels a drawing call marks on its bitmap: the ink of a text (in the engines' face),
// the stroke of a line or frame with its pen width, a filled rectangle. Pictures mark
// nothing here: a glyph text records its text beside the picture, and the division bracket
// is checked by its own test.
QRect MarkRect(const DrawOp &op);
// The calls among ops whose marks reach outside area, each as "'text' at (x,y)".
QStringList MarksOutside(const std::vector<DrawOp> &ops, const QRect &area);
