#include "characters.h"

#include "artgen/paint.h"

#include <QPainterPath>
#include <QTransform>
#include <cmath>

namespace sprites {

using namespace art;

namespace {

const QColor kInk(58, 44, 48);
const QColor kMouth(170, 52, 60);
const QColor kTongue(240, 120, 130);

void eye(QPainter &p, QPointF c, double r, const Pose &pose)
{
    if (pose.blink > 0.5 || pose.mood > 0) {
        // Shut, or squeezed happy: an arc, upwards when delighted.
        QPainterPath arc;
        const double dy = pose.mood > 0 ? r * 0.5 : -r * 0.1;
        arc.moveTo(c + QPointF(-r, dy * 0.2));
        arc.quadTo(c + QPointF(0, pose.mood > 0 ? -r : r * 0.6), c + QPointF(r, dy * 0.2));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(arc);
        return;
    }
    fillFlat(p, ellipse(c, r, r * 1.15), QColor(255, 255, 252), false);
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r * 1.15);
    const QPointF pupil = c + QPointF(pose.look * r * 0.35, pose.thinking ? -r * 0.35 : r * 0.1);
    fillFlat(p, circle(pupil, r * 0.58), kInk, false);
    fillFlat(p, circle(pupil + QPointF(-r * 0.2, -r * 0.25), r * 0.2), QColor(255, 255, 255),
             false);
}

void brow(QPainter &p, QPointF c, double len, int side, const Pose &pose, const QColor &col,
          double width)
{
    // Sorry brows rise towards the middle, delighted ones arch up.
    const double inner = pose.mood < 0 ? -len * 0.35 : pose.mood > 0 ? -len * 0.15 : 0;
    QPainterPath b(c + QPointF(-side * len * 0.5, 0));
    b.quadTo(c + QPointF(0, -len * 0.25), c + QPointF(side * len * 0.5, inner));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(col, width, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(b);
}

void mouth(QPainter &p, QPointF c, double w, const Pose &pose)
{
    if (pose.mood > 0) {
        QPainterPath m(c + QPointF(-w, 0));
        m.cubicTo(c + QPointF(-w * 0.8, w * 1.2), c + QPointF(w * 0.8, w * 1.2), c + QPointF(w, 0));
        m.closeSubpath();
        fillFlat(p, m, kMouth, true);
        p.save();
        p.setClipPath(m);
        fillFlat(p, ellipse(c + QPointF(0, w * 0.8), w * 0.55, w * 0.4), kTongue, false);
        p.restore();
        return;
    }
    QPainterPath m(c + QPointF(-w * 0.6, 0));
    if (pose.mood < 0)
        m.quadTo(c + QPointF(0, -w * 0.45), c + QPointF(w * 0.6, 0));
    else
        m.quadTo(c + QPointF(0, w * 0.55), c + QPointF(w * 0.6, 0));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(m);
}

QPainterPath wool(QPointF c, double rx, double ry, int puffs, double puff)
{
    QList<QPointF> centres{c};
    QList<double> radii{std::min(rx, ry) * 0.9};
    for (int i = 0; i < puffs; ++i) {
        const double a = 2 * M_PI * i / puffs;
        centres << c + QPointF(std::cos(a) * rx * 0.78, std::sin(a) * ry * 0.72);
        radii << puff;
    }
    return blobs(centres, radii);
}

void leg(QPainter &p, QPointF top, QPointF foot, double width, const QColor &c, const QColor &hoof)
{
    QPainterPath l(top);
    l.lineTo(foot);
    strokeOutlined(p, l, width, c);
    fillLit(p, ellipse(foot + QPointF(0, 1), width * 0.75, width * 0.45), hoof, true, 0.2);
}

} // namespace

void drawOldSheep(QPainter &p, double w, double h, const Pose &pose)
{
    const QColor woolC = pal::cream;
    const QColor face(132, 104, 92);
    const QColor hoof(76, 60, 58);
    const double gy = h - 6;
    const double cx = w / 2 - 13;
    const double bodyRy = 31 * (1 + 0.04 * pose.breathe) * (1 - pose.squash);
    const double bodyRx = 40 * (1 + 0.03 * pose.breathe) * (1 + pose.squash * 0.6);
    const double bodyCy = gy - 26 - bodyRy - pose.lift;
    // Legs reach the ground unless the sheep is in the air.
    for (int side : {-1, 1}) {
        const QPointF top(cx + side * 17, bodyCy + bodyRy * 0.6);
        leg(p, top, QPointF(top.x() + side * 2, gy - 4 - pose.lift), 8, face, hoof);
    }
    const QPainterPath body = wool(QPointF(cx, bodyCy), bodyRx, bodyRy, 10, 15);
    fillLit(p, body, woolC, true, 0.12);
    // Head.
    const QPointF head(cx + pose.look * 5, bodyCy - bodyRy - 6);
    p.save();
    p.translate(head);
    p.rotate(pose.tilt);
    for (int side : {-1, 1}) {
        p.save();
        p.translate(side * 21, -4);
        p.rotate(side * (pose.mood < 0 ? 35 : 15));
        fillLit(p, ellipse(QPointF(side * 6, 0), 11, 6), face, true, 0.15);
        p.restore();
    }
    fillLit(p, ellipse(QPointF(0, 4), 19, 23), face, true, 0.16);
    fillLit(p, wool(QPointF(0, -19), 18, 8, 6, 8), woolC, true, 0.1);
    const double fx = pose.look * 6;
    for (int side : {-1, 1}) {
        eye(p, QPointF(fx + side * 8, 2), 4.2, pose);
        brow(p, QPointF(fx + side * 8, -8), 11, side, pose, pal::cream, 3);
    }
    // Round reading glasses.
    p.setBrush(QColor(226, 240, 252, 90));
    p.setPen(QPen(QColor(90, 62, 40), 1.8));
    for (int side : {-1, 1})
        p.drawEllipse(QPointF(fx + side * 8, 2), 7, 7);
    p.drawLine(QPointF(fx - 1.5, 1), QPointF(fx + 1.5, 1));
    fillFlat(p, ellipse(QPointF(fx, 14), 5, 3.4), QColor(88, 62, 60), false);
    mouth(p, QPointF(fx, 19), 6, pose);
    p.restore();
    // The foreleg with the cane, raised in a cheer.
    const QPointF shoulder(cx + 30, bodyCy - 6);
    const double a = pose.arms * 2.2;
    const QPointF hand =
        shoulder + QPointF(12 + std::sin(a) * 4, 26 - std::sin(a) * 44 - pose.arms * 10);
    p.save();
    p.translate(hand);
    p.rotate(-pose.arms * 165 + pose.tilt);
    // Long enough to reach the ground from the resting hand.
    QPainterPath cane(QPointF(0, 38));
    cane.lineTo(0, -6);
    cane.cubicTo(QPointF(0, -20), QPointF(-16, -20), QPointF(-16, -8));
    strokeOutlined(p, cane, 4.5, pal::wood);
    p.restore();
    QPainterPath arm(shoulder);
    arm.lineTo(hand);
    strokeOutlined(p, arm, 11, woolC);
    fillLit(p, circle(hand, 5.5), face, true, 0.15);
}

void drawWolf(QPainter &p, double w, double h, const Pose &pose)
{
    const QColor fur(124, 136, 158);
    const QColor belly(236, 230, 216);
    const QColor scarf = pal::apple;
    const double gy = h - 6;
    const double cx = w / 2;
    const double lift = pose.lift;
    const double bodyH = 40 * (1 + 0.03 * pose.breathe) * (1 - pose.squash);
    const double hipY = gy - 28 - lift + pose.squash * 10;
    // Bushy tail behind, wagging.
    {
        p.save();
        p.translate(cx + 16, hipY - 6);
        p.rotate(-30 + pose.tail * 22);
        QPainterPath tail(QPointF(0, 0));
        tail.cubicTo(QPointF(22, -4), QPointF(36, -22), QPointF(30, -44));
        tail.cubicTo(QPointF(22, -30), QPointF(10, -18), QPointF(-2, -10));
        tail.closeSubpath();
        fillLit(p, tail, fur, true, 0.2);
        QPainterPath tip(QPointF(30, -44));
        tip.cubicTo(QPointF(33, -36), QPointF(30, -32), QPointF(26, -30));
        tip.cubicTo(QPointF(26, -36), QPointF(28, -40), QPointF(30, -44));
        fillFlat(p, tip, belly, false);
        p.restore();
    }
    for (int side : {-1, 1}) {
        const QPointF top(cx + side * 11, hipY);
        leg(p, top, QPointF(cx + side * 14, gy - 5 - lift), 12, fur, shade(fur, 0.75));
    }
    const QPointF chest(cx, hipY - bodyH * 0.5);
    const QPainterPath body = ellipse(chest, 23 * (1 + 0.03 * pose.breathe), bodyH * 0.62);
    fillLit(p, body, fur, true, 0.18);
    fillFlat(p, ellipse(chest + QPointF(0, 5), 13, bodyH * 0.42), belly, false);
    // Arms: hanging, or thrown up in a cheer.
    for (int side : {-1, 1}) {
        const QPointF shoulder(cx + side * 19, chest.y() - bodyH * 0.35);
        const double up = pose.arms;
        const QPointF hand = shoulder + QPointF(side * (8 + up * 10), 30 - up * 62);
        QPainterPath arm(shoulder);
        arm.quadTo(shoulder + QPointF(side * 12, 10 - up * 20), hand);
        strokeOutlined(p, arm, 9, fur);
        fillLit(p, circle(hand, 6), shade(fur, 0.9), true, 0.2);
    }
    // Scarf.
    const QPointF neck(cx, chest.y() - bodyH * 0.55);
    QPainterPath knot;
    knot.addRoundedRect(QRectF(neck.x() - 20, neck.y() - 5, 40, 11), 5, 5);
    fillLit(p, knot, scarf, true, 0.2);
    QPainterPath end(neck + QPointF(8, 3));
    end.lineTo(neck + QPointF(20, 20 + pose.tail * 2));
    end.lineTo(neck + QPointF(10, 22));
    end.closeSubpath();
    fillLit(p, end, shade(scarf, 0.92), true, 0.15);
    // Head.
    const QPointF head(cx + pose.look * 5, neck.y() - 22);
    p.save();
    p.translate(head);
    p.rotate(pose.tilt);
    for (int side : {-1, 1}) {
        QPainterPath ear(QPointF(side * 8, -14));
        const double droop = pose.mood < 0 ? 10 : 0;
        ear.lineTo(QPointF(side * (20 + droop), -38 + droop * 1.4));
        ear.lineTo(QPointF(side * 24, -8));
        ear.closeSubpath();
        fillLit(p, ear, fur, true, 0.2);
        QPainterPath inner(QPointF(side * 11, -15));
        inner.lineTo(QPointF(side * (19 + droop * 0.9), -31 + droop * 1.2));
        inner.lineTo(QPointF(side * 21, -12));
        inner.closeSubpath();
        fillFlat(p, inner, QColor(236, 170, 170), false);
    }
    fillLit(p, ellipse(QPointF(0, 0), 24, 21), fur, true, 0.18);
    const double fx = pose.look * 7;
    // Cheek tufts.
    for (int side : {-1, 1}) {
        QPainterPath tuft(QPointF(side * 21, 2));
        tuft.lineTo(QPointF(side * 29, 8));
        tuft.lineTo(QPointF(side * 20, 11));
        tuft.closeSubpath();
        fillFlat(p, tuft, fur, true);
    }
    fillLit(p, ellipse(QPointF(fx, 10), 14, 10), belly, true, 0.1);
    for (int side : {-1, 1}) {
        eye(p, QPointF(fx + side * 9, -5), 4.4, pose);
        brow(p, QPointF(fx + side * 9, -13), 10, side, pose, shade(fur, 0.55), 2.6);
    }
    fillLit(p, ellipse(QPointF(fx, 4), 5.5, 4), QColor(52, 46, 58), false, 0.3);
    mouth(p, QPointF(fx, 12), 7, pose);
    if (pose.mood >= 0) {
        // A cheeky fang.
        QPainterPath fang(QPointF(fx + 2, 12.5));
        fang.lineTo(QPointF(fx + 4, 16.5));
        fang.lineTo(QPointF(fx + 5.5, 12.5));
        fang.closeSubpath();
        fillFlat(p, fang, QColor(255, 255, 250), false);
    }
    p.restore();
}

void drawWoolly(QPainter &p, double w, double h, const Pose &pose)
{
    const QColor woolC(250, 250, 246);
    const QColor face(255, 228, 214);
    const QColor hoof(120, 92, 96);
    const double gy = h - 5;
    const double cx = w / 2;
    const double bodyRy = 19 * (1 + 0.05 * pose.breathe) * (1 - pose.squash);
    const double bodyRx = 27 * (1 + 0.03 * pose.breathe) * (1 + pose.squash * 0.5);
    const double bodyCy = gy - 16 - bodyRy - pose.lift;
    for (int side : {-1, 1}) {
        const QPointF top(cx + side * 12, bodyCy + bodyRy * 0.5);
        leg(p, top, QPointF(top.x() + side * (pose.lift > 4 ? 4 : 1), gy - 3 - pose.lift), 7, face,
            hoof);
    }
    fillLit(p, wool(QPointF(cx, bodyCy), bodyRx, bodyRy, 9, 10), woolC, true, 0.1);
    // A small bell on a blue ribbon.
    const QPointF neck(cx, bodyCy - bodyRy + 4);
    QPainterPath ribbon(neck + QPointF(-14, -2));
    ribbon.quadTo(neck + QPointF(0, 6), neck + QPointF(14, -2));
    strokeOutlined(p, ribbon, 3.5, pal::petalBlue);
    fillLit(p, circle(neck + QPointF(0, 6), 4.5), pal::gold, true, 0.3);
    // Head, big for a lamb.
    const QPointF head(cx + pose.look * 4, bodyCy - bodyRy - 13);
    p.save();
    p.translate(head);
    p.rotate(pose.tilt);
    for (int side : {-1, 1}) {
        p.save();
        p.translate(side * 18, -2);
        p.rotate(side * (pose.mood < 0 ? 40 : pose.mood > 0 ? -10 : 12));
        fillLit(p, ellipse(QPointF(side * 6, 0), 10, 5.5), face, true, 0.15);
        fillFlat(p, ellipse(QPointF(side * 6, 0), 6, 2.8), QColor(250, 176, 186), false);
        p.restore();
    }
    fillLit(p, ellipse(QPointF(0, 3), 17, 17), face, true, 0.12);
    fillLit(p, wool(QPointF(0, -13), 13, 6, 6, 6.5), woolC, true, 0.08);
    const double fx = pose.look * 5;
    for (int side : {-1, 1})
        eye(p, QPointF(fx + side * 7, 2), 4.6, pose);
    if (pose.mood < 0)
        for (int side : {-1, 1})
            brow(p, QPointF(fx + side * 7, -6), 8, side, pose, shade(face, 0.6), 2);
    fillFlat(p, ellipse(QPointF(fx, 11), 3.4, 2.4), QColor(226, 128, 140), false);
    mouth(p, QPointF(fx, 15), 5, pose);
    // Rosy cheeks.
    for (int side : {-1, 1})
        fillFlat(p, ellipse(QPointF(fx + side * 12, 10), 3.5, 2.2), QColor(255, 190, 196), false);
    p.restore();
    if (pose.thinking) {
        // A hoof under the chin.
        const QPointF hoofAt = head + QPointF(9 + pose.look * 4, 21);
        QPainterPath arm(QPointF(cx + 16, bodyCy - 4));
        arm.quadTo(QPointF(cx + 22, bodyCy - 12), hoofAt);
        strokeOutlined(p, arm, 7, woolC);
        fillLit(p, ellipse(hoofAt, 4.5, 3.5), hoof, true, 0.2);
    } else if (pose.arms > 0) {
        for (int side : {-1, 1}) {
            const QPointF shoulder(cx + side * 18, bodyCy - 6);
            const QPointF tip = shoulder + QPointF(side * 12, -20 * pose.arms);
            QPainterPath arm(shoulder);
            arm.lineTo(tip);
            strokeOutlined(p, arm, 7, woolC);
            fillLit(p, ellipse(tip, 4, 3.5), hoof, true, 0.2);
        }
    }
}

void drawButterfly(QPainter &p, double w, double h, double phase)
{
    const QPointF c(w / 2, h / 2);
    // The wings fold towards the body and open again once per beat.
    const double open = 0.22 + 0.78 * std::fabs(std::cos(M_PI * phase));
    p.save();
    p.translate(c);
    p.rotate(18);
    for (int side : {-1, 1}) {
        p.save();
        p.scale(side * open, 1);
        QPainterPath upper(QPointF(0, -2));
        upper.cubicTo(QPointF(6, -20), QPointF(22, -20), QPointF(19, -6));
        upper.cubicTo(QPointF(17, 0), QPointF(8, 1), QPointF(0, 0));
        fillLit(p, upper, pal::petalViolet, true, 0.25);
        fillFlat(p, circle(QPointF(13, -10), 3.2), pal::petalYellow, false);
        QPainterPath lower(QPointF(0, 1));
        lower.cubicTo(QPointF(12, 2), QPointF(16, 12), QPointF(9, 15));
        lower.cubicTo(QPointF(4, 16), QPointF(1, 9), QPointF(0, 3));
        fillLit(p, lower, pal::blossom, true, 0.25);
        p.restore();
    }
    fillFlat(p, ellipse(QPointF(0, 1), 2.2, 9), QColor(70, 52, 66), false);
    fillFlat(p, circle(QPointF(0, -9), 2.8), QColor(70, 52, 66), false);
    p.setPen(QPen(QColor(70, 52, 66), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int side : {-1, 1}) {
        QPainterPath ant(QPointF(side * 1, -11));
        ant.quadTo(QPointF(side * 3, -17), QPointF(side * 6, -18));
        p.drawPath(ant);
    }
    p.restore();
}

} // namespace sprites
