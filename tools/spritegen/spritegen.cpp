// Draws the characters' sprite sheets and writes them, with the animation script that
// describes them, into data/Pictures.
// Usage: spritegen REPO_ROOT [--preview DIR]
#include "characters.h"

#include "artgen/paint.h"
#include "platform/LargeDrawing.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

using sprites::Pose;

namespace {

bool g_ok = true;

void fail(const QString &what)
{
    std::fprintf(stderr, "spritegen: %s\n", qPrintable(what));
    g_ok = false;
}

struct Action
{
    const char *id;
    int delay;
    std::vector<Pose> poses; // one per frame
    const char *adjust = ""; // "[index,dx,dy,extra]" groups for the script
};

struct Character
{
    const char *id;
    const char *pic;
    int cellW, cellH;
    int x, y, depth;
    const char *curAct;
    std::vector<Action> actions;
    std::function<void(QPainter &, double, double, const Pose &)> draw;
    bool mayCoverBoard = false;
};

// Keyed, not blended: pixels at least half covered take the art's own colour, the rest the
// key, so edges never fringe pink. Art that happens to hit a key colour is nudged off it.
QImage flatten(const QImage &art)
{
    const QImage a = art.convertToFormat(QImage::Format_ARGB32);
    QImage out(a.size(), QImage::Format_RGB888);
    const QRgb magenta = art::kKeyMagenta.rgb(), grey = art::kKeyGrey.rgb();
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            QRgb c = qRgb(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
            if (c == magenta || c == grey) c = qRgb(qRed(c), qGreen(c), qBlue(c) - 1);
            out.setPixel(x, y, qAlpha(in[x]) >= 128 ? c : magenta);
        }
    }
    return out;
}

// Poses by frame: a breathing, blinking think loop; a crouch, jump and cheer; a head shake.
std::vector<Pose> thinkLoop(int frames, int blinkAt, bool thinking)
{
    std::vector<Pose> v;
    for (int i = 0; i < frames; ++i) {
        Pose p;
        p.breathe = std::sin(2 * M_PI * i / frames);
        p.tilt = 2.5 * std::sin(2 * M_PI * i / frames);
        p.tail = std::sin(2 * M_PI * i / frames);
        p.blink = i == blinkAt ? 1 : 0;
        p.thinking = thinking;
        v.push_back(p);
    }
    return v;
}

std::vector<Pose> cheer(std::vector<double> lift, std::vector<double> squash,
                        std::vector<double> arms)
{
    std::vector<Pose> v;
    for (size_t i = 0; i < lift.size(); ++i) {
        Pose p;
        p.lift = lift[i];
        p.squash = squash[i];
        p.arms = arms[i];
        p.mood = 1;
        p.tail = (i % 2) ? 1 : -1;
        p.tilt = (i % 3 == 0) ? 0 : (i % 3 == 1 ? -4 : 4);
        v.push_back(p);
    }
    return v;
}

std::vector<Pose> shake(std::vector<double> look)
{
    std::vector<Pose> v;
    for (double l : look) {
        Pose p;
        p.look = l;
        p.tilt = -l * 5;
        p.mood = -1;
        p.breathe = -0.6;
        v.push_back(p);
    }
    return v;
}

std::vector<Character> cast()
{
    using namespace sprites;
    std::vector<Character> c;
    // The old sheep stands by the apple tree, in front of it; the wolf leans out between the
    // board and the blossom tree; Woolly stands below the board, in front of the grass.
    c.push_back({"anOldSheep",
                 "oldsheep.bmp",
                 130,
                 160,
                 158,
                 374,
                 6,
                 "akThink",
                 {{"akThink", 190, thinkLoop(8, 5, false), "[0,0,0,400]"},
                  {"akYes", 90,
                   cheer({0, 6, 14, 18, 14, 6, 0, 0, 4, 1},
                         {0.08, 0, -0.04, -0.05, -0.03, 0, 0.08, 0, 0, 0},
                         {0.2, 0.5, 0.9, 1, 1, 0.9, 0.8, 1, 1, 1})},
                  {"akNo", 90, shake({0, -1, 1, -1, 1, -0.7, 0.7, -0.4, 0.4, 0})}},
                 drawOldSheep});
    c.push_back(
        {"anWolf",
         "wolf.bmp",
         120,
         150,
         558,
         421,
         3,
         "akThink",
         {{"akThink", 190, thinkLoop(8, 3, false), "[3,0,0,300]"},
          {"akYes", 90,
           cheer({0, 5, 12, 16, 12, 5, 0, 0, 4, 1}, {0.1, 0, -0.04, -0.05, -0.03, 0, 0.1, 0, 0, 0},
                 {0.1, 0.5, 1, 1, 1, 0.9, 0.7, 1, 0.8, 1})},
          {"akNo", 90, shake({0, -1, 1, -1, 1, -0.7, 0.7, -0.4, 0.4, 0})}},
         drawWolf});
    c.push_back({"anWoolly",
                 "woolly.bmp",
                 100,
                 110,
                 372,
                 452,
                 12,
                 "akThink",
                 {{"akThink", 190, thinkLoop(8, 6, true), "[0,0,0,300][4,0,0,200]"},
                  {"akYes", 90,
                   cheer({0, 8, 16, 22, 16, 8, 0, 0, 6, 10, 6, 0},
                         {0.12, 0, -0.05, -0.06, -0.05, 0, 0.12, 0, 0, 0, 0, 0.05},
                         {0.3, 0.6, 1, 1, 1, 0.8, 0.5, 1, 1, 1, 1, 0.6}),
                   "[2,0,-3,0][3,0,-6,0][4,0,-3,0]"},
                  {"akNo", 90, shake({0, -1, 1, -1, 1, -1, 1, -0.6, 0.6, -0.3, 0.3, 0})}},
                 drawWoolly});
    Character fly{"anButterFly", "butterfly.bmp", 44, 40, 60, 110, 0, "akRight", {}, nullptr, true};
    for (const char *id : {"akRight", "akLeft"}) {
        Action a{id, 90, {}};
        for (int i = 0; i < 8; ++i) {
            Pose p;
            p.lift = i / 8.0; // the wing beat phase
            a.poses.push_back(p);
        }
        fly.actions.push_back(a);
    }
    fly.draw = [](QPainter &p, double w, double h, const Pose &pose) {
        drawButterfly(p, w, h, pose.lift);
    };
    c.push_back(fly);
    return c;
}

size_t sheetColumns(const Character &who)
{
    size_t columns = 0;
    for (const Action &a : who.actions)
        columns = std::max(columns, a.poses.size());
    return columns;
}

// Every pose on a canvas of its own, mirrored for the walk to the left, handed to put with its
// column and row on the sheet.
template <class Put> void drawCells(const Character &who, Put put)
{
    for (size_t row = 0; row < who.actions.size(); ++row) {
        const Action &a = who.actions[row];
        for (size_t f = 0; f < a.poses.size(); ++f) {
            QImage cell = art::canvas(who.cellW, who.cellH);
            QPainter p;
            art::beginPainter(p, cell);
            if (QByteArray(a.id) == "akLeft") {
                p.translate(who.cellW, 0);
                p.scale(-1, 1);
            }
            who.draw(p, who.cellW, who.cellH, a.poses[f]);
            p.end();
            put(int(f), int(row), cell);
        }
    }
}

QImage drawSheet(const Character &who)
{
    QImage sheet(int(sheetColumns(who)) * who.cellW, int(who.actions.size()) * who.cellH,
                 QImage::Format_RGB888);
    sheet.fill(art::kKeyMagenta);
    QPainter out(&sheet);
    drawCells(who, [&](int column, int row, const QImage &cell) {
        QImage flat = flatten(cell);
        // The bottom-left pixel of every cell is the key the game leaves out.
        flat.setPixel(0, who.cellH - 1, art::kKeyMagenta.rgb());
        out.drawImage(column * who.cellW, row * who.cellH, flat);
    });
    return sheet;
}

// The same sheet at three times the size, for zoomed screens: each cell drawn on its own, so
// smoothing never reaches across a cell's edge, with its bottom-left block left out as the
// small cell's key pixel is.
QImage drawLargeSheet(const Character &who)
{
    const int s = LargeDrawing::Scale;
    QImage sheet(int(sheetColumns(who)) * who.cellW * s, int(who.actions.size()) * who.cellH * s,
                 QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter out(&sheet);
    out.setCompositionMode(QPainter::CompositionMode_Source);
    art::setCanvasScale(s);
    drawCells(who, [&](int column, int row, const QImage &cell) {
        QImage large = art::largeKeyed(cell);
        art::clearLargePixel(large, QPoint(0, who.cellH - 1));
        out.drawImage(column * who.cellW * s, row * who.cellH * s, large);
    });
    art::setCanvasScale(1);
    return sheet;
}

// Nobody may stand over the board, the hint panel, or outside the scene.
void checkPlacement(const Character &who, const QImage &sheet)
{
    const QRect board(290, 73, 256, 357), hint(518, 92, 200, 150), scene(0, 0, 800, 600);
    const QRgb key = art::kKeyMagenta.rgb();
    for (size_t row = 0; row < who.actions.size(); ++row) {
        const Action &a = who.actions[row];
        const QString adj = QString::fromLatin1(a.adjust);
        for (size_t f = 0; f < a.poses.size(); ++f) {
            int dy = 0;
            // The script's offsets move the frame too.
            const QString tag = QStringLiteral("[%1,").arg(f);
            const qsizetype at = adj.indexOf(tag);
            if (at >= 0) dy = adj.mid(at + tag.size()).section(QLatin1Char(','), 1, 1).toInt();
            QRect used;
            for (int y = 0; y < who.cellH; ++y)
                for (int x = 0; x < who.cellW; ++x)
                    if (sheet.pixel(int(f) * who.cellW + x, int(row) * who.cellH + y) != key)
                        used |= QRect(who.x + x, who.y + dy + y, 1, 1);
            if (used.isEmpty())
                fail(QStringLiteral("%1 %2 frame %3 is empty").arg(who.id, a.id).arg(f));
            if (who.mayCoverBoard) continue;
            if (used.intersects(board) || used.intersects(hint) || !scene.contains(used))
                fail(QStringLiteral("%1 %2 frame %3 covers the board or the hint (%4,%5 %6x%7)")
                         .arg(who.id, a.id)
                         .arg(f)
                         .arg(used.x())
                         .arg(used.y())
                         .arg(used.width())
                         .arg(used.height()));
        }
    }
}

QStringList script(const std::vector<Character> &all)
{
    QStringList lines;
    for (const Character &who : all) {
        lines << QStringLiteral("begin");
        lines << QStringLiteral("name=%1").arg(QLatin1String(who.id));
        lines << QStringLiteral("pic=%1").arg(QLatin1String(who.pic));
        lines << QStringLiteral("cell=%1,%2").arg(who.cellW).arg(who.cellH);
        lines << QStringLiteral("pos=%1,%2,%3").arg(who.x).arg(who.y).arg(who.depth);
        lines << QStringLiteral("curact=%1").arg(QLatin1String(who.curAct));
        for (size_t row = 0; row < who.actions.size(); ++row) {
            const Action &a = who.actions[row];
            lines << QStringLiteral("action=%1,%2,%3,%4%5")
                         .arg(row)
                         .arg(a.poses.size())
                         .arg(QLatin1String(a.id))
                         .arg(a.delay)
                         .arg(QLatin1String(a.adjust));
        }
        lines << QStringLiteral("end");
    }
    return lines;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: spritegen REPO_ROOT [--preview DIR]\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString preview = argc >= 4 && QByteArray(argv[2]) == "--preview"
                                ? QString::fromLocal8Bit(argv[3])
                                : QString();
    const QString pictures = root + QStringLiteral("/data/Pictures/");
    QDir().mkpath(pictures);
    const std::vector<Character> all = cast();
    for (const Character &who : all) {
        const QImage sheet = drawSheet(who);
        checkPlacement(who, sheet);
        if (!sheet.save(pictures + QLatin1String(who.pic), "BMP"))
            fail(QStringLiteral("cannot write %1").arg(QLatin1String(who.pic)));
        const QString large = LargeDrawing::fileFor(pictures + QLatin1String(who.pic));
        if (!art::saveLarge(drawLargeSheet(who), sheet, large))
            fail(QStringLiteral("cannot write %1").arg(large));
        if (!preview.isEmpty()) {
            QDir().mkpath(preview);
            sheet.save(preview + QLatin1Char('/') + QLatin1String(who.pic) +
                       QStringLiteral(".png"));
        }
    }
    QFile file(pictures + QStringLiteral("Animation.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(QStringLiteral("cannot write Animation.txt"));
    } else {
        const QStringList lines = script(all);
        file.write(lines.join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
    }
    return g_ok ? 0 : 1;
}
