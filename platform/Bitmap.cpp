#include "platform/Bitmap.h"

#include "platform/Errors.h"
#include "platform/LargeDrawing.h"
#include "platform/TextFiles.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstring>

// One drawing call with the state it was made in, so a batch can be compared with the last
// one and drawn later.
struct Bitmap::Cmd
{
    enum Kind { FillRect, Frame, Line, Ellipse, Text, Glyph, Picture };
    Kind kind = FillRect;
    QRect rect;
    QPoint p1, p2;
    QString text;
    Pen pen;
    QColor brush;
    Font font;
    std::shared_ptr<const Bitmap> picture;

    // A frame, line or ellipse between two corners; only an ellipse has an inside.
    static Cmd shape(Kind kind, QPoint p1, QPoint p2, const Pen &pen, QColor brush = QColor())
    {
        Cmd c;
        c.kind = kind;
        c.p1 = p1;
        c.p2 = p2;
        c.pen = pen;
        c.brush = brush;
        return c;
    }

    bool operator==(const Cmd &o) const
    {
        if (kind != o.kind || rect != o.rect || p1 != o.p1 || p2 != o.p2 || text != o.text ||
            !(pen == o.pen) || brush != o.brush || !(font == o.font))
            return false;
        if (!picture || !o.picture) return picture == o.picture;
        return picture->m_ratio == o.picture->m_ratio && picture->m_key == o.picture->m_key &&
               picture->m_image == o.picture->m_image;
    }
};

struct Bitmap::Batch
{
    bool active = false;
    std::vector<Cmd> pending;
    std::vector<Cmd> last;
    qint64 lastKey = 0;
};

namespace {

const QColor GlyphKey(255, 0, 255);

// The font and its metrics, made once per font rather than once per call.
struct FontEntry
{
    Bitmap::Font key;
    QFont font;
    QFontMetrics metrics;
};

const FontEntry &fontEntry(const Bitmap::Font &asked)
{
    // Colours make no other font: one entry serves every colour and edge.
    Bitmap::Font font = asked;
    font.color = QColor();
    font.edge = QColor();
    static std::vector<FontEntry> cache;
    for (const FontEntry &e : cache)
        if (e.key == font) return e;
    if (cache.size() >= 16) cache.erase(cache.begin());
    const QFont f = qtFont(font);
    cache.push_back({font, f, QFontMetrics(f)});
    return cache.back();
}

QPen qtPen(const Bitmap::Pen &pen)
{
    QPen p(pen.color);
    p.setWidth(std::max(1, pen.width));
    p.setCapStyle(Qt::SquareCap);
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}

QRgb premultipliedOpaque(const QColor &c)
{
    return qRgb(c.red(), c.green(), c.blue());
}

// The wider stroke under a line or frame with an edge.
QPen edgePen(const Bitmap::Pen &pen)
{
    QPen p = qtPen(pen);
    p.setColor(pen.edge);
    p.setWidth(std::max(1, pen.width) + 2 * Bitmap::EdgeWidth);
    return p;
}

// Text with its edge: the glyphs' outline stroked in the edge colour, then the glyphs
// filled in the text colour over it. The painter's hints decide how smooth both are.
void drawEdgedText(QPainter &p, const QFont &font, QPointF baseline, const QString &text,
                   const QColor &colour, const QColor &edge, int points)
{
    QPainterPath path;
    path.addText(baseline, font, text);
    QPen outline(edge, 2 * Bitmap::TextEdgeWidth(points), Qt::SolidLine, Qt::RoundCap,
                 Qt::RoundJoin);
    p.strokePath(path, outline);
    p.fillPath(path, colour);
}

} // namespace

QImage keyedOut(const QImage &rgb, QRgb key, QSize deviceSize)
{
    QImage out(rgb.size(), QImage::Format_ARGB32_Premultiplied);
    key &= 0xFFFFFF;
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar *s = rgb.constScanLine(y);
        QRgb *d = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < rgb.width(); ++x, s += 3) {
            const QRgb c = (QRgb(s[0]) << 16) | (QRgb(s[1]) << 8) | s[2];
            d[x] = c == key ? 0 : (0xFF000000u | c);
        }
    }
    if (deviceSize != out.size())
        out = out.scaled(deviceSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out;
}

Bitmap::Bitmap(int width, int height)
{
    setSize(width, height);
}

Bitmap::Bitmap(const QImage &image)
{
    assign(image);
}

Bitmap::Bitmap(const Bitmap &other)
{
    *this = other;
}

Bitmap &Bitmap::operator=(const Bitmap &other)
{
    if (this == &other) return *this;
    other.settle();
    m_image = other.m_image;
    m_width = other.m_width;
    m_height = other.m_height;
    m_ratio = other.m_ratio;
    m_key = other.m_key;
    m_origin = other.m_origin;
    m_large = other.m_large;
    m_largeKey = other.m_largeKey;
    m_runs = other.m_runs;
    m_recording = other.m_recording;
    m_ops = other.m_ops;
    m_batch.reset();
    transparent = other.transparent;
    pen = other.pen;
    brush = other.brush;
    font = other.font;
    return *this;
}

Bitmap::Bitmap() = default;
Bitmap::~Bitmap() = default;

void Bitmap::setSize(int width, int height)
{
    settle();
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == m_width && height == m_height && !m_image.isNull()) return;
    const QSize device(toDevicePixels(width, m_ratio), toDevicePixels(height, m_ratio));
    QImage next;
    if (deviceResolution()) {
        // New area is white, which shows only where white is not the key.
        next = QImage(device, QImage::Format_ARGB32_Premultiplied);
        next.fill(m_key == QColor(Qt::white) ? Qt::transparent : Qt::white);
    } else {
        next = QImage(device, QImage::Format_RGB888);
        next.fill(Qt::white);
    }
    if (!m_image.isNull()) {
        QPainter p(&next);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, m_image);
    }
    m_image = next;
    m_width = width;
    m_height = height;
    clearOrigin();
}

void Bitmap::setPixelRatio(qreal ratio)
{
    settle();
    if (!(ratio > 0) || ratio == m_ratio) return;
    const QSize device(toDevicePixels(m_width, ratio), toDevicePixels(m_height, ratio));
    if (ratio == 1.0) {
        // Back to 24 bits: what is transparent becomes the key colour again.
        QImage flat(device, QImage::Format_RGB888);
        flat.fill(m_key);
        QPainter p(&flat);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(QPoint(0, 0), device), m_image);
        p.end();
        m_image = flat;
    } else if (!deviceResolution()) {
        m_key = isEmpty() ? QColor(Qt::white) : transparentColor();
        m_image = keyedOut(m_image.isNull() ? QImage(0, 0, QImage::Format_RGB888) : m_image,
                           m_key.rgb(), device);
    } else {
        m_image = m_image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    m_ratio = ratio;
    clearOrigin();
}

QImage &Bitmap::image()
{
    settle();
    return m_image;
}

const QImage &Bitmap::image() const
{
    settle();
    return m_image;
}

void Bitmap::assign(const QImage &image)
{
    settle();
    m_image = image.convertToFormat(QImage::Format_RGB888);
    m_width = m_image.width();
    m_height = m_image.height();
    m_ratio = 1.0;
    clearOrigin();
    m_large.reset();
}

QColor Bitmap::pixel(int x, int y) const
{
    settle();
    if (x < 0 || y < 0 || x >= width() || y >= height()) return QColor();
    if (deviceResolution()) {
        // The device pixel at the middle of the bitmap pixel.
        const int dx = std::min(m_image.width() - 1, int((x + 0.5) * m_ratio));
        const int dy = std::min(m_image.height() - 1, int((y + 0.5) * m_ratio));
        const QRgb c = m_image.pixel(dx, dy);
        if (qAlpha(c) == 0) return m_key;
        return QColor(qUnpremultiply(c)).toRgb();
    }
    const uchar *p = m_image.constScanLine(y) + 3 * x;
    return QColor(p[0], p[1], p[2]);
}

void Bitmap::setPixel(int x, int y, QColor c)
{
    settle();
    if (x < 0 || y < 0 || x >= width() || y >= height()) return;
    if (deviceResolution()) {
        fillDevice(toDevice(QRect(x, y, 1, 1)), c);
        return;
    }
    uchar *p = m_image.scanLine(y) + 3 * x;
    p[0] = static_cast<uchar>(c.red());
    p[1] = static_cast<uchar>(c.green());
    p[2] = static_cast<uchar>(c.blue());
}

QColor Bitmap::transparentColor() const
{
    if (isEmpty()) return QColor(0, 0, 0);
    return pixel(0, height() - 1);
}

Bitmap::ContentId Bitmap::contentId() const
{
    settle();
    const qint64 key = m_image.cacheKey();
    if (m_origin.imageKey != 0 && m_origin.imageKey == key) return m_origin.id;
    return {key, QRect()};
}

void Bitmap::setLargeDrawing(std::shared_ptr<LargeDrawing> drawing)
{
    settle();
    m_large = std::move(drawing);
    m_largeKey = m_image.cacheKey();
}

Bitmap::Large Bitmap::largeDrawing() const
{
    settle();
    if (deviceResolution()) return {};
    const qint64 key = m_image.cacheKey();
    if (m_origin.large && m_origin.imageKey == key) return {m_origin.large, m_origin.largePart};
    // Any write through a non-const QImage call moves the cache key on.
    if (m_large && m_largeKey == key) return {m_large, QRect(0, 0, m_width, m_height)};
    return {};
}

void Bitmap::setRecording(bool on)
{
    m_recording = on;
    m_ops.clear();
}

void Bitmap::record(const DrawOp &op)
{
    if (m_recording) m_ops.push_back(op);
}

void Bitmap::beginBatch()
{
    settle();
    if (!m_batch) m_batch = std::make_unique<Batch>();
    m_batch->active = true;
    m_batch->pending.clear();
}

bool Bitmap::endBatch()
{
    if (!m_batch) return true;
    Batch &b = *m_batch;
    if (!b.active) {
        // Drawn directly after the pixels were read mid-batch: nothing left to compare.
        b.last.clear();
        b.lastKey = 0;
        return true;
    }
    b.active = false;
    if (b.lastKey == m_image.cacheKey() && b.pending == b.last) {
        b.pending.clear();
        return false;
    }
    for (const Cmd &c : b.pending)
        rasterise(c);
    // Swapped, not moved: both lists keep their room for the next tick.
    b.last.swap(b.pending);
    b.pending.clear();
    b.lastKey = m_image.cacheKey();
    return true;
}

void Bitmap::settle() const
{
    if (!m_batch || !m_batch->active) return;
    auto *self = const_cast<Bitmap *>(this);
    Batch &b = *m_batch;
    b.active = false;
    std::vector<Cmd> pending = std::move(b.pending);
    b.pending.clear();
    for (const Cmd &c : pending)
        self->rasterise(c);
}

void Bitmap::submit(Cmd &&cmd)
{
    if (m_batch && m_batch->active) {
        m_batch->pending.push_back(std::move(cmd));
        return;
    }
    rasterise(cmd);
}

QRect Bitmap::toDevice(const QRect &r) const
{
    const int l = toDevicePixels(r.left(), m_ratio);
    const int t = toDevicePixels(r.top(), m_ratio);
    const int rr = toDevicePixels(r.left() + r.width(), m_ratio);
    const int b = toDevicePixels(r.top() + r.height(), m_ratio);
    return QRect(l, t, rr - l, b - t);
}

void Bitmap::beginPainter(QPainter &p, const QColor &colour) const
{
    if (!deviceResolution()) return;
    p.scale(m_ratio, m_ratio);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // The key colour does not show: drawing in it takes coverage away.
    p.setCompositionMode(colour == m_key ? QPainter::CompositionMode_DestinationOut
                                         : QPainter::CompositionMode_SourceOver);
}

void Bitmap::fillFlat(const QRect &r, const QColor &c)
{
    const QRect clipped = r.intersected(QRect(0, 0, width(), height()));
    if (clipped.isEmpty()) return;
    const uchar rgb[3] = {static_cast<uchar>(c.red()), static_cast<uchar>(c.green()),
                          static_cast<uchar>(c.blue())};
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        uchar *p = m_image.scanLine(y) + 3 * clipped.left();
        for (int x = clipped.left(); x <= clipped.right(); ++x, p += 3)
            std::memcpy(p, rgb, 3);
    }
}

void Bitmap::fillDevice(const QRect &r, const QColor &c)
{
    const QRect clipped = r.intersected(m_image.rect());
    if (clipped.isEmpty()) return;
    const QRgb v = c == m_key ? 0 : premultipliedOpaque(c);
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb *>(m_image.scanLine(y)) + clipped.left(), clipped.width(),
                    v);
}

void Bitmap::fillRect(const QRect &r)
{
    record({DrawOp::Fill, r.topLeft(), r.bottomRight() + QPoint(1, 1), {}, brush, 0, {}});
    Cmd c;
    c.kind = Cmd::FillRect;
    c.rect = r;
    c.brush = brush;
    submit(std::move(c));
}

void Bitmap::fill(QColor c)
{
    brush = c;
    pen.color = c;
    fillRect(QRect(0, 0, width(), height()));
}

void Bitmap::frameRect(int x1, int y1, int x2, int y2)
{
    record({DrawOp::Frame, {x1, y1}, {x2, y2}, {}, pen.color, pen.width, pen.edge});
    submit(Cmd::shape(Cmd::Frame, {x1, y1}, {x2, y2}, pen));
}

void Bitmap::line(int x1, int y1, int x2, int y2)
{
    record({DrawOp::Line, {x1, y1}, {x2, y2}, {}, pen.color, pen.width, pen.edge});
    submit(Cmd::shape(Cmd::Line, {x1, y1}, {x2, y2}, pen));
}

void Bitmap::ellipse(int x1, int y1, int x2, int y2)
{
    record({DrawOp::Ellipse, {x1, y1}, {x2, y2}, {}, pen.color, pen.width, pen.edge});
    submit(Cmd::shape(Cmd::Ellipse, {x1, y1}, {x2, y2}, pen, brush));
}

qreal Bitmap::TextEdgeWidth(int points)
{
    // About a fourteenth of the letters' height, never thinner than a pixel and a half.
    return std::max(1.5, pointsToPixels(points) / 14.0);
}

int pointsToPixels(int points)
{
    // MulDiv(points, 96, 72), rounding halves away from zero.
    long long n = static_cast<long long>(points) * 96;
    long long q = (n >= 0 ? n + 36 : n - 36) / 72;
    return static_cast<int>(q);
}

QFont qtFont(const Bitmap::Font &font)
{
    QFont f(font.face);
    f.setPixelSize(std::max(1, pointsToPixels(font.size)));
    f.setBold(font.bold);
    if (!font.antialias) f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QSize Bitmap::textExtent(const QString &text) const
{
    return textExtent(font, text);
}

int Bitmap::textAscent(const Font &font)
{
    return fontEntry(font).metrics.ascent();
}

QSize Bitmap::textExtent(const Font &font, const QString &text)
{
    const QFontMetrics &fm = fontEntry(font).metrics;
    return QSize(fm.horizontalAdvance(text), fm.height());
}

void Bitmap::textOut(int x, int y, const QString &text)
{
    record({DrawOp::Text, {x, y}, {}, text, font.color, font.size, font.edge});
    Cmd c;
    c.kind = Cmd::Text;
    c.p1 = {x, y};
    c.text = text;
    c.font = font;
    c.brush = brush;
    submit(std::move(c));
}

void Bitmap::glyphText(int x, int y, const QString &text, const Font &glyphFont)
{
    record({DrawOp::Text, {x, y}, {}, text, glyphFont.color, glyphFont.size, glyphFont.edge});
    const int side = std::max(1, 2 * glyphFont.size);
    record({DrawOp::Picture, {x, y}, {x + side, y + side}, {}, {}, 0, {}});
    Cmd c;
    c.kind = Cmd::Glyph;
    c.p1 = {x, y};
    c.text = text;
    c.font = glyphFont;
    submit(std::move(c));
}

void Bitmap::draw(int x, int y, const Bitmap &source)
{
    record({DrawOp::Picture, {x, y}, {x + source.width(), y + source.height()}, {}, {}, 0, {}});
    Cmd c;
    c.kind = Cmd::Picture;
    c.p1 = {x, y};
    if (m_batch && m_batch->active) {
        c.picture = std::make_shared<const Bitmap>(source);
        submit(std::move(c));
    } else if (!isEmpty() && !source.isEmpty()) {
        // Drawn at once: no copy of the source needed.
        if (deviceResolution() || source.deviceResolution()) {
            c.picture = std::shared_ptr<const Bitmap>(&source, [](const Bitmap *) {});
            rasterise(c);
        } else {
            drawFlat(x, y, source);
        }
    }
}

void Bitmap::textFlat(const Cmd &cmd)
{
    const FontEntry &f = fontEntry(cmd.font);
    QPainter p(&m_image);
    p.fillRect(
        QRect(cmd.p1.x(), cmd.p1.y(), f.metrics.horizontalAdvance(cmd.text), f.metrics.height()),
        cmd.brush);
    if (cmd.font.edge.isValid()) {
        if (cmd.font.antialias) p.setRenderHint(QPainter::Antialiasing);
        drawEdgedText(p, f.font, QPointF(cmd.p1.x(), cmd.p1.y() + f.metrics.ascent()), cmd.text,
                      cmd.font.color, cmd.font.edge, cmd.font.size);
        return;
    }
    p.setFont(f.font);
    p.setPen(cmd.font.color);
    p.drawText(cmd.p1.x(), cmd.p1.y() + f.metrics.ascent(), cmd.text);
}

void Bitmap::rasterise(const Cmd &cmd)
{
    clearOrigin();
    if (cmd.kind == Cmd::FillRect) {
        if (isEmpty()) return;
        if (!deviceResolution()) {
            fillFlat(cmd.rect, cmd.brush);
            return;
        }
        // A fill over the whole picture sets what shows as transparent.
        if (cmd.rect.contains(QRect(0, 0, width(), height()))) m_key = cmd.brush;
        fillDevice(toDevice(cmd.rect), cmd.brush);
        return;
    }
    if (isEmpty()) return;
    switch (cmd.kind) {
    case Cmd::Frame: {
        QPainter p(&m_image);
        beginPainter(p, cmd.pen.color);
        const QPoint corners[4] = {
            cmd.p1, {cmd.p2.x(), cmd.p1.y()}, cmd.p2, {cmd.p1.x(), cmd.p2.y()}};
        if (cmd.pen.edge.isValid()) {
            p.setPen(edgePen(cmd.pen));
            p.drawPolygon(corners, 4);
        }
        p.setPen(qtPen(cmd.pen));
        p.drawPolygon(corners, 4);
        return;
    }
    case Cmd::Line: {
        QPainter p(&m_image);
        beginPainter(p, cmd.pen.color);
        if (cmd.pen.edge.isValid()) {
            p.setPen(edgePen(cmd.pen));
            p.drawLine(cmd.p1, cmd.p2);
        }
        p.setPen(qtPen(cmd.pen));
        p.drawLine(cmd.p1, cmd.p2);
        return;
    }
    case Cmd::Ellipse: {
        const QRect box(cmd.p1, cmd.p2 - QPoint(1, 1));
        QPainter p(&m_image);
        if (!deviceResolution()) {
            // Hard edges like lines and frames: an ellipse drawn on a key colour and then
            // copied transparently would otherwise keep a fringe of blended key pixels.
            p.setPen(qtPen(cmd.pen));
            p.setBrush(cmd.brush);
            p.drawEllipse(box);
            return;
        }
        // Inside first, then the outline, each shown or taken away on its own.
        beginPainter(p, cmd.brush);
        p.setPen(Qt::NoPen);
        p.setBrush(cmd.brush == m_key ? QColor(Qt::black) : cmd.brush);
        p.drawEllipse(box);
        p.setCompositionMode(cmd.pen.color == m_key ? QPainter::CompositionMode_DestinationOut
                                                    : QPainter::CompositionMode_SourceOver);
        QPen pen = qtPen(cmd.pen);
        if (cmd.pen.color == m_key) pen.setColor(Qt::black);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(box);
        return;
    }
    case Cmd::Text: {
        if (cmd.text.isEmpty()) return;
        if (!deviceResolution()) {
            textFlat(cmd);
            return;
        }
        const FontEntry &f = fontEntry(cmd.font);
        fillDevice(toDevice(QRect(cmd.p1.x(), cmd.p1.y(), f.metrics.horizontalAdvance(cmd.text),
                                  f.metrics.height())),
                   cmd.brush);
        QPainter p(&m_image);
        beginPainter(p, cmd.font.color);
        QFont smooth = f.font;
        smooth.setStyleStrategy(QFont::PreferAntialias);
        if (cmd.font.edge.isValid() && cmd.font.color != m_key) {
            drawEdgedText(p, smooth, QPointF(cmd.p1.x(), cmd.p1.y() + f.metrics.ascent()), cmd.text,
                          cmd.font.color, cmd.font.edge, cmd.font.size);
            return;
        }
        p.setFont(smooth);
        p.setPen(cmd.font.color == m_key ? QColor(Qt::black) : cmd.font.color);
        p.drawText(cmd.p1.x(), cmd.p1.y() + f.metrics.ascent(), cmd.text);
        return;
    }
    case Cmd::Glyph: {
        const int side = std::max(1, 2 * cmd.font.size);
        if (!deviceResolution()) {
            // Drawn on a magenta square and copied with magenta left out.
            Bitmap glyph(side, side);
            glyph.fill(GlyphKey);
            glyph.transparent = true;
            glyph.font = cmd.font;
            glyph.textOut(0, 0, cmd.text);
            drawFlat(cmd.p1.x(), cmd.p1.y(), glyph);
            return;
        }
        if (cmd.text.isEmpty() || cmd.font.color == GlyphKey) return;
        Font smoothFont = cmd.font;
        smoothFont.antialias = true;
        const FontEntry &f = fontEntry(smoothFont);
        QPainter p(&m_image);
        beginPainter(p, cmd.font.color);
        p.setClipRect(QRect(cmd.p1, QSize(side, side)));
        if (cmd.font.edge.isValid()) {
            drawEdgedText(p, f.font, QPointF(cmd.p1.x(), cmd.p1.y() + f.metrics.ascent()), cmd.text,
                          cmd.font.color, cmd.font.edge, cmd.font.size);
            return;
        }
        p.setFont(f.font);
        p.setPen(cmd.font.color == m_key ? QColor(Qt::black) : cmd.font.color);
        p.drawText(cmd.p1.x(), cmd.p1.y() + f.metrics.ascent(), cmd.text);
        return;
    }
    case Cmd::Picture: {
        const Bitmap &source = *cmd.picture;
        if (source.isEmpty()) return;
        if (!deviceResolution() && !source.deviceResolution()) {
            drawFlat(cmd.p1.x(), cmd.p1.y(), source);
            return;
        }
        const QRect target = toDevice(QRect(cmd.p1, QSize(source.width(), source.height())));
        QImage picture =
            source.deviceResolution()
                ? source.m_image
                : keyedOut(source.m_image, source.transparentColor().rgb(), target.size());
        QPainter p(&m_image);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        if (!deviceResolution()) {
            p.drawImage(QRect(cmd.p1, QSize(source.width(), source.height())), picture);
            return;
        }
        if (picture.size() == target.size())
            p.drawImage(target.topLeft(), picture);
        else
            p.drawImage(target, picture);
        return;
    }
    case Cmd::FillRect:
        break;
    }
}

const Bitmap::VisibleRuns &Bitmap::visibleRuns() const
{
    // Any write through a non-const QImage call moves the cache key on.
    const qint64 key = m_image.cacheKey();
    if (key == m_runs.imageKey && !m_runs.rowStart.empty()) return m_runs;
    const QColor keyColor = transparentColor();
    const uchar k[3] = {static_cast<uchar>(keyColor.red()), static_cast<uchar>(keyColor.green()),
                        static_cast<uchar>(keyColor.blue())};
    m_runs.rowStart.assign(1, 0);
    m_runs.runs.clear();
    const int w = width();
    for (int r = 0; r < height(); ++r) {
        const uchar *s = m_image.constScanLine(r);
        int c = 0;
        while (c < w) {
            while (c < w && s[3 * c] == k[0] && s[3 * c + 1] == k[1] && s[3 * c + 2] == k[2])
                ++c;
            const int first = c;
            while (c < w && (s[3 * c] != k[0] || s[3 * c + 1] != k[1] || s[3 * c + 2] != k[2]))
                ++c;
            if (c > first) m_runs.runs.emplace_back(first, c);
        }
        m_runs.rowStart.push_back(static_cast<int>(m_runs.runs.size()));
    }
    m_runs.imageKey = key;
    return m_runs;
}

void Bitmap::drawFlat(int x, int y, const Bitmap &source)
{
    if (isEmpty() || source.isEmpty()) return;
    const VisibleRuns &v = source.visibleRuns();
    const int c0 = std::max(0, -x);
    const int r0 = std::max(0, -y);
    const int c1 = std::min(source.width(), width() - x);
    const int r1 = std::min(source.height(), height() - y);
    if (c1 <= c0) return;
    clearOrigin();
    for (int r = r0; r < r1; ++r) {
        const int first = v.rowStart[r], last = v.rowStart[r + 1];
        if (first == last) continue;
        const uchar *s = source.m_image.constScanLine(r);
        uchar *d = m_image.scanLine(y + r);
        for (int i = first; i < last; ++i) {
            const int a = std::max(v.runs[i].first, c0);
            const int b = std::min(v.runs[i].second, c1);
            if (a < b) std::memcpy(d + 3 * (x + a), s + 3 * a, static_cast<size_t>(3 * (b - a)));
        }
    }
}

void Bitmap::copyRect(int x, int y, const Bitmap &source, const QRect &from)
{
    settle();
    source.settle();
    if (isEmpty() || source.isEmpty()) return;
    clearOrigin();
    if (deviceResolution() || source.deviceResolution()) {
        // Rare: only the scene's own bitmaps live at device resolution.
        const QImage part =
            source.deviceResolution()
                ? source.m_image.copy(source.toDevice(from))
                : keyedOut(source.m_image.copy(from), m_key.rgb(), toDevice(from).size());
        QPainter p(&m_image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(toDevice(QRect(QPoint(x, y), from.size())), part);
        return;
    }
    QRect src = from.intersected(QRect(0, 0, source.width(), source.height()));
    if (src.isEmpty()) return;
    int dx = x + (src.left() - from.left());
    int dy = y + (src.top() - from.top());
    const int c0 = std::max(0, -dx);
    const int r0 = std::max(0, -dy);
    const int c1 = std::min(src.width(), width() - dx);
    const int r1 = std::min(src.height(), height() - dy);
    if (c1 <= c0) return;
    for (int r = r0; r < r1; ++r) {
        const uchar *s = source.m_image.constScanLine(src.top() + r) + 3 * (src.left() + c0);
        uchar *d = m_image.scanLine(dy + r) + 3 * (dx + c0);
        std::memcpy(d, s, static_cast<size_t>(3 * (c1 - c0)));
    }
    // A whole cell of a sheet copied over the whole bitmap: caches can share what they made
    // of that cell.
    if (x == 0 && y == 0 && src == from && from.size() == QSize(width(), height())) {
        const ContentId sheet = source.contentId();
        m_origin.id = {sheet.image, from.translated(sheet.cell.topLeft())};
        m_origin.imageKey = m_image.cacheKey();
        const Large large = source.largeDrawing();
        m_origin.large = large.drawing;
        if (large) m_origin.largePart = from.translated(large.part.topLeft());
    }
}

void installFontSubstitutions()
{
    QFont::insertSubstitutions(
        QStringLiteral("Comic Sans MS"),
        {QStringLiteral("Comic Neue"), QStringLiteral("WenQuanYi Micro Hei")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"),
                                                         QStringLiteral("WenQuanYi Micro Hei")});
}

Bitmap loadBitmapFile(const QString &path)
{
    const QByteArray bytes = readFileBytes(path, MediaFileLimit);
    QImage image;
    if (!inFile(path, 0, [&] { return image.loadFromData(bytes, "BMP"); }) || image.isNull())
        throw RuntimeError(
            QCoreApplication::translate("RuntimeError", "Bitmap image is not valid: \"%1\"")
                .arg(path),
            RuntimeError::Kind::BadPicture, path);
    Bitmap b(image);
    b.setLargeDrawing(std::make_shared<LargeDrawing>(LargeDrawing::fileFor(path), b.image()));
    return b;
}
