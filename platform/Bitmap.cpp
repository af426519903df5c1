#include "platform/Bitmap.h"

#include "platform/Errors.h"
#include "platform/TextFiles.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>

Bitmap::Bitmap(int width, int height)
{
    setSize(width, height);
}

Bitmap::Bitmap(const QImage &image)
{
    assign(image);
}

void Bitmap::setSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == m_image.width() && height == m_image.height() && !m_image.isNull()) return;
    QImage next(width, height, QImage::Format_RGB888);
    next.fill(Qt::white);
    if (!m_image.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, m_image);
    }
    m_image = next;
}

void Bitmap::assign(const QImage &image)
{
    m_image = image.convertToFormat(QImage::Format_RGB888);
}

QColor Bitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width() || y >= height()) return QColor();
    const uchar *p = m_image.constScanLine(y) + 3 * x;
    return QColor(p[0], p[1], p[2]);
}

void Bitmap::setPixel(int x, int y, QColor c)
{
    if (x < 0 || y < 0 || x >= width() || y >= height()) return;
    uchar *p = m_image.scanLine(y) + 3 * x;
    p[0] = static_cast<uchar>(c.red());
    p[1] = static_cast<uchar>(c.green());
    p[2] = static_cast<uchar>(c.blue());
}

QColor Bitmap::transparentColor() const
{
    if (isEmpty() || height() == 0) return QColor(0, 0, 0);
    return pixel(0, height() - 1);
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

void Bitmap::fillRect(const QRect &r)
{
    record({DrawOp::Fill, r.topLeft(), r.bottomRight() + QPoint(1, 1), {}, brush, 0});
    QRect clipped = r.intersected(QRect(0, 0, width(), height()));
    if (clipped.isEmpty()) return;
    const uchar rgb[3] = {static_cast<uchar>(brush.red()), static_cast<uchar>(brush.green()),
                          static_cast<uchar>(brush.blue())};
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        uchar *p = m_image.scanLine(y) + 3 * clipped.left();
        for (int x = clipped.left(); x <= clipped.right(); ++x, p += 3)
            std::memcpy(p, rgb, 3);
    }
}

void Bitmap::fill(QColor c)
{
    brush = c;
    pen.color = c;
    fillRect(QRect(0, 0, width(), height()));
}

namespace {
QPen qtPen(const Bitmap::Pen &pen)
{
    QPen p(pen.color);
    p.setWidth(std::max(1, pen.width));
    p.setCapStyle(Qt::SquareCap);
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}
} // namespace

void Bitmap::frameRect(int x1, int y1, int x2, int y2)
{
    record({DrawOp::Frame, {x1, y1}, {x2, y2}, {}, pen.color, pen.width});
    if (isEmpty()) return;
    QPainter p(&m_image);
    p.setPen(qtPen(pen));
    const QPoint corners[4] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
    p.drawPolygon(corners, 4);
}

void Bitmap::line(int x1, int y1, int x2, int y2)
{
    record({DrawOp::Line, {x1, y1}, {x2, y2}, {}, pen.color, pen.width});
    if (isEmpty()) return;
    QPainter p(&m_image);
    p.setPen(qtPen(pen));
    p.drawLine(x1, y1, x2, y2);
}

void Bitmap::ellipse(int x1, int y1, int x2, int y2)
{
    record({DrawOp::Ellipse, {x1, y1}, {x2, y2}, {}, pen.color, pen.width});
    if (isEmpty()) return;
    // Hard edges like lines and frames: an ellipse drawn on a key colour and then copied
    // transparently would otherwise keep a fringe of blended key-coloured pixels.
    QPainter p(&m_image);
    p.setPen(qtPen(pen));
    p.setBrush(brush);
    p.drawEllipse(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
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
    QFontMetrics fm(qtFont(font));
    return QSize(fm.horizontalAdvance(text), fm.height());
}

void Bitmap::textOut(int x, int y, const QString &text)
{
    record({DrawOp::Text, {x, y}, {}, text, font.color, font.size});
    if (isEmpty() || text.isEmpty()) return;
    QFont f = qtFont(font);
    QFontMetrics fm(f);
    QPainter p(&m_image);
    p.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), brush);
    p.setFont(f);
    p.setPen(font.color);
    p.drawText(x, y + fm.ascent(), text);
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

void Bitmap::draw(int x, int y, const Bitmap &source)
{
    record({DrawOp::Picture, {x, y}, {x + source.width(), y + source.height()}, {}, {}, 0});
    if (isEmpty() || source.isEmpty()) return;
    const VisibleRuns &v = source.visibleRuns();
    const int c0 = std::max(0, -x);
    const int r0 = std::max(0, -y);
    const int c1 = std::min(source.width(), width() - x);
    const int r1 = std::min(source.height(), height() - y);
    if (c1 <= c0) return;
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
    if (isEmpty() || source.isEmpty()) return;
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
    const QByteArray bytes = readFileBytes(path);
    QImage image;
    if (!image.loadFromData(bytes, "BMP") || image.isNull())
        throw RuntimeError(QStringLiteral("Bitmap image is not valid: \"%1\"").arg(path));
    return Bitmap(image);
}
