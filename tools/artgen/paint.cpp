#include "paint.h"

#include "platform/LargeDrawing.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace art {

QColor mix(const QColor &a, const QColor &b, double t)
{
    auto m = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(m(a.red(), b.red()), m(a.green(), b.green()), m(a.blue(), b.blue()),
                  m(a.alpha(), b.alpha()));
}

QColor shade(const QColor &c, double f)
{
    if (f >= 1.0) return mix(c, QColor(255, 255, 255, c.alpha()), std::min(1.0, f - 1.0));
    return QColor(int(c.red() * f), int(c.green() * f), int(c.blue() * f), c.alpha());
}

QColor lineOf(const QColor &fill)
{
    // Slightly warm the outline so it reads as a shadow, not as grey ink.
    QColor d = shade(fill, 0.6);
    return QColor(std::min(255, d.red() + 8), d.green(), std::max(0, d.blue() - 4));
}

namespace {
int canvasScale = 1;
} // namespace

void setCanvasScale(int scale)
{
    canvasScale = scale;
}

QImage canvas(int w, int h)
{
    // Drawn in picture pixels; the painter scales to the canvas's own.
    QImage img(w * canvasScale, h * canvasScale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(canvasScale);
    img.fill(Qt::transparent);
    return img;
}

void beginPainter(QPainter &p, QImage &img)
{
    p.begin(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
}

QImage largeKeyed(const QImage &art)
{
    QImage out = art.convertToFormat(QImage::Format_ARGB32);
    out.setDevicePixelRatio(1);
    const QRgb magenta = kKeyMagenta.rgb() & 0xFFFFFF, grey = kKeyGrey.rgb() & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(row[x]) == 0) {
                row[x] = 0;
            } else if ((row[x] & 0xFFFFFF) == magenta || (row[x] & 0xFFFFFF) == grey) {
                row[x] -= 1; // one step less blue
            }
        }
    }
    return out;
}

void clearLargePixel(QImage &large, QPoint p)
{
    const int s = LargeDrawing::Scale;
    for (int y = p.y() * s; y < (p.y() + 1) * s; ++y)
        for (int x = p.x() * s; x < (p.x() + 1) * s; ++x)
            large.setPixel(x, y, 0);
}

bool saveLarge(QImage large, const QImage &small, const QString &path)
{
    if (large.size() != small.size() * LargeDrawing::Scale) return false;
    large.setDevicePixelRatio(1);
    large.setText(QString::fromLatin1(LargeDrawing::SourceKey),
                  QString::fromLatin1(LargeDrawing::fingerprint(small)));
    return large.save(path, "PNG", 0);
}

QPainterPath circle(QPointF c, double r)
{
    QPainterPath path;
    path.addEllipse(c, r, r);
    return path;
}

QPainterPath ellipse(QPointF c, double rx, double ry)
{
    QPainterPath path;
    path.addEllipse(c, rx, ry);
    return path;
}

QPainterPath blobs(const QList<QPointF> &centres, const QList<double> &radii)
{
    QPainterPath path;
    for (qsizetype i = 0; i < centres.size(); ++i)
        path = path.united(circle(centres[i], radii[i]));
    return path.simplified();
}

static QPen outlinePen(const QColor &c)
{
    return QPen(c, kLine, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void fillLit(QPainter &p, const QPainterPath &path, const QColor &base, bool outline,
             double lightness)
{
    fillLitAcross(p, path, path.boundingRect(), base, outline, lightness);
}

void fillLitAcross(QPainter &p, const QPainterPath &path, const QRectF &b, const QColor &base,
                   bool outline, double lightness)
{
    QLinearGradient g(b.topLeft(), b.bottomRight());
    g.setColorAt(0.0, shade(base, 1.0 + lightness));
    g.setColorAt(0.45, base);
    g.setColorAt(1.0, shade(base, 1.0 - lightness * 0.8));
    p.setPen(outline ? outlinePen(lineOf(base)) : QPen(Qt::NoPen));
    p.setBrush(g);
    p.drawPath(path);
}

void fillFlat(QPainter &p, const QPainterPath &path, const QColor &base, bool outline)
{
    p.setPen(outline ? outlinePen(lineOf(base)) : QPen(Qt::NoPen));
    p.setBrush(base);
    p.drawPath(path);
}

void fillBrush(QPainter &p, const QPainterPath &path, const QBrush &brush, const QColor &line)
{
    p.setPen(line.isValid() ? outlinePen(line) : QPen(Qt::NoPen));
    p.setBrush(brush);
    p.drawPath(path);
}

void strokeOutlined(QPainter &p, const QPainterPath &path, double width, const QColor &c)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(lineOf(c), width + 2 * kLine, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void highlight(QPainter &p, const QPainterPath &clip, QPointF at, double r, double alpha)
{
    p.save();
    p.setClipPath(clip, Qt::IntersectClip);
    QRadialGradient g(at, r);
    g.setColorAt(0.0, QColor(255, 255, 255, int(255 * alpha)));
    g.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(at, r, r);
    p.restore();
}

QPainterPath grassStrip(double w, double bottom, double (*height)(double), Rng &rng, double step)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill); // leaning blades may cross their neighbours
    double x = -step * 0.5;
    auto valleyY = [&](double at) { return bottom - height(at) * rng.range(0.35, 0.5); };
    QPointF valley(x, valleyY(x));
    path.moveTo(x, bottom + 4);
    path.lineTo(valley);
    while (x < w + step) {
        const double next = x + step * rng.range(0.8, 1.25);
        const double h = height((x + next) / 2) * rng.range(0.7, 1.05);
        const double lean = rng.range(-0.5, 0.5) * step;
        const QPointF tip((x + next) / 2 + lean, bottom - h);
        const QPointF nextValley(next, valleyY(next));
        const double midY = (valley.y() + tip.y()) / 2;
        path.quadTo(QPointF(valley.x() + (tip.x() - valley.x()) * 0.2 - lean * 0.3, midY), tip);
        path.quadTo(QPointF(tip.x() + (nextValley.x() - tip.x()) * 0.7 - lean * 0.3,
                            (tip.y() + nextValley.y()) / 2),
                    nextValley);
        valley = nextValley;
        x = next;
    }
    path.lineTo(x, bottom + 4);
    path.closeSubpath();
    return path;
}

void stem(QPainter &p, QPointF from, QPointF to, double bend)
{
    QPainterPath path(from);
    const QPointF mid = (from + to) / 2 + QPointF(bend, 0);
    path.quadTo(mid, to);
    strokeOutlined(p, path, 2.5, pal::leaf);
}

void daisy(QPainter &p, QPointF c, double r, const QColor &petal, const QColor &centre)
{
    const int petals = 7;
    for (int i = 0; i < petals; ++i) {
        p.save();
        p.translate(c);
        p.rotate(360.0 / petals * i + 10);
        fillFlat(p, ellipse(QPointF(r * 0.62, 0), r * 0.48, r * 0.26), petal);
        p.restore();
    }
    fillLit(p, circle(c, r * 0.34), centre, true, 0.3);
}

void tulip(QPainter &p, QPointF base, double h, const QColor &c)
{
    const double w = 20;
    const QPointF top = base - QPointF(0, h);
    stem(p, base, top + QPointF(0, w * 0.8), h * 0.08);
    QPainterPath cup;
    cup.moveTo(top + QPointF(-w * 0.5, -w * 0.1));
    cup.lineTo(top + QPointF(-w * 0.25, w * 0.2));
    cup.lineTo(top + QPointF(0, -w * 0.25));
    cup.lineTo(top + QPointF(w * 0.25, w * 0.2));
    cup.lineTo(top + QPointF(w * 0.5, -w * 0.1));
    cup.cubicTo(top + QPointF(w * 0.6, w * 0.9), top + QPointF(-w * 0.6, w * 0.9),
                top + QPointF(-w * 0.5, -w * 0.1));
    fillLit(p, cup, c, true, 0.25);
}

} // namespace art
