// Artwork for the game window: player portraits, coins, buttons and glyphs.
#include "paint.h"
#include "pictures.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace art {

namespace {

// Glyphs sit on the black window, so they are drawn in one light tone.
const QColor kGlyph(232, 238, 246);

QPen glyphPen(double w)
{
    return QPen(kGlyph, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

enum class Hair { Short, Pigtails, Curl, Parted, Long };

struct Person
{
    QColor disc, skin, hair, shirt;
    Hair style;
    double headRx, headRy, headY;
    bool glasses, moustache, blush;
};

void face(QPainter &p, const Person &who, QPointF c)
{
    const double rx = who.headRx, ry = who.headRy;
    const QColor eye(52, 40, 44);
    for (int side : {-1, 1}) {
        const QPointF e = c + QPointF(side * rx * 0.38, ry * 0.05);
        fillFlat(p, ellipse(e, rx * 0.11, ry * 0.15), eye, false);
        fillFlat(p, circle(e + QPointF(-1.4, -2.2), 1.7), QColor(255, 255, 255), false);
        QPainterPath brow(e + QPointF(-rx * 0.13, -ry * 0.27));
        brow.quadTo(e + QPointF(0, -ry * 0.36), e + QPointF(rx * 0.13, -ry * 0.27));
        p.setPen(QPen(shade(who.hair, 0.8), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(brow);
        if (who.blush) {
            QRadialGradient g(c + QPointF(side * rx * 0.6, ry * 0.4), rx * 0.2);
            g.setColorAt(0, QColor(255, 120, 120, 110));
            g.setColorAt(1, QColor(255, 120, 120, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawEllipse(c + QPointF(side * rx * 0.6, ry * 0.4), rx * 0.2, rx * 0.2);
        }
        if (who.glasses) {
            p.setPen(QPen(QColor(60, 50, 60), 2.2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(e, rx * 0.25, rx * 0.25);
        }
    }
    if (who.glasses) {
        p.setPen(QPen(QColor(60, 50, 60), 2.2));
        p.drawLine(c + QPointF(-rx * 0.13, ry * 0.02), c + QPointF(rx * 0.13, ry * 0.02));
    }
    QPainterPath nose(c + QPointF(-2, ry * 0.22));
    nose.quadTo(c + QPointF(0, ry * 0.3), c + QPointF(3, ry * 0.24));
    p.setPen(QPen(lineOf(who.skin), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(nose);
    if (who.moustache) {
        QPainterPath m;
        m.moveTo(c + QPointF(0, ry * 0.38));
        m.cubicTo(c + QPointF(-rx * 0.2, ry * 0.3), c + QPointF(-rx * 0.38, ry * 0.42),
                  c + QPointF(-rx * 0.4, ry * 0.5));
        m.cubicTo(c + QPointF(-rx * 0.25, ry * 0.46), c + QPointF(-rx * 0.1, ry * 0.48),
                  c + QPointF(0, ry * 0.44));
        m.cubicTo(c + QPointF(rx * 0.1, ry * 0.48), c + QPointF(rx * 0.25, ry * 0.46),
                  c + QPointF(rx * 0.4, ry * 0.5));
        m.cubicTo(c + QPointF(rx * 0.38, ry * 0.42), c + QPointF(rx * 0.2, ry * 0.3),
                  c + QPointF(0, ry * 0.38));
        fillFlat(p, m, who.hair);
    }
    // Open smile: friendly without needing teeth.
    const double my = who.moustache ? ry * 0.55 : ry * 0.42;
    QPainterPath mouth(c + QPointF(-rx * 0.28, my));
    mouth.quadTo(c + QPointF(0, my + ry * 0.02), c + QPointF(rx * 0.28, my));
    mouth.quadTo(c + QPointF(0, my + ry * 0.34), c + QPointF(-rx * 0.28, my));
    fillFlat(p, mouth, QColor(196, 70, 80));
    QPainterPath tongue;
    tongue.addEllipse(c + QPointF(0, my + ry * 0.18), rx * 0.12, ry * 0.06);
    p.save();
    p.setClipPath(mouth);
    fillFlat(p, tongue, QColor(255, 140, 150), false);
    p.restore();
}

void backHair(QPainter &p, const Person &who, QPointF c)
{
    const double rx = who.headRx, ry = who.headRy;
    if (who.style == Hair::Pigtails) {
        for (int side : {-1, 1}) {
            const QPointF at = c + QPointF(side * (rx + 8), ry * 0.2);
            fillLit(p, blobs({at, at + QPointF(side * 6, 16)}, {15, 12}), who.hair, true, 0.25);
            fillLit(p, circle(c + QPointF(side * (rx - 1), -ry * 0.1), 6), QColor(240, 90, 130),
                    true, 0.3);
        }
    } else if (who.style == Hair::Long) {
        QPainterPath back;
        back.addRoundedRect(QRectF(c.x() - rx - 9, c.y() - ry - 4, 2 * rx + 18, ry * 2 + 34), rx,
                            rx * 0.7);
        fillLit(p, back, who.hair, true, 0.2);
    }
}

void frontHair(QPainter &p, const Person &who, QPointF c)
{
    const double rx = who.headRx, ry = who.headRy;
    QPainterPath hair;
    hair.moveTo(c + QPointF(-rx - 3, ry * 0.1));
    hair.cubicTo(c + QPointF(-rx - 6, -ry * 1.3), c + QPointF(rx + 6, -ry * 1.3),
                 c + QPointF(rx + 3, ry * 0.1));
    switch (who.style) {
    case Hair::Short:
    case Hair::Curl: {
        // A spiky fringe.
        const int spikes = who.style == Hair::Curl ? 4 : 6;
        hair.lineTo(c + QPointF(rx - 4, -ry * 0.35));
        for (int i = 0; i < spikes; ++i) {
            const double x0 = rx - 4 - (2 * rx - 8) * (i + 0.5) / spikes;
            const double x1 = rx - 4 - (2 * rx - 8) * (i + 1.0) / spikes;
            hair.lineTo(c + QPointF(x0, -ry * 0.62));
            hair.lineTo(c + QPointF(x1, -ry * (i + 1 == spikes ? 0.35 : 0.42)));
        }
        break;
    }
    case Hair::Pigtails:
    case Hair::Long:
        // Rounded bangs.
        hair.lineTo(c + QPointF(rx - 2, -ry * 0.3));
        for (int i = 0; i < 4; ++i) {
            const double x0 = rx - 2 - (2 * rx - 4) * i / 4.0;
            const double x1 = rx - 2 - (2 * rx - 4) * (i + 1) / 4.0;
            hair.quadTo(c + QPointF((x0 + x1) / 2, -ry * 0.62), c + QPointF(x1, -ry * 0.36));
        }
        break;
    case Hair::Parted:
        hair.lineTo(c + QPointF(rx - 2, -ry * 0.45));
        hair.cubicTo(c + QPointF(rx * 0.5, -ry * 0.75), c + QPointF(-rx * 0.2, -ry * 0.6),
                     c + QPointF(-rx * 0.3, -ry * 0.85));
        hair.cubicTo(c + QPointF(-rx * 0.5, -ry * 0.6), c + QPointF(-rx * 0.8, -ry * 0.5),
                     c + QPointF(-rx - 1, -ry * 0.2));
        break;
    }
    hair.closeSubpath();
    fillLit(p, hair, who.hair, true, 0.25);
    highlight(p, hair, c + QPointF(-rx * 0.4, -ry * 0.85), rx * 0.45, 0.35);
    if (who.style == Hair::Curl) {
        QPainterPath curl(c + QPointF(-2, -ry - 2));
        curl.cubicTo(c + QPointF(-6, -ry - 18), c + QPointF(14, -ry - 18), c + QPointF(8, -ry - 6));
        strokeOutlined(p, curl, 3, who.hair);
    }
    if (who.style == Hair::Long) {
        // A bow on the side.
        const QPointF b = c + QPointF(rx * 0.62, -ry * 0.78);
        QPainterPath bow;
        bow.moveTo(b);
        bow.lineTo(b + QPointF(-12, -9));
        bow.lineTo(b + QPointF(-12, 9));
        bow.closeSubpath();
        bow.moveTo(b);
        bow.lineTo(b + QPointF(12, -9));
        bow.lineTo(b + QPointF(12, 9));
        bow.closeSubpath();
        fillLit(p, bow, QColor(255, 120, 170), true, 0.3);
        fillLit(p, circle(b, 4), QColor(255, 120, 170), true, 0.3);
    }
}

} // namespace

QImage drawPlayer(int which)
{
    static const Person people[5] = {
        // A boy, a girl, a small boy, a grown man, another girl.
        {QColor(150, 200, 246), QColor(255, 214, 180), QColor(130, 82, 46), QColor(66, 120, 220),
         Hair::Short, 37, 39, 72, false, false, true},
        {QColor(255, 196, 206), QColor(255, 220, 190), QColor(226, 120, 52), QColor(250, 200, 60),
         Hair::Pigtails, 36, 38, 72, false, false, true},
        {QColor(176, 232, 176), QColor(255, 218, 186), QColor(240, 200, 96), QColor(236, 96, 70),
         Hair::Curl, 33, 33, 84, false, false, true},
        {QColor(246, 218, 160), QColor(226, 170, 126), QColor(70, 52, 44), QColor(90, 150, 110),
         Hair::Parted, 34, 42, 68, true, true, false},
        {QColor(214, 196, 250), QColor(170, 112, 78), QColor(40, 30, 36), QColor(170, 90, 200),
         Hair::Long, 36, 38, 72, false, false, true},
    };
    const Person &who = people[which];
    QImage img = canvas(135, 160);
    img.fill(Qt::black);
    QPainter p;
    beginPainter(p, img);

    const QPainterPath disc = circle(QPointF(67.5, 80), 64);
    QRadialGradient dg(QPointF(44, 50), 120);
    dg.setColorAt(0, shade(who.disc, 1.3));
    dg.setColorAt(1, who.disc);
    fillBrush(p, disc, dg, QColor());
    p.save();
    p.setClipPath(disc);
    const QPointF c(67.5, who.headY);
    backHair(p, who, c);
    // Shoulders and neck.
    const double top = c.y() + who.headRy + 6;
    QPainterPath body;
    body.moveTo(4, 170);
    body.cubicTo(QPointF(8, top + 8), QPointF(30, top), QPointF(67.5, top));
    body.cubicTo(QPointF(105, top), QPointF(127, top + 8), QPointF(131, 170));
    body.closeSubpath();
    QPainterPath neck;
    neck.addRoundedRect(QRectF(c.x() - 11, c.y() + who.headRy - 14, 22, 26), 8, 8);
    fillLit(p, neck, shade(who.skin, 0.92), true, 0.1);
    fillLit(p, body, who.shirt, true, 0.2);
    QPainterPath collar(QPointF(c.x() - 14, top + 1));
    collar.quadTo(QPointF(c.x(), top + 14), QPointF(c.x() + 14, top + 1));
    strokeOutlined(p, collar, 3, shade(who.shirt, 1.3));
    // Ears, head, face, hair.
    for (int side : {-1, 1})
        fillLit(p, circle(c + QPointF(side * who.headRx, 6), 8), who.skin, true, 0.15);
    const QPainterPath head = ellipse(c, who.headRx, who.headRy);
    fillLit(p, head, who.skin, true, 0.14);
    face(p, who, c);
    frontHair(p, who, c);
    p.restore();
    p.setPen(QPen(lineOf(who.disc), kLine));
    p.setBrush(Qt::NoBrush);
    p.drawPath(disc);
    p.end();
    return img.convertToFormat(QImage::Format_RGB888);
}

namespace {

void coin(QPainter &p, QPointF c, double r, const QColor &metal)
{
    const QPainterPath outer = circle(c, r);
    fillLit(p, outer, metal, true, 0.35);
    p.setPen(QPen(lineOf(metal), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.78, r * 0.78);
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double rr = i % 2 ? r * 0.22 : r * 0.5;
        const double a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt = c + QPointF(std::cos(a), std::sin(a)) * rr;
        i ? star.lineTo(pt) : star.moveTo(pt);
    }
    star.closeSubpath();
    fillLit(p, star, shade(metal, 0.86), true, 0.2);
    highlight(p, outer, c + QPointF(-r * 0.4, -r * 0.45), r * 0.55, 0.7);
}

} // namespace

QImage drawCoins()
{
    QImage img = canvas(219, 163);
    img.fill(Qt::black);
    QPainter p;
    beginPainter(p, img);
    const QColor sack(214, 164, 100);
    QPainterPath bag;
    bag.moveTo(44, 48);
    bag.cubicTo(QPointF(8, 76), QPointF(2, 152), QPointF(58, 156));
    bag.cubicTo(QPointF(114, 152), QPointF(108, 76), QPointF(72, 48));
    bag.closeSubpath();
    QPainterPath neck;
    neck.moveTo(44, 50);
    neck.lineTo(30, 20);
    neck.quadTo(QPointF(44, 28), QPointF(58, 18));
    neck.quadTo(QPointF(72, 28), QPointF(86, 20));
    neck.lineTo(72, 50);
    neck.closeSubpath();
    fillLit(p, neck, sack, true, 0.25);
    fillLit(p, bag, sack, true, 0.25);
    highlight(p, bag, QPointF(36, 90), 30, 0.35);
    QPainterPath cord(QPointF(40, 48));
    cord.quadTo(QPointF(58, 56), QPointF(76, 48));
    strokeOutlined(p, cord, 4, QColor(200, 70, 60));
    coin(p, QPointF(58, 112), 20, pal::gold);
    coin(p, QPointF(162, 42), 32, pal::gold);
    coin(p, QPointF(162, 121), 32, pal::silver);
    p.end();
    return img.convertToFormat(QImage::Format_RGB888);
}

QImage drawExitGlyph()
{
    QImage img = canvas(18, 18);
    QPainter p;
    beginPainter(p, img);
    p.setPen(glyphPen(1.8));
    p.setBrush(Qt::NoBrush);
    QPainterPath door(QPointF(9, 2.5));
    door.lineTo(3, 2.5);
    door.lineTo(3, 15.5);
    door.lineTo(9, 15.5);
    door.moveTo(7, 9);
    door.lineTo(16, 9);
    door.moveTo(12.5, 5.5);
    door.lineTo(16, 9);
    door.lineTo(12.5, 12.5);
    p.drawPath(door);
    return img;
}

QImage drawSettingsGlyph()
{
    QImage img = canvas(18, 18);
    QPainter p;
    beginPainter(p, img);
    QPainterPath gear = circle(QPointF(9, 9), 5.6);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(9, 9);
        t.rotate(i * 45);
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-1.6, -8.3, 3.2, 4), 0.8, 0.8);
        gear = gear.united(t.map(tooth));
    }
    gear = gear.subtracted(circle(QPointF(9, 9), 2.4));
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyph);
    p.drawPath(gear);
    return img;
}

QImage drawAboutGlyph()
{
    QImage img = canvas(18, 18);
    QPainter p;
    beginPainter(p, img);
    p.setPen(glyphPen(1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(9, 9), 7.6, 7.6);
    p.setPen(glyphPen(2.0));
    p.drawLine(QPointF(9, 8.2), QPointF(9, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyph);
    p.drawEllipse(QPointF(9, 5.2), 1.25, 1.25);
    return img;
}

// Three rising bars on a base line, with a small star over the tallest.
QImage drawResultsGlyph()
{
    QImage img = canvas(18, 18);
    QPainter p;
    beginPainter(p, img);
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyph);
    const double bars[3][2] = {{2.2, 11.0}, {6.9, 8.0}, {11.6, 5.2}};
    for (const auto &b : bars)
        p.drawRoundedRect(QRectF(b[0], b[1], 3.6, 15.2 - b[1]), 0.8, 0.8);
    p.setPen(glyphPen(1.4));
    p.drawLine(QPointF(1.2, 16.2), QPointF(16.8, 16.2));
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 1.2 : 2.8;
        const double a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(15.0 + r * std::cos(a), 3.0 + r * std::sin(a));
        i ? star.lineTo(pt) : star.moveTo(pt);
    }
    star.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 80));
    p.drawPath(star);
    return img;
}

namespace {

void roundButton(QPainter &p, const QColor &c)
{
    const QPainterPath disc = circle(QPointF(34, 34), 31);
    fillLit(p, disc, c, true, 0.3);
    QPainterPath shine;
    shine.addEllipse(QRectF(14, 8, 36, 18));
    p.save();
    p.setClipPath(disc);
    QLinearGradient g(0, 8, 0, 26);
    g.setColorAt(0, QColor(255, 255, 255, 120));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(shine);
    p.restore();
}

} // namespace

QImage drawSubmit()
{
    QImage img = canvas(68, 68);
    QPainter p;
    beginPainter(p, img);
    const QColor green(86, 190, 76);
    roundButton(p, green);
    QPainterPath tick(QPointF(19, 35));
    tick.lineTo(29, 46);
    tick.lineTo(49, 22);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(lineOf(green), 11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(QPen(QColor(255, 255, 255), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    return img;
}

QImage drawErase()
{
    QImage img = canvas(68, 68);
    QPainter p;
    beginPainter(p, img);
    const QColor orange(246, 146, 58);
    roundButton(p, orange);
    // A backspace key: a left-pointing tag with a cross in it.
    QPainterPath tag;
    tag.moveTo(13, 34);
    tag.lineTo(25, 21);
    tag.lineTo(52, 21);
    tag.quadTo(QPointF(55, 21), QPointF(55, 24));
    tag.lineTo(55, 44);
    tag.quadTo(QPointF(55, 47), QPointF(52, 47));
    tag.lineTo(25, 47);
    tag.closeSubpath();
    fillFlat(p, tag, QColor(255, 255, 255), false);
    p.setPen(QPen(lineOf(orange), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tag);
    p.setPen(QPen(orange, 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32, 27.5), QPointF(45, 40.5));
    p.drawLine(QPointF(45, 27.5), QPointF(32, 40.5));
    return img;
}

QImage drawIcon(int size)
{
    QImage img = canvas(size, size);
    QPainter p;
    beginPainter(p, img);
    p.scale(size / 256.0, size / 256.0);
    paintIcon(p);
    return img;
}

void paintIcon(QPainter &p)
{
    // A seedling sprouts from the top of the board.
    QPainterPath sprout(QPointF(128, 70));
    sprout.cubicTo(QPointF(128, 52), QPointF(124, 40), QPointF(130, 24));
    strokeOutlined(p, sprout, 7, pal::leaf);
    QPainterPath leafL(QPointF(128, 40));
    leafL.cubicTo(QPointF(110, 18), QPointF(84, 22), QPointF(74, 34));
    leafL.cubicTo(QPointF(88, 50), QPointF(112, 52), QPointF(128, 40));
    fillLit(p, leafL, shade(pal::leaf, 1.1), true, 0.25);
    QPainterPath leafR(QPointF(130, 28));
    leafR.cubicTo(QPointF(146, 4), QPointF(176, 4), QPointF(188, 16));
    leafR.cubicTo(QPointF(174, 36), QPointF(148, 40), QPointF(130, 28));
    fillLit(p, leafR, shade(pal::leaf, 1.1), true, 0.25);

    QPainterPath frame;
    frame.addRoundedRect(QRectF(14, 64, 228, 180), 22, 22);
    fillLit(p, frame, pal::wood, true, 0.25);
    QPainterPath board;
    board.addRoundedRect(QRectF(32, 82, 192, 144), 10, 10);
    QLinearGradient g(32, 82, 224, 226);
    g.setColorAt(0, QColor(52, 112, 84));
    g.setColorAt(1, QColor(34, 84, 62));
    fillBrush(p, board, g, QColor(120, 80, 44));

    QPainterPath sum;
    sum.moveTo(52, 124); // 1
    sum.lineTo(70, 106);
    sum.lineTo(70, 198);
    sum.moveTo(100, 152); // +
    sum.lineTo(144, 152);
    sum.moveTo(122, 130);
    sum.lineTo(122, 174);
    sum.moveTo(164, 122); // 2
    sum.cubicTo(QPointF(168, 96), QPointF(212, 98), QPointF(208, 128));
    sum.cubicTo(QPointF(205, 150), QPointF(176, 170), QPointF(162, 198));
    sum.lineTo(210, 198);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(250, 248, 232), 13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(sum);
}

QImage drawArrow(bool right)
{
    QImage img = canvas(24, 24);
    QPainter p;
    beginPainter(p, img);
    if (!right) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    p.setPen(glyphPen(3));
    p.setBrush(Qt::NoBrush);
    QPainterPath a(QPointF(4, 12));
    a.lineTo(19, 12);
    a.moveTo(13, 6);
    a.lineTo(19, 12);
    a.lineTo(13, 18);
    p.drawPath(a);
    return img;
}

} // namespace art
