#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class LargeDrawing;

// One drawing call, kept when a bitmap records, so tests can check a board exactly
// without depending on how fonts rasterise.
struct DrawOp
{
    enum Kind { Text, Line, Frame, Fill, Ellipse, Picture };
    Kind kind = Text;
    QPoint p1; // text: top-left; others: first corner or start
    QPoint p2; // second corner or end
    QString text;
    QColor color; // font colour for text, pen colour for lines and frames, brush for fills
    int size = 0; // font size in points for text, pen width otherwise
    QColor edge;  // the light edge around a text, line or frame; invalid when it has none
};

// A bitmap with the drawing state of a desktop canvas: a pen (colour, width), a brush colour
// and a font (face, size in points at 96 dpi, colour). Coordinates are bitmap pixels.
//
// At pixel ratio 1 the rows hold 24-bit pixels, and what does not show is the key colour.
// Above 1 the drawing is kept at device resolution with coverage (premultiplied alpha):
// what is drawn in the key colour is transparent, so text and lines keep smooth edges
// without a key-coloured fringe when the picture is laid over the scene.
class Bitmap
{
public:
    struct Pen
    {
        QColor color = Qt::black;
        int width = 1;
        // When valid, the stroke is drawn over a wider one in this colour: an edge of
        // EdgeWidth pixels on either side, so it stands out from any background.
        QColor edge;
        bool operator==(const Pen &) const = default;
    };
    struct Font
    {
        QString face = QStringLiteral("Arial");
        int size = 8;
        QColor color = Qt::black;
        bool bold = false;
        bool antialias = true;
        // When valid, every glyph is outlined in this colour (TextEdgeWidth) before it is
        // filled in its own.
        QColor edge;
        bool operator==(const Font &) const = default;
    };
    // Pixels of edge on either side of a line or frame with an edge.
    static constexpr int EdgeWidth = 2;
    // Pixels of edge around the glyphs of a text of the given size in points.
    static qreal TextEdgeWidth(int points);

    Bitmap();
    Bitmap(int width, int height);
    explicit Bitmap(const QImage &image);
    Bitmap(const Bitmap &other);
    Bitmap &operator=(const Bitmap &other);
    ~Bitmap();

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_image.isNull() || m_width == 0 || m_height == 0; }
    void setSize(int width, int height);
    // Device pixels per bitmap pixel; the picture is kept (scaled) when it changes.
    qreal pixelRatio() const { return m_ratio; }
    void setPixelRatio(qreal ratio);
    bool deviceResolution() const { return m_ratio != 1.0; }
    // At ratio 1: 24-bit rows. Above: premultiplied ARGB at device resolution.
    QImage &image();
    const QImage &image() const;
    // Replaces the pixels, converted to 24 bits, at ratio 1.
    void assign(const QImage &image);

    QColor pixel(int x, int y) const;
    void setPixel(int x, int y, QColor c);
    // The colour of the bottom-left pixel: the colour that does not show when drawn
    // transparently.
    QColor transparentColor() const;
    bool transparent = false;

    // Names the pixels for caches: the image's cache key, or, for a bitmap holding a plain
    // copy of one cell of a sheet, the sheet's key and the cell, so that every bitmap showing
    // that cell shares what was made of it.
    struct ContentId
    {
        qint64 image = 0;
        QRect cell;
        bool operator==(const ContentId &) const = default;
    };
    ContentId contentId() const;

    // The picture drawn at several times its size, for zoomed screens, while the pixels stay
    // as they were when it was set. A plain copy of a whole sheet cell has the sheet's, and
    // shows that cell of it: part is in the small pixels of the drawing's picture.
    struct Large
    {
        std::shared_ptr<LargeDrawing> drawing;
        QRect part;
        explicit operator bool() const { return drawing != nullptr; }
    };
    void setLargeDrawing(std::shared_ptr<LargeDrawing> drawing);
    Large largeDrawing() const;

    Pen pen;
    QColor brush = Qt::white;
    Font font;

    // The rectangle [left, right) x [top, bottom) in the brush colour.
    void fillRect(const QRect &r);
    void fill(QColor c);
    // A closed outline through the four corners, in the pen.
    void frameRect(int x1, int y1, int x2, int y2);
    void line(int x1, int y1, int x2, int y2);
    void ellipse(int x1, int y1, int x2, int y2);
    // Text whose top-left corner is (x, y), on an opaque box of the brush colour.
    void textOut(int x, int y, const QString &text);
    // Text in the given font with no box behind it, cut off at a square of twice the font's
    // size in points from (x, y).
    void glyphText(int x, int y, const QString &text, const Font &glyphFont);
    QSize textExtent(const QString &text) const;
    // The same in a font of one's own.
    static QSize textExtent(const Font &font, const QString &text);
    // How far below a text's top its baseline lies, where digits end.
    static int textAscent(const Font &font);
    // Draws source at (x, y), leaving out the pixels of the source's transparent colour.
    // Only the part inside this bitmap is touched.
    void draw(int x, int y, const Bitmap &source);
    // Plain copy of the rectangle from of source to (x, y).
    void copyRect(int x, int y, const Bitmap &source, const QRect &from);

    // Drawing between these two is collected and rasterised at endBatch, and only when it
    // differs from the previous batch; a picture repainted unchanged on every tick then keeps
    // its pixels and its content id. Returns whether the pixels changed.
    void beginBatch();
    bool endBatch();

    void setRecording(bool on);
    bool recording() const { return m_recording; }
    const std::vector<DrawOp> &ops() const { return m_ops; }
    void clearOps() { m_ops.clear(); }
    void record(const DrawOp &op);

private:
    struct Cmd;
    // Runs [first, second) of pixels that are not the key colour, row by row; rebuilt when
    // the pixels change, so a picture drawn every tick is scanned only once.
    struct VisibleRuns
    {
        qint64 imageKey = 0;
        std::vector<int> rowStart;
        std::vector<std::pair<int, int>> runs;
    };
    const VisibleRuns &visibleRuns() const;

    void submit(Cmd &&cmd);
    void rasterise(const Cmd &cmd);
    // Applies drawing collected so far when the pixels are needed in the middle of a batch.
    void settle() const;
    void fillFlat(const QRect &r, const QColor &c);
    void fillDevice(const QRect &r, const QColor &c);
    void textFlat(const Cmd &cmd);
    void drawFlat(int x, int y, const Bitmap &source);
    QRect toDevice(const QRect &r) const;
    // The painter for drawing in bitmap pixels; at device resolution it scales and
    // smooths, and draws in the key colour by taking coverage away.
    void beginPainter(class QPainter &p, const QColor &colour) const;
    void clearOrigin() { m_origin = {}; }

    QImage m_image;
    int m_width = 0;
    int m_height = 0;
    qreal m_ratio = 1.0;
    // At device resolution: the colour drawn as transparent (the last whole fill's).
    QColor m_key = Qt::white;
    // A copy of one sheet cell, valid while the image keeps originKey.
    struct Origin
    {
        ContentId id;
        qint64 imageKey = 0;
        std::shared_ptr<LargeDrawing> large;
        QRect largePart;
    } m_origin;
    std::shared_ptr<LargeDrawing> m_large;
    qint64 m_largeKey = 0;
    mutable VisibleRuns m_runs;
    bool m_recording = false;
    std::vector<DrawOp> m_ops;
    struct Batch;
    mutable std::unique_ptr<Batch> m_batch;
};

// Loads a Windows bitmap file (any letter case); raises the file-open error when it is
// missing and "Bitmap image is not valid" with the file's name when it cannot be decoded. Its
// large drawing beside it ("name@3x.png") is read only when a zoomed scene first needs it.
Bitmap loadBitmapFile(const QString &path);

// Points at 96 dpi to pixels, rounded as the desktop does.
int pointsToPixels(int points);
// The font of a bitmap as Qt draws it.
class QFont;
QFont qtFont(const Bitmap::Font &font);
// Maps the faces the game asks for onto installed ones.
void installFontSubstitutions();
// A 24-bit picture as premultiplied ARGB with the key colour transparent, smoothed to
// deviceSize. The key goes before scaling, so the edges blend with nothing, not with the key.
QImage keyedOut(const QImage &rgb, QRgb key, QSize deviceSize);
// Device pixels of a length or place of v bitmap pixels at ratio r.
inline int toDevicePixels(int v, qreal r)
{
    return r == 1.0 ? v : qRound(v * r);
}
