#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <utility>
#include <vector>

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
};

// A bitmap with 24-bit rows and the drawing state of a desktop canvas: a pen (colour,
// width), a brush colour and a font (face, size in points at 96 dpi, colour).
class Bitmap
{
public:
    struct Pen
    {
        QColor color = Qt::black;
        int width = 1;
    };
    struct Font
    {
        QString face = QStringLiteral("Arial");
        int size = 8;
        QColor color = Qt::black;
        bool bold = false;
        bool antialias = true;
    };

    Bitmap() = default;
    Bitmap(int width, int height);
    explicit Bitmap(const QImage &image);

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    bool isEmpty() const { return m_image.isNull() || m_image.width() == 0; }
    void setSize(int width, int height);
    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }
    // Replaces the pixels, converted to 24 bits.
    void assign(const QImage &image);

    QColor pixel(int x, int y) const;
    void setPixel(int x, int y, QColor c);
    // The colour of the bottom-left pixel: the colour that does not show when drawn
    // transparently.
    QColor transparentColor() const;
    bool transparent = false;

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
    QSize textExtent(const QString &text) const;
    // Draws source at (x, y), leaving out the pixels of the source's transparent colour.
    // Only the part inside this bitmap is touched.
    void draw(int x, int y, const Bitmap &source);
    // Plain copy of the rectangle from of source to (x, y).
    void copyRect(int x, int y, const Bitmap &source, const QRect &from);

    void setRecording(bool on);
    bool recording() const { return m_recording; }
    const std::vector<DrawOp> &ops() const { return m_ops; }
    void clearOps() { m_ops.clear(); }
    void record(const DrawOp &op);

private:
    // Runs [first, second) of pixels that are not the key colour, row by row; rebuilt when
    // the pixels change, so a picture drawn every tick is scanned only once.
    struct VisibleRuns
    {
        qint64 imageKey = 0;
        std::vector<int> rowStart;
        std::vector<std::pair<int, int>> runs;
    };
    const VisibleRuns &visibleRuns() const;

    QImage m_image;
    mutable VisibleRuns m_runs;
    bool m_recording = false;
    std::vector<DrawOp> m_ops;
};

// Loads a Windows bitmap file (any letter case); raises the file-open error when it is
// missing and "Bitmap image is not valid" with the file's name when it cannot be decoded.
Bitmap loadBitmapFile(const QString &path);

// Points at 96 dpi to pixels, rounded as the desktop does.
int pointsToPixels(int points);
// The font of a bitmap as Qt draws it.
class QFont;
QFont qtFont(const Bitmap::Font &font);
// Maps the faces the game asks for onto installed ones.
void installFontSubstitutions();
