// Every picture the generator makes, each drawn on a transparent canvas.
#pragma once

#include <QImage>

class QPainter;

namespace art {

// Scene pictures (800x600 scene); positions are where the game draws them.
QImage drawBack();
// The background's sky, hills and meadow over area (scene pixels) around the scene, for
// wider and taller screens: cut into strips beside Back, which it joins without a seam.
QImage drawBackAround(QRect area);
QImage drawBlackBoard();
QImage drawTreeLeft();
QImage drawTreeRight();
QImage drawHint();
QImage drawGrassLeft();
QImage drawGrassRight();

// Window artwork.
QImage drawPlayer(int which);
QImage drawCoins();
QImage drawExitGlyph();
QImage drawSettingsGlyph();
QImage drawAboutGlyph();
QImage drawResultsGlyph();
QImage drawSubmit();
QImage drawErase();
// The program's icon, drawn in a 256x256 box so it can go to any size and to SVG.
QImage drawIcon(int size = 256);
void paintIcon(QPainter &p);
QImage drawArrow(bool right);

} // namespace art
