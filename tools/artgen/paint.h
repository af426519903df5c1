// Shared palette and drawing helpers for the art generator.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>

namespace art {

// The game keys these two colours out; the art must never contain them.
inline const QColor kKeyMagenta(255, 0, 255);
inline const QColor kKeyGrey(100, 100, 100);

// One palette for the whole scene.
namespace pal {
inline const QColor skyTop(92, 164, 228);
inline const QColor skyLow(196, 230, 248);
inline const QColor sun(255, 222, 96);
inline const QColor sunGlow(255, 246, 196);
inline const QColor cloud(252, 253, 255);
inline const QColor hillFar(146, 200, 150);
inline const QColor hillMid(118, 190, 96);
inline const QColor meadow(126, 200, 78);
inline const QColor meadowLow(96, 176, 62);
inline const QColor leaf(88, 170, 66);
inline const QColor leafDark(60, 138, 58);
inline const QColor grass(98, 182, 62);
inline const QColor grassBack(70, 150, 56);
inline const QColor bark(150, 98, 58);
inline const QColor wood(204, 146, 88);
// Dark slate green: the game's red marks stand out on it at 3 : 1 or better.
inline const QColor board(26, 49, 45);
inline const QColor cream(255, 249, 230);
inline const QColor apple(226, 64, 58);
inline const QColor blossom(255, 182, 200);
inline const QColor petalWhite(255, 255, 250);
inline const QColor petalYellow(255, 214, 56);
inline const QColor petalBlue(120, 150, 240);
inline const QColor petalRed(236, 82, 70);
inline const QColor petalViolet(178, 120, 220);
inline const QColor gold(246, 196, 60);
inline const QColor silver(206, 212, 222);
inline const QColor skin(255, 214, 178);
} // namespace pal

// Outlines are a darker shade of the fill, always this wide.
inline constexpr double kLine = 2.5;

// Small fixed-seed generator so every run draws the same pixels.
class Rng
{
public:
    explicit Rng(std::uint32_t seed) : s_(seed ? seed : 1u) {}
    double next()
    {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return (s_ & 0xffffff) / double(0x1000000);
    }
    double range(double a, double b) { return a + (b - a) * next(); }

private:
    std::uint32_t s_;
};

QColor mix(const QColor &a, const QColor &b, double t);
QColor shade(const QColor &c, double f); // f < 1 darker, f > 1 lighter
QColor lineOf(const QColor &fill);

QImage canvas(int w, int h); // transparent, ready for anti-aliased drawing
// Device pixels per picture pixel of the canvases made from now on: the window art is drawn
// again at three times its size for large screens.
void setCanvasScale(int scale);
void beginPainter(QPainter &p, QImage &img);

// Scene pictures and sprite sheets are drawn again at LargeDrawing::Scale times their size,
// saved beside the small ones as PNG, for the game to smooth down to zoomed screens.
// The large drawing of keyed art: straight alpha where the small one has its key, and no
// visible pixel of a key colour (nudged off it, as the small one's are).
QImage largeKeyed(const QImage &art);
// Leaves the block of the small picture's pixel p transparent, as the game leaves out p.
void clearLargePixel(QImage &large, QPoint p);
// Saves a large drawing with the fingerprint of the small picture it belongs to; false when
// it is not exactly LargeDrawing::Scale times that picture's size or cannot be written.
bool saveLarge(QImage large, const QImage &small, const QString &path);

QPainterPath circle(QPointF c, double r);
QPainterPath ellipse(QPointF c, double rx, double ry);
QPainterPath blobs(const QList<QPointF> &centres, const QList<double> &radii);

// Fill lit from the upper left, then outline in a darker shade.
void fillLit(QPainter &p, const QPainterPath &path, const QColor &base, bool outline = true,
             double lightness = 0.18);
// The same with the light running across box rather than the path's own bounds: a shape
// carried on beyond a picture keeps the light of the part inside it.
void fillLitAcross(QPainter &p, const QPainterPath &path, const QRectF &box, const QColor &base,
                   bool outline = true, double lightness = 0.18);
void fillFlat(QPainter &p, const QPainterPath &path, const QColor &base, bool outline = true);
void fillBrush(QPainter &p, const QPainterPath &path, const QBrush &brush, const QColor &line);
// A line drawn as a filled band with the usual outline (stems, rays, chalk).
void strokeOutlined(QPainter &p, const QPainterPath &path, double width, const QColor &c);
// A soft highlight spot inside a shape (upper left).
void highlight(QPainter &p, const QPainterPath &clip, QPointF at, double r, double alpha = 0.5);

// Grass strip along the bottom edge; height(x) gives blade tip heights.
QPainterPath grassStrip(double w, double bottom, double (*height)(double), Rng &rng,
                        double step = 13);

// Little flowers used on the meadow and in the grass tufts.
void daisy(QPainter &p, QPointF c, double r, const QColor &petal, const QColor &centre);
void tulip(QPainter &p, QPointF base, double h, const QColor &c);
void stem(QPainter &p, QPointF from, QPointF to, double bend);

} // namespace art
