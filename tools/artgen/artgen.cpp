// Draws all of Sumsprout's pictures and writes them into the source tree.
// Usage: artgen REPO_ROOT [--preview DIR]
#include "paint.h"
#include "pictures.h"

#include "game/SurroundStrips.h"
#include "platform/LargeDrawing.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

using namespace art;

namespace {

bool g_ok = true;

void fail(const QString &what)
{
    std::fprintf(stderr, "artgen: %s\n", qPrintable(what));
    g_ok = false;
}

// Scene pictures are keyed, not alpha blended: the game leaves out every pixel that has the
// colour of the bottom-left pixel. Edges are anti-aliased against the art's own colour and
// then cut at half coverage, so no pink fringe can appear.
QImage flatten(const QImage &art, const QString &name)
{
    const QImage a = art.convertToFormat(QImage::Format_ARGB32);
    QImage out(a.size(), QImage::Format_RGB888);
    const QRgb key = kKeyMagenta.rgb();
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const bool solid = qAlpha(in[x]) >= 128;
            const QRgb c = qRgb(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
            if (solid && c == key)
                fail(QStringLiteral("%1: art pixel (%2,%3) is the key colour")
                         .arg(name)
                         .arg(x)
                         .arg(y));
            out.setPixel(x, y, solid ? c : key);
        }
    }
    out.setPixel(0, out.height() - 1, key);
    return out;
}

// Neither key colour may appear in the art itself.
void checkKeys(const QImage &img, const QString &name, bool keyed)
{
    const QRgb magenta = kKeyMagenta.rgb(), grey = kKeyGrey.rgb();
    int bad = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) | 0xff000000;
            if (c == grey || (!keyed && c == magenta)) ++bad;
        }
    if (bad) fail(QStringLiteral("%1: %2 pixels use a key colour").arg(name).arg(bad));
    if (keyed && img.pixel(0, img.height() - 1) != magenta)
        fail(QStringLiteral("%1: bottom-left pixel is not the key").arg(name));
}

void checkBmpHeader(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        fail(path + ": cannot read back");
        return;
    }
    const QByteArray h = f.read(54);
    auto u16 = [&](int at) { return quint8(h[at]) | quint8(h[at + 1]) << 8; };
    if (h.size() < 54 || !h.startsWith("BM") || u16(28) != 24 || u16(30) != 0)
        fail(path + ": not a 24-bit uncompressed BMP");
}

void save(const QImage &img, const QString &path, const char *format, int quality = -1)
{
    QDir().mkpath(QFileInfo(path).path());
    if (!img.save(path, format, quality)) fail(path + ": cannot write");
}

struct ScenePicture
{
    const char *name;
    QPoint at;
    QImage (*draw)();
};

// The hint panel beside the blackboard, and the hint text inside it.
constexpr QPoint kHintAt(518, 92);
const QRect kHintText(62, 24, 100, 100);

const ScenePicture kScene[] = {
    {"Back", {0, 0}, drawBack},
    {"BlackBoard", {290, 73}, drawBlackBoard},
    {"TreeLeft", {0, 217}, drawTreeLeft},
    {"TreeRight", {601, 217}, drawTreeRight},
    {"GrassLeft", {0, 374}, drawGrassLeft},
    {"GrassRight", {537, 460}, drawGrassRight},
    {"Hint", {kHintAt.x(), kHintAt.y()}, drawHint},
};

// Where the game writes the sum on the board.
const QRect kWriting(327, 115, 180, 240);

// WCAG relative luminance and contrast ratio.
double luminance(const QColor &c)
{
    auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(c.red()) + 0.7152 * lin(c.green()) + 0.0722 * lin(c.blue());
}
double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QImage keyedOut(const QImage &img)
{
    QImage a = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = img.pixel(0, img.height() - 1);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) | 0xff000000) == key) a.setPixel(x, y, 0);
    return a;
}

void checkLayout(const QString &name, const QImage &img, QPoint at)
{
    const QRect scene(0, 0, 800, 600);
    if (!scene.contains(QRect(at, img.size()))) fail(name + ": reaches outside the scene");
    const QRgb key = img.pixel(0, img.height() - 1);
    if (name == "BlackBoard") {
        // Board green under all the writing, dark enough for the red marks (3 : 1) and the
        // yellow digits (7 : 1).
        const QRect area = kWriting.translated(-at);
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.green() <= c.red() || contrast(c, Qt::red) < 3.1 ||
                    contrast(c, Qt::yellow) < 7.0)
                    return fail(name + ": writing area is not all dark board green");
            }
        return;
    }
    if (name == "Hint") {
        const QRgb first = img.pixel(kHintText.topLeft());
        for (int y = kHintText.top(); y <= kHintText.bottom(); ++y)
            for (int x = kHintText.left(); x <= kHintText.right(); ++x)
                if (img.pixel(x, y) != first) return fail(name + ": hint text area is not plain");
    }
    if (name == "Back") return;
    const QRect over = kWriting.intersected(QRect(at, img.size()));
    for (int y = over.top(); y <= over.bottom(); ++y)
        for (int x = over.left(); x <= over.right(); ++x)
            if (img.pixel(x - at.x(), y - at.y()) != key)
                return fail(name + ": covers the blackboard writing area");
}

void writeScene(const QString &root, const QString &preview)
{
    QImage composite;
    QPainter p;
    for (const ScenePicture &pic : kScene) {
        const QString name = pic.name;
        const QString path = root + "/data/Pictures/" + name + ".bmp";
        const bool keyed = name != "Back";
        const QImage img =
            keyed ? flatten(pic.draw(), name) : pic.draw().convertToFormat(QImage::Format_RGB888);
        checkKeys(img, name, keyed);
        save(img, path, "BMP");
        checkBmpHeader(path);
        const QImage back(path);
        if (back.isNull() || back.convertToFormat(QImage::Format_RGB888) != img)
            fail(path + ": does not read back the same");
        checkLayout(name, img, pic.at);
        // The same drawing at three times the size, for zoomed screens.
        setCanvasScale(LargeDrawing::Scale);
        QImage large = pic.draw();
        setCanvasScale(1);
        if (keyed) {
            large = largeKeyed(large);
            clearLargePixel(large, QPoint(0, img.height() - 1));
        } else {
            large = large.convertToFormat(QImage::Format_RGB32);
        }
        if (!saveLarge(large, img, LargeDrawing::fileFor(path)))
            fail(LargeDrawing::fileFor(path) + ": cannot write at three times the size");
        if (preview.isEmpty()) continue;
        if (!keyed) {
            composite = back.convertToFormat(QImage::Format_RGB32);
            p.begin(&composite);
            continue;
        }
        p.setOpacity(name == "Hint" ? 0.6 : 1.0);
        p.drawImage(pic.at, keyedOut(back));
    }
    if (preview.isEmpty()) return;
    p.end();
    save(composite, preview + "/preview.png", "PNG");
    p.begin(&composite);
    p.setPen(QPen(Qt::red, 1));
    p.drawRect(kWriting.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::blue, 1));
    p.drawRect(kHintText.translated(kHintAt).adjusted(0, 0, -1, -1));
    p.end();
    save(composite, preview + "/preview-areas.png", "PNG");
}

// Everything the strips cover, the scene in its middle.
const QRect kAround(-512, -64, 800 + 2 * 512, 64 + 600 + 256);

void writeBackStrips(const QString &root, const QString &preview)
{
    const QImage wide = drawBackAround(kAround).convertToFormat(QImage::Format_RGB888);
    setCanvasScale(LargeDrawing::Scale);
    const QImage wideLarge = drawBackAround(kAround).convertToFormat(QImage::Format_RGB32);
    setCanvasScale(1);
    // Back itself is drawn on its own; the wide drawing must show the same scene in its
    // middle, or the strips would not join it.
    const QImage back(root + "/data/Pictures/Back.bmp");
    const QImage middle = wide.copy(QRect(-kAround.topLeft(), QSize(800, 600)));
    qint64 off = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = SurroundStrips::Overlap; x < 800 - SurroundStrips::Overlap; ++x) {
            const QRgb a = back.pixel(x, y), b = middle.pixel(x, y);
            off += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b));
        }
    if (off > 800 * 600 / 4) fail("BackLeft ... BackBottom: the wide drawing is not Back inside");
    const int s = LargeDrawing::Scale;
    for (const SurroundStrips::Strip &strip : SurroundStrips::All) {
        const QString name = strip.name;
        const QString path = root + "/data/Pictures/" + name + ".bmp";
        const QRect in = strip.place.translated(-kAround.topLeft());
        const QImage img = wide.copy(in);
        checkKeys(img, name, false);
        save(img, path, "BMP");
        checkBmpHeader(path);
        const QImage readBack(path);
        if (readBack.isNull() || readBack.convertToFormat(QImage::Format_RGB888) != img)
            fail(path + ": does not read back the same");
        const QImage large = wideLarge.copy(QRect(in.topLeft() * s, in.size() * s));
        if (!saveLarge(large, img, LargeDrawing::fileFor(path)))
            fail(LargeDrawing::fileFor(path) + ": cannot write at three times the size");
    }
    if (preview.isEmpty()) return;
    QImage composite = wide.convertToFormat(QImage::Format_RGB32);
    QPainter p(&composite);
    p.drawImage(-kAround.topLeft(), back);
    p.setPen(QPen(Qt::red, 1, Qt::DotLine));
    p.drawRect(QRect(-kAround.topLeft(), QSize(800, 600)).adjusted(0, 0, -1, -1));
    p.end();
    save(composite, preview + "/preview-wide.png", "PNG");
}

struct WindowPicture
{
    QString file;
    QSize size;
    std::function<QImage()> draw;
    // Drawn again at three times the size, which the game smooths down to large screens.
    bool large = true;
};

void writeWindowArt(const QString &root, const QString &preview)
{
    QList<WindowPicture> pics;
    for (int i = 0; i < 5; ++i)
        pics.append(
            {QStringLiteral("player%1.png").arg(i), {135, 160}, [i] { return drawPlayer(i); }});
    pics.append({"coin.jpg", {219, 163}, drawCoins});
    pics.append({"exit.png", {18, 18}, drawExitGlyph});
    pics.append({"settings.png", {18, 18}, drawSettingsGlyph});
    pics.append({"about.png", {18, 18}, drawAboutGlyph});
    pics.append({"results.png", {18, 18}, drawResultsGlyph});
    pics.append({"submit.png", {68, 68}, drawSubmit});
    pics.append({"erase.png", {68, 68}, drawErase});
    pics.append({"icon.png", {256, 256}, [] { return drawIcon(); }, false});
    pics.append({"arrow_right.png", {24, 24}, [] { return drawArrow(true); }});
    pics.append({"arrow_left.png", {24, 24}, [] { return drawArrow(false); }});

    QImage sheet(820, 620, QImage::Format_RGB32);
    sheet.fill(Qt::black);
    QPainter p(&sheet);
    int x = 10, y = 10, rowHeight = 0;
    for (const WindowPicture &pic : pics) {
        const QImage image = pic.draw();
        if (image.size() != pic.size) fail(pic.file + ": wrong size");
        const bool jpeg = pic.file.endsWith(".jpg");
        const QImage img =
            image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32) : image;
        save(img, root + "/app/art/" + pic.file, jpeg ? "JPG" : "PNG", jpeg ? 90 : -1);
        // Small glyphs are shown doubled in the preview so they can be judged.
        const int scale = pic.size.width() < 40 ? 3 : 1;
        const QSize shown = pic.size * scale;
        if (x + shown.width() > sheet.width()) {
            x = 10;
            y += rowHeight + 10;
            rowHeight = 0;
        }
        p.drawImage(QRect(QPoint(x, y), shown), QImage(root + "/app/art/" + pic.file));
        x += shown.width() + 10;
        rowHeight = std::max(rowHeight, shown.height());
    }
    p.end();
    if (!preview.isEmpty()) save(sheet, preview + "/preview-window.png", "PNG");

    setCanvasScale(3);
    for (const WindowPicture &pic : pics) {
        if (!pic.large) continue;
        QImage img = pic.draw();
        img.setDevicePixelRatio(1);
        const QSize base = QImage(root + "/app/art/" + pic.file).size();
        if (img.size() != base * 3) fail(pic.file + ": wrong size at three times");
        const bool jpeg = pic.file.endsWith(".jpg");
        if (img.hasAlphaChannel()) img = img.convertToFormat(QImage::Format_ARGB32);
        QString name = pic.file;
        name.insert(name.lastIndexOf('.'), "@3x");
        save(img, root + "/app/art/" + name, jpeg ? "JPG" : "PNG", jpeg ? 90 : -1);
    }
    setCanvasScale(1);
}

// The desktop menu's icon in the sizes of the hicolor theme, and as SVG.
void writeDesktopIcons(const QString &root)
{
    const QString dir = root + "/app/desktop/icons/hicolor/";
    for (int size : {48, 64, 128, 256}) {
        const QString path = dir + QStringLiteral("%1x%1/apps/sumsprout.png").arg(size);
        const QImage img = drawIcon(size).convertToFormat(QImage::Format_ARGB32);
        save(img, path, "PNG");
        if (QImage(path).size() != QSize(size, size)) fail(path + ": wrong size");
    }
    const QString svgPath = dir + "scalable/apps/sumsprout.svg";
    QDir().mkpath(QFileInfo(svgPath).path());
    QSvgGenerator svg;
    svg.setFileName(svgPath);
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle("Sumsprout");
    svg.setDescription("A seedling on a blackboard with a sum");
    QPainter p;
    if (!p.begin(&svg)) return fail(svgPath + ": cannot write");
    p.setRenderHint(QPainter::Antialiasing, true);
    paintIcon(p);
    p.end();

    // Icon themes size an SVG by its pixel width; the generator writes millimetres.
    QFile file(svgPath);
    if (!file.open(QIODevice::ReadOnly)) return fail(svgPath + ": cannot read back");
    QString text = QString::fromUtf8(file.readAll());
    file.close();
    text.replace(QRegularExpression(R"(<svg width="[^"]*" height="[^"]*")"),
                 R"(<svg width="256" height="256")");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0)
        return fail(svgPath + ": cannot write");
    file.close();

    // The SVG must look like the PNG: rendered back, no channel may be far off on average.
    QSvgRenderer renderer(svgPath);
    QImage back = canvas(256, 256);
    p.begin(&back);
    renderer.render(&p);
    p.end();
    const QImage png = drawIcon(256);
    double diff = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const QRgb a = back.pixel(x, y), b = png.pixel(x, y);
            diff += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                    std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
        }
    if (diff / (256.0 * 256 * 4) > 2.0) fail(svgPath + ": does not render like the PNG icon");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 && !(argc == 4 && QByteArray(argv[2]) == "--preview")) {
        std::fprintf(stderr, "usage: artgen REPO_ROOT [--preview DIR]\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString preview = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
    writeScene(root, preview);
    writeBackStrips(root, preview);
    writeWindowArt(root, preview);
    writeDesktopIcons(root);
    return g_ok ? 0 : 1;
}
