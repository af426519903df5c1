// The playing scene: background and the props drawn over it.
#include "paint.h"
#include "pictures.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace art {

namespace {

// Where the props stand in the scene, so the background can put their shadows in.
constexpr QPointF kTreeLeftFoot(120, 590);
constexpr QPointF kTreeRightFoot(701, 590);
constexpr QPointF kBoardLegLeft(290 + 30, 73 + 344);
constexpr QPointF kBoardLegRight(290 + 226, 73 + 344);
// Where the game writes on the blackboard, in the blackboard picture's own pixels.
constexpr QRectF kWritingOnBoard(327 - 290, 115 - 73, 180, 240);

void softShadow(QPainter &p, QPointF c, double rx, double ry, double alpha)
{
    p.save();
    p.translate(c);
    p.scale(1.0, ry / rx);
    QRadialGradient g(QPointF(0, 0), rx);
    g.setColorAt(0.0, QColor(30, 80, 30, int(255 * alpha)));
    g.setColorAt(0.6, QColor(30, 80, 30, int(255 * alpha * 0.6)));
    g.setColorAt(1.0, QColor(30, 80, 30, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), rx, rx);
    p.restore();
}

void cloud(QPainter &p, QPointF at, double s)
{
    const QPainterPath shape =
        blobs({at + QPointF(-38 * s, 8 * s), at + QPointF(-12 * s, -12 * s),
               at + QPointF(20 * s, -6 * s), at + QPointF(44 * s, 8 * s), at + QPointF(0, 12 * s)},
              {22 * s, 30 * s, 26 * s, 18 * s, 22 * s});
    QLinearGradient g(at + QPointF(0, -40 * s), at + QPointF(0, 34 * s));
    g.setColorAt(0.0, pal::cloud);
    g.setColorAt(0.6, pal::cloud);
    g.setColorAt(1.0, QColor(214, 230, 248));
    fillBrush(p, shape, g, QColor(150, 186, 222));
}

// Rolling hill line across the whole width, filled down to the bottom.
QPainterPath hill(std::initializer_list<QPointF> pts)
{
    auto it = pts.begin();
    QPainterPath path(*it++);
    while (it != pts.end()) {
        const QPointF c1 = *it++, c2 = *it++, to = *it++;
        path.cubicTo(c1, c2, to);
    }
    path.lineTo(806, 606);
    path.lineTo(-6, 606);
    path.closeSubpath();
    return path;
}

// The same line carried on beyond the scene on both sides (before and after hold the curves
// that join it, as c1, c2, to, starting from before's first point), filled down to bottom.
QPainterPath wideHill(std::initializer_list<QPointF> before, std::initializer_list<QPointF> pts,
                      std::initializer_list<QPointF> after, double bottom)
{
    auto it = before.begin();
    QPainterPath path(*it++);
    auto curves = [&path](auto from, auto to) {
        while (from != to) {
            const QPointF c1 = *from++, c2 = *from++, end = *from++;
            path.cubicTo(c1, c2, end);
        }
    };
    curves(it, before.end());
    curves(pts.begin() + 1, pts.end());
    curves(after.begin(), after.end());
    const QRectF box = path.boundingRect();
    path.lineTo(box.right() + 6, bottom);
    path.lineTo(box.left() - 6, bottom);
    path.closeSubpath();
    return path;
}

void bush(QPainter &p, QPointF at, double s)
{
    const QPainterPath shape =
        blobs({at + QPointF(-9 * s, 0), at + QPointF(0, -6 * s), at + QPointF(9 * s, 0)},
              {8 * s, 10 * s, 8 * s});
    fillLit(p, shape, pal::leafDark, true, 0.25);
}

// The sky, the hills and the meadow of the scene. Wide, they are carried on over area
// (scene pixels, around the 800 x 600 scene) for screens wider or taller than 4 : 3: the same
// sky, hills and light, with clouds, grass and flowers of their own outside the scene.
void paintBack(QPainter &p, const QRectF &fill, const QRectF &area = QRectF())
{
    const bool wide = !area.isEmpty();
    QLinearGradient sky(0, 0, 0, 340);
    sky.setColorAt(0.0, pal::skyTop);
    sky.setColorAt(1.0, pal::skyLow);
    p.fillRect(fill, sky);

    const QPointF sunAt(100, 90);
    QRadialGradient glow(sunAt, 230);
    glow.setColorAt(0.0, QColor(255, 250, 210, 235));
    glow.setColorAt(0.3, QColor(255, 246, 196, 120));
    glow.setColorAt(1.0, QColor(255, 246, 196, 0));
    p.fillRect(fill, glow);
    for (int i = 0; i < 12; ++i) {
        const double a = (i * 30 + 8) * M_PI / 180;
        const QPointF dir(std::cos(a), std::sin(a));
        QPainterPath ray(sunAt + dir * 60);
        ray.lineTo(sunAt + dir * (i % 2 ? 72 : 80));
        strokeOutlined(p, ray, 5, QColor(255, 230, 120));
    }
    const QPainterPath sunDisc = circle(sunAt, 46);
    fillLit(p, sunDisc, pal::sun, true, 0.3);
    highlight(p, sunDisc, sunAt + QPointF(-16, -16), 30, 0.7);

    cloud(p, QPointF(232, 178), 0.75);
    cloud(p, QPointF(420, 42), 1.0);
    cloud(p, QPointF(650, 74), 1.25);
    if (wide) {
        cloud(p, QPointF(-250, 92), 1.1);
        cloud(p, QPointF(-440, 188), 0.8);
        cloud(p, QPointF(990, 136), 1.0);
        cloud(p, QPointF(1210, 56), 0.85);
    }

    // Wide, each hill runs on with the light of its part in the scene.
    const double bottom = area.bottom() + 6;
    const QPainterPath far = hill({{0, 252},
                                   {120, 212},
                                   {250, 236},
                                   {360, 262},
                                   {470, 286},
                                   {560, 226},
                                   {680, 232},
                                   {740, 236},
                                   {780, 248},
                                   {800, 256}});
    if (wide)
        fillLitAcross(
            p,
            wideHill({{-560, 238}, {-400, 218}, {-120, 292}, {0, 252}},
                     {{0, 252},
                      {120, 212},
                      {250, 236},
                      {360, 262},
                      {470, 286},
                      {560, 226},
                      {680, 232},
                      {740, 236},
                      {780, 248},
                      {800, 256}},
                     {{860, 280}, {1000, 250}, {1100, 232}, {1200, 214}, {1300, 230}, {1370, 240}},
                     bottom),
            far.boundingRect(), pal::hillFar, true, 0.12);
    else
        fillLit(p, far, pal::hillFar, true, 0.12);
    bush(p, QPointF(262, 262), 1.0);
    bush(p, QPointF(578, 248), 0.9);
    bush(p, QPointF(560, 254), 0.7);
    const QPainterPath mid = hill({{0, 300},
                                   {110, 272},
                                   {220, 280},
                                   {330, 300},
                                   {430, 318},
                                   {520, 280},
                                   {640, 284},
                                   {720, 288},
                                   {770, 298},
                                   {800, 306}});
    if (wide)
        fillLitAcross(
            p,
            wideHill({{-560, 290}, {-380, 310}, {-110, 328}, {0, 300}},
                     {{0, 300},
                      {110, 272},
                      {220, 280},
                      {330, 300},
                      {430, 318},
                      {520, 280},
                      {640, 284},
                      {720, 288},
                      {770, 298},
                      {800, 306}},
                     {{830, 314}, {960, 300}, {1080, 288}, {1200, 276}, {1300, 296}, {1370, 300}},
                     bottom),
            mid.boundingRect(), pal::hillMid, true, 0.12);
    else
        fillLit(p, mid, pal::hillMid, true, 0.12);
    bush(p, QPointF(268, 300), 1.2);
    if (wide) {
        bush(p, QPointF(-330, 292), 1.1);
        bush(p, QPointF(1130, 282), 1.0);
    }

    const QPainterPath field =
        wide ? wideHill(
                   {{-560, 336}, {-400, 350}, {-190, 362}, {0, 340}},
                   {{0, 340},
                    {190, 318},
                    {400, 344},
                    {560, 336},
                    {660, 330},
                    {740, 322},
                    {800, 330}},
                   {{860, 338}, {1000, 352}, {1100, 344}, {1200, 336}, {1300, 330}, {1370, 334}},
                   bottom)
             : hill({{0, 340},
                     {190, 318},
                     {400, 344},
                     {560, 336},
                     {660, 330},
                     {740, 322},
                     {800, 330}});
    QLinearGradient grassGrad(0, 320, 0, 600);
    grassGrad.setColorAt(0.0, shade(pal::meadow, 1.12));
    grassGrad.setColorAt(1.0, pal::meadowLow);
    fillBrush(p, field, grassGrad, lineOf(pal::meadow));

    // Meadow texture: little tufts and dots of flowers, bigger towards the front.
    auto tuft = [&p](double x, double y) {
        const double s = 0.5 + (y - 340) / 260.0;
        QPainterPath tuft(QPointF(x - 4 * s, y - 6 * s));
        tuft.quadTo(QPointF(x - 2 * s, y - 1 * s), QPointF(x, y));
        tuft.quadTo(QPointF(x + 1 * s, y - 5 * s), QPointF(x + 2 * s, y - 8 * s));
        tuft.moveTo(x, y);
        tuft.quadTo(QPointF(x + 3 * s, y - 2 * s), QPointF(x + 6 * s, y - 5 * s));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(shade(pal::meadowLow, 0.78), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(tuft);
    };
    const QColor dots[] = {pal::petalWhite, pal::petalYellow, pal::blossom, pal::petalWhite};
    auto flower = [&p, &dots](double x, double y, int i) {
        const double s = 0.6 + (y - 340) / 200.0;
        const QColor c = dots[i % 4];
        for (int k = 0; k < 4; ++k) {
            const double a = k * M_PI / 2;
            fillFlat(p, circle(QPointF(x + std::cos(a) * 2 * s, y + std::sin(a) * 2 * s), 1.6 * s),
                     c, false);
        }
        fillFlat(p, circle(QPointF(x, y), 1.1 * s), QColor(250, 180, 40), false);
    };
    Rng rng(7);
    p.save();
    p.setClipPath(field);
    for (int i = 0; i < 140; ++i) {
        const double y = rng.range(350, 596);
        const double x = rng.range(0, 800);
        tuft(x, y);
    }
    for (int i = 0; i < 46; ++i) {
        const double y = rng.range(356, 590);
        const double x = rng.range(0, 800);
        flower(x, y, i);
    }
    if (wide) {
        // Beyond the scene, kept clear of its edge so none reaches into it.
        const QRectF scene(-12, -12, 824, 624);
        Rng more(23);
        for (int i = 0, placed = 0; placed < 520 && i < 20000; ++i) {
            const double y = more.range(350, area.bottom() - 4);
            const double x = more.range(area.left(), area.right());
            if (scene.contains(x, y)) continue;
            tuft(x, y);
            ++placed;
        }
        for (int i = 0, placed = 0; placed < 170 && i < 20000; ++i) {
            const double y = more.range(356, area.bottom() - 8);
            const double x = more.range(area.left(), area.right());
            if (scene.contains(x, y)) continue;
            flower(x, y, placed++);
        }
    }
    p.restore();

    softShadow(p, kTreeLeftFoot, 78, 12, 0.4);
    softShadow(p, kTreeRightFoot, 70, 11, 0.4);
    softShadow(p, kBoardLegLeft + QPointF(8, 1), 26, 5, 0.4);
    softShadow(p, kBoardLegRight + QPointF(8, 1), 26, 5, 0.4);
    softShadow(p, QPointF(418, 416), 100, 9, 0.25);
}

} // namespace

namespace {
void sideGrass(QPainter &p, QRect area);
} // namespace

QImage drawBack()
{
    QImage img = canvas(800, 600);
    QPainter p;
    beginPainter(p, img);
    paintBack(p, img.rect());
    return img;
}

QImage drawBackAround(QRect area)
{
    QImage img = canvas(area.width(), area.height());
    QPainter p;
    beginPainter(p, img);
    p.translate(-area.topLeft());
    paintBack(p, area, area);
    sideGrass(p, area);
    return img;
}

QImage drawBlackBoard()
{
    QImage img = canvas(256, 350);
    QPainter p;
    beginPainter(p, img);

    // Legs and the back support first, the board hides their tops.
    QPainterPath legs;
    legs.moveTo(46, 300);
    legs.lineTo(30, 344);
    legs.moveTo(210, 300);
    legs.lineTo(226, 344);
    strokeOutlined(p, legs, 9, shade(pal::wood, 0.85));

    QPainterPath frame;
    frame.addRoundedRect(QRectF(6, 8, 244, 310), 12, 12);
    fillLit(p, frame, pal::wood, true, 0.2);
    // Wood grain along the frame.
    p.save();
    p.setClipPath(frame);
    p.setPen(QPen(shade(pal::wood, 0.82), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (double y : {13.0, 18.0, 308.0, 313.0}) {
        QPainterPath grain(QPointF(22, y));
        grain.cubicTo(QPointF(90, y - 2), QPointF(160, y + 2), QPointF(234, y));
        p.drawPath(grain);
    }
    for (double x : {12.0, 16.0, 240.0, 244.0}) {
        QPainterPath grain(QPointF(x, 30));
        grain.cubicTo(QPointF(x - 1.5, 120), QPointF(x + 1.5, 200), QPointF(x, 288));
        p.drawPath(grain);
    }
    p.restore();

    QPainterPath surface;
    surface.addRoundedRect(QRectF(22, 24, 212, 278), 5, 5);
    QLinearGradient g(22, 24, 234, 302);
    g.setColorAt(0.0, QColor(29, 54, 49));
    g.setColorAt(0.5, pal::board);
    g.setColorAt(1.0, QColor(21, 42, 37));
    fillBrush(p, surface, g, QColor(120, 80, 44));
    // Faint old chalk smears in the corners, kept off the writing: they would lighten it.
    QPainterPath writing;
    writing.addRect(kWritingOnBoard);
    p.save();
    p.setClipPath(surface.subtracted(writing));
    p.setPen(QPen(QColor(255, 255, 255, 18), 7, Qt::SolidLine, Qt::RoundCap));
    QPainterPath smear(QPointF(30, 60));
    smear.quadTo(QPointF(34, 40), QPointF(60, 32));
    smear.moveTo(226, 250);
    smear.quadTo(QPointF(224, 280), QPointF(196, 290));
    p.drawPath(smear);
    p.restore();

    for (QPointF nail : {QPointF(14, 16), QPointF(242, 16), QPointF(14, 310), QPointF(242, 310)})
        fillLit(p, circle(nail, 2.6), QColor(236, 210, 150), true, 0.4);

    // Chalk tray with a stick of chalk and a sponge.
    QPainterPath tray;
    tray.addRoundedRect(QRectF(14, 306, 228, 14), 5, 5);
    fillLit(p, tray, shade(pal::wood, 0.92), true, 0.2);
    QPainterPath chalk;
    chalk.addRoundedRect(QRectF(172, 300, 30, 8), 3, 3);
    fillLit(p, chalk, QColor(250, 250, 244), true, 0.1);
    QPainterPath sponge;
    sponge.addRoundedRect(QRectF(40, 296, 40, 12), 4, 4);
    fillLit(p, sponge, QColor(86, 132, 210), true, 0.2);
    QPainterPath felt;
    felt.addRoundedRect(QRectF(40, 304, 40, 5), 2, 2);
    fillFlat(p, felt, QColor(230, 220, 200), true);
    return img;
}

namespace {

struct Crown
{
    QList<QPointF> centres;
    QList<double> radii;
};

void trunk(QPainter &p, double cx, double base, double top)
{
    QPainterPath t;
    t.moveTo(cx - 34, base);
    t.quadTo(QPointF(cx - 14, base - 10), QPointF(cx - 12, base - 44));
    t.lineTo(cx - 10, top + 40);
    t.lineTo(cx - 42, top);
    t.lineTo(cx - 30, top - 8);
    t.lineTo(cx - 4, top + 24);
    t.lineTo(cx - 2, top - 30);
    t.lineTo(cx + 10, top - 30);
    t.lineTo(cx + 10, top + 26);
    t.lineTo(cx + 36, top - 6);
    t.lineTo(cx + 46, top + 4);
    t.lineTo(cx + 14, top + 46);
    t.lineTo(cx + 13, base - 44);
    t.quadTo(QPointF(cx + 16, base - 10), QPointF(cx + 38, base));
    t.quadTo(QPointF(cx, base + 6), QPointF(cx - 34, base));
    fillLit(p, t, pal::bark, true, 0.22);
    p.setPen(QPen(lineOf(pal::bark), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath lines(QPointF(cx - 4, base - 20));
    lines.quadTo(QPointF(cx - 6, base - 50), QPointF(cx - 3, base - 80));
    lines.moveTo(cx + 5, base - 60);
    lines.quadTo(QPointF(cx + 7, base - 80), QPointF(cx + 4, base - 100));
    p.drawPath(lines);
}

void crown(QPainter &p, const Crown &c, const QColor &leaf)
{
    const QPainterPath shape = blobs(c.centres, c.radii);
    fillLit(p, shape, leaf, true, 0.16);
    // Each clump gets its own light and shadow so the crown reads as leafy.
    p.save();
    p.setClipPath(shape);
    for (qsizetype i = 0; i < c.centres.size(); ++i) {
        const QPointF at = c.centres[i];
        const double r = c.radii[i];
        highlight(p, shape, at + QPointF(-r * 0.35, -r * 0.4), r * 0.7, 0.22);
        p.setPen(QPen(lineOf(leaf), 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(at.x() - r * 0.8, at.y() - r * 0.8, r * 1.6, r * 1.6), -20 * 16, -70 * 16);
    }
    p.restore();
}

} // namespace

QImage drawTreeLeft()
{
    QImage img = canvas(240, 383);
    QPainter p;
    beginPainter(p, img);
    trunk(p, 120, 374, 186);
    const Crown c{{{120, 72}, {62, 116}, {178, 114}, {76, 174}, {164, 174}, {120, 142}},
                  {66, 52, 52, 46, 48, 62}};
    crown(p, c, pal::leaf);
    Rng rng(11);
    const QPainterPath shape = blobs(c.centres, c.radii);
    for (QPointF a : {QPointF(78, 90), QPointF(150, 62), QPointF(188, 136), QPointF(100, 166),
                      QPointF(48, 146), QPointF(144, 194), QPointF(118, 112), QPointF(192, 186)}) {
        const QPainterPath fruit = circle(a, 8.5);
        fillLit(p, fruit, pal::apple, true, 0.3);
        highlight(p, fruit, a + QPointF(-3, -3), 4, 0.8);
        QPainterPath leafy(a + QPointF(0, -8));
        leafy.quadTo(a + QPointF(rng.range(4, 7), -15), a + QPointF(9, -11));
        strokeOutlined(p, leafy, 2, pal::leafDark);
    }
    // A bird house hangs on the trunk: something for small eyes to find.
    QPainterPath house;
    house.addRoundedRect(QRectF(104, 250, 32, 30), 3, 3);
    fillLit(p, house, QColor(236, 120, 84), true, 0.2);
    fillFlat(p, circle(QPointF(120, 264), 6), QColor(70, 40, 30), true);
    QPainterPath roof;
    roof.moveTo(98, 254);
    roof.lineTo(120, 234);
    roof.lineTo(142, 254);
    roof.closeSubpath();
    fillLit(p, roof, QColor(132, 86, 170), true, 0.2);
    return img;
}

QImage drawTreeRight()
{
    QImage img = canvas(199, 383);
    QPainter p;
    beginPainter(p, img);
    trunk(p, 100, 374, 180);
    const Crown c{{{100, 70}, {52, 114}, {148, 110}, {62, 174}, {140, 170}, {100, 138}},
                  {58, 46, 45, 42, 44, 56}};
    crown(p, c, shade(pal::leaf, 1.06));
    Rng rng(23);
    const QPainterPath shape = blobs(c.centres, c.radii);
    p.save();
    p.setClipPath(shape);
    for (int i = 0; i < 26; ++i) {
        const QPointF a(rng.range(20, 180), rng.range(20, 214));
        if (!shape.contains(a)) continue;
        for (int k = 0; k < 5; ++k) {
            const double ang = k * 2 * M_PI / 5 + i;
            fillFlat(p, circle(a + QPointF(std::cos(ang), std::sin(ang)) * 3.4, 2.8), pal::blossom,
                     false);
        }
        fillFlat(p, circle(a, 1.8), pal::petalYellow, false);
    }
    p.restore();
    return img;
}

QImage drawHint()
{
    // Beside the blackboard, to its right; the tail on the left points at the writing.
    QImage img = canvas(200, 150);
    QPainter p;
    beginPainter(p, img);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(30, 4, 164, 140), 28, 28);
    QPainterPath tail;
    tail.moveTo(44, 58);
    tail.quadTo(QPointF(24, 96), QPointF(3, 126));
    tail.quadTo(QPointF(32, 116), QPointF(44, 100));
    tail.closeSubpath();
    bubble = bubble.united(tail).simplified();
    // A flat fill: the hint text needs a calm, plain background.
    fillFlat(p, bubble, pal::cream, false);
    p.setPen(QPen(QColor(214, 160, 96), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bubble);
    // Small sparkle in the corner, outside the text area.
    QPainterPath star;
    const QPointF at(176, 22);
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 4.0 : 10.0;
        const double a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt = at + QPointF(std::cos(a), std::sin(a)) * r;
        i ? star.lineTo(pt) : star.moveTo(pt);
    }
    star.closeSubpath();
    fillLit(p, star, pal::petalYellow, true, 0.2);
    return img;
}

namespace {

double grassLeftHeight(double x)
{
    // Tall at the far left, low under the blackboard.
    if (x < 230) return 78 - x * 0.06;
    if (x < 300) return 64 - (x - 230) * 0.25;
    return 46 + 5 * std::sin(x / 30);
}

double grassLeftBack(double x)
{
    return grassLeftHeight(x) * 1.15 + 6;
}

double grassRightHeight(double x)
{
    return 54 + x * 0.08 + 5 * std::sin(x / 23);
}
double grassRightBack(double x)
{
    return grassRightHeight(x) * 1.15 + 6;
}

void grassTuft(QPainter &p, double w, double h, double (*front)(double), double (*back)(double),
               std::uint32_t seed)
{
    // Shaded by height only, so the two grass pictures meet without a seam.
    Rng rng(seed);
    auto lit = [h](const QColor &c) {
        QLinearGradient g(0, h - 120, 0, h);
        g.setColorAt(0, shade(c, 1.2));
        g.setColorAt(1, shade(c, 0.9));
        return g;
    };
    fillBrush(p, grassStrip(w, h, back, rng, 22), lit(pal::grassBack), lineOf(pal::grassBack));
    fillBrush(p, grassStrip(w, h, front, rng, 17), lit(pal::grass), lineOf(pal::grass));
}

// The grass in front of the scene goes on beside it, as tall where they meet, so a wide
// screen shows no straight edge where the scene's own grass ends. Only outside the scene.
double sideGrassLeft(double x)
{
    return grassLeftHeight(0) + 6 * std::sin((512 - x) / 27) - 6 * std::sin(512 / 27.0);
}
double sideGrassLeftBack(double x)
{
    return sideGrassLeft(x) * 1.15 + 6;
}
double sideGrassRight(double x)
{
    return grassRightHeight(263) + 5 * std::sin(x / 23);
}
double sideGrassRightBack(double x)
{
    return sideGrassRight(x) * 1.15 + 6;
}

void sideGrass(QPainter &p, QRect area)
{
    // Bottoms at the scene's foot, where its own grass stands.
    const int leftWidth = -area.left(), rightWidth = area.right() + 1 - 800;
    if (leftWidth > 0) {
        p.save();
        p.setClipRect(QRectF(area.left(), 0, leftWidth, 600));
        p.translate(area.left(), 600 - 226);
        grassTuft(p, leftWidth, 226, sideGrassLeft, sideGrassLeftBack, 13);
        p.restore();
    }
    if (rightWidth > 0) {
        p.save();
        p.setClipRect(QRectF(800, 0, rightWidth, 600));
        p.translate(800, 600 - 140);
        grassTuft(p, rightWidth, 140, sideGrassRight, sideGrassRightBack, 17);
        p.restore();
    }
}

} // namespace

QImage drawGrassLeft()
{
    const int w = 537, h = 226;
    QImage img = canvas(w, h);
    QPainter p;
    beginPainter(p, img);
    Rng rng(31);
    grassTuft(p, w, h, grassLeftHeight, grassLeftBack, 5);
    // Flowers poke out of the grass.
    struct Flower
    {
        double x, tall;
        int kind;
    };
    const Flower flowers[] = {{26, 100, 0}, {66, 86, 1},  {200, 104, 2}, {232, 84, 0},
                              {262, 92, 3}, {330, 64, 0}, {420, 62, 2},  {490, 66, 1}};
    for (const Flower &f : flowers) {
        const QPointF base(f.x, h - 20);
        const QPointF top(f.x + rng.range(-8, 8), h - f.tall);
        switch (f.kind) {
        case 0:
            stem(p, base, top, 6);
            daisy(p, top, 12, pal::petalWhite, pal::petalYellow);
            break;
        case 1:
            stem(p, base, top, -5);
            daisy(p, top, 10, pal::petalYellow, QColor(236, 140, 40));
            break;
        case 2:
            tulip(p, base, base.y() - top.y(), pal::petalRed);
            break;
        default:
            stem(p, base, top, 4);
            daisy(p, top, 11, pal::petalViolet, pal::petalYellow);
            break;
        }
    }
    // A friendly red toadstool near the tree.
    QPainterPath foot;
    foot.addRoundedRect(QRectF(150, h - 46, 14, 30), 6, 6);
    fillLit(p, foot, pal::petalWhite, true, 0.15);
    QPainterPath cap;
    cap.moveTo(136, h - 42);
    cap.cubicTo(QPointF(138, h - 72), QPointF(176, h - 72), QPointF(178, h - 42));
    cap.closeSubpath();
    fillLit(p, cap, pal::petalRed, true, 0.25);
    for (QPointF d :
         {QPointF(148, h - 56), QPointF(164, h - 60), QPointF(170, h - 48), QPointF(155, h - 47)})
        fillFlat(p, circle(d, 3), pal::petalWhite, false);
    return img;
}

QImage drawGrassRight()
{
    const int w = 263, h = 140;
    QImage img = canvas(w, h);
    QPainter p;
    beginPainter(p, img);
    grassTuft(p, w, h, grassRightHeight, grassRightBack, 9);
    Rng rng(41);
    const double xs[] = {30, 84, 140, 196, 240};
    for (int i = 0; i < 5; ++i) {
        const QPointF base(xs[i], h - 16);
        const QPointF top(xs[i] + rng.range(-6, 6), h - rng.range(70, 92));
        if (i == 2) {
            tulip(p, base, base.y() - top.y(), pal::petalYellow);
            continue;
        }
        stem(p, base, top, i % 2 ? 5 : -5);
        daisy(p, top, 11, i % 2 ? pal::petalBlue : pal::petalWhite, pal::petalYellow);
    }
    return img;
}

} // namespace art
