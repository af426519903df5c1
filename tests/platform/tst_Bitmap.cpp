#include "platform/Bitmap.h"

#include <QPainter>
#include <QtTest>

class tst_Bitmap : public QObject
{
    Q_OBJECT
private slots:
    void transparentDrawLeavesKeyOut();
    void drawClipsAtEveryEdge_data();
    void drawClipsAtEveryEdge();
    void redrawSeesChangedSource_data();
    void redrawSeesChangedSource();
    void textSitsOnBrushBox();
    void pointsToPixels_data();
    void pointsToPixels();
    void batchRedrawsOnlyChangedPaintings_data();
    void batchRedrawsOnlyChangedPaintings();
    void readingInABatchSeesTheDrawingSoFar();
    void deviceResolutionKeepsTheKeyTransparent();
    void copiesOfOneSheetCellShareTheirId();
};

namespace {

// What an engine paints on a tick; change alters one thing of it.
void paintBoard(Bitmap &b, int change)
{
    b.fill(QColor(100, 100, 100));
    b.font.face = QStringLiteral("Comic Sans MS");
    b.font.size = change == 3 ? 20 : 28;
    b.font.color = change == 2 ? Qt::red : Qt::yellow;
    b.textOut(10, 20, change == 1 ? QStringLiteral("39") : QStringLiteral("38"));
    b.pen.color = Qt::yellow;
    b.line(5, 70, change == 4 ? 91 : 90, 70);
    Bitmap bracket(20, 10);
    bracket.fill(Qt::magenta);
    bracket.setPixel(3, 3, change == 5 ? Qt::green : Qt::yellow);
    b.draw(40, 80, bracket);
}

} // namespace

void tst_Bitmap::transparentDrawLeavesKeyOut()
{
    Bitmap dst(10, 10), src(3, 3);
    dst.fill(Qt::blue);
    src.fill(Qt::magenta);
    src.setPixel(1, 1, Qt::yellow);
    dst.draw(2, 2, src);
    QCOMPARE(dst.pixel(3, 3), QColor(Qt::yellow));
    QCOMPARE(dst.pixel(2, 2), QColor(Qt::blue));
    QCOMPARE(dst.pixel(4, 4), QColor(Qt::blue));
}

void tst_Bitmap::drawClipsAtEveryEdge_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("covered");
    QTest::newRow("inside") << QPoint(2, 2) << 16;
    QTest::newRow("left") << QPoint(-2, 0) << 8;
    QTest::newRow("top right") << QPoint(8, -3) << 2;
    QTest::newRow("bottom") << QPoint(0, 9) << 4;
    QTest::newRow("far outside") << QPoint(500, -500) << 0;
}

void tst_Bitmap::drawClipsAtEveryEdge()
{
    QFETCH(QPoint, at);
    QFETCH(int, covered);
    Bitmap dst(10, 10), src(4, 5);
    dst.fill(Qt::black);
    src.fill(Qt::white);
    // Bottom row is the key, so 4 x 4 pixels show.
    for (int x = 0; x < 4; ++x)
        src.setPixel(x, 4, Qt::green);
    src.setPixel(0, 4, Qt::green);
    dst.draw(at.x(), at.y(), src);
    int white = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            white += dst.pixel(x, y) == QColor(Qt::white);
    QCOMPARE(white, covered);
}

// Keyed drawing remembers where a source is visible; every way of changing the source must
// show in the next draw.
void tst_Bitmap::redrawSeesChangedSource_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("setPixel") << 0;
    QTest::newRow("fillRect") << 1;
    QTest::newRow("painter on image()") << 2;
    QTest::newRow("assign") << 3;
    QTest::newRow("copyRect into it") << 4;
    QTest::newRow("new key colour") << 5;
}

void tst_Bitmap::redrawSeesChangedSource()
{
    QFETCH(int, change);
    Bitmap dst(6, 6), src(4, 4);
    src.fill(Qt::magenta);
    src.setPixel(1, 1, Qt::yellow);
    dst.fill(Qt::blue);
    dst.draw(0, 0, src);
    QCOMPARE(dst.pixel(2, 2), QColor(Qt::blue));
    Bitmap copy = src;
    switch (change) {
    case 0:
        src.setPixel(2, 2, Qt::green);
        break;
    case 1:
        src.brush = Qt::green;
        src.fillRect(QRect(2, 2, 1, 1));
        break;
    case 2: {
        QPainter p(&src.image());
        p.fillRect(QRect(2, 2, 1, 1), Qt::green);
        break;
    }
    case 3: {
        QImage next = src.image().copy();
        next.setPixelColor(2, 2, Qt::green);
        src.assign(next);
        break;
    }
    case 4: {
        Bitmap green(1, 1);
        green.fill(Qt::green);
        src.copyRect(2, 2, green, QRect(0, 0, 1, 1));
        break;
    }
    default:
        // Magenta stops being the key; yellow at (1, 1) and magenta now show, green hides.
        src.fill(Qt::magenta);
        src.setPixel(0, 3, Qt::green);
        src.setPixel(2, 2, Qt::green);
        src.setPixel(3, 3, Qt::magenta);
        break;
    }
    dst.fill(Qt::blue);
    dst.draw(0, 0, src);
    if (change == 5) {
        QCOMPARE(dst.pixel(2, 2), QColor(Qt::blue));
        QCOMPARE(dst.pixel(3, 3), QColor(Qt::magenta));
    } else {
        QCOMPARE(dst.pixel(2, 2), QColor(Qt::green));
        QCOMPARE(dst.pixel(1, 1), QColor(Qt::yellow));
        QCOMPARE(dst.pixel(3, 3), QColor(Qt::blue));
    }
    // The untouched copy still draws as before.
    dst.fill(Qt::blue);
    dst.draw(0, 0, copy);
    QCOMPARE(dst.pixel(2, 2), QColor(Qt::blue));
    QCOMPARE(dst.pixel(1, 1), QColor(Qt::yellow));
}

void tst_Bitmap::textSitsOnBrushBox()
{
    Bitmap b(200, 100);
    b.fill(Qt::black);
    b.brush = QColor(100, 100, 100);
    b.font.face = QStringLiteral("Comic Sans MS");
    b.font.size = 28;
    b.font.color = Qt::yellow;
    b.setRecording(true);
    b.textOut(10, 20, QStringLiteral("38"));
    QCOMPARE(b.ops().size(), size_t(1));
    QCOMPARE(b.ops()[0].p1, QPoint(10, 20));
    QCOMPARE(b.ops()[0].size, 28);
    QCOMPARE(b.pixel(10, 20), QColor(100, 100, 100));
    QCOMPARE(b.pixel(9, 20), QColor(Qt::black));
    const QSize extent = b.textExtent(QStringLiteral("38"));
    QVERIFY(extent.height() >= 37);
}

void tst_Bitmap::pointsToPixels_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("pixels");
    QTest::newRow("28") << 28 << 37;
    QTest::newRow("15") << 15 << 20;
    QTest::newRow("20") << 20 << 27;
    QTest::newRow("18") << 18 << 24;
}

void tst_Bitmap::pointsToPixels()
{
    QFETCH(int, points);
    QFETCH(int, pixels);
    QCOMPARE(::pointsToPixels(points), pixels);
}

// A board painted again each tick keeps its pixels (and its id for the scene's caches) while
// the painting is the same, and shows every kind of change at once.
void tst_Bitmap::batchRedrawsOnlyChangedPaintings_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<qreal>("ratio");
    const char *names[] = {"same", "text", "colour", "size", "line", "picture"};
    for (qreal ratio : {1.0, 1.5})
        for (int change = 0; change < 6; ++change)
            QTest::addRow("%s at %g", names[change], ratio) << change << ratio;
}

void tst_Bitmap::batchRedrawsOnlyChangedPaintings()
{
    QFETCH(int, change);
    QFETCH(qreal, ratio);
    Bitmap board(100, 100), direct(100, 100);
    board.setPixelRatio(ratio);
    direct.setPixelRatio(ratio);
    board.beginBatch();
    paintBoard(board, 0);
    QVERIFY(board.endBatch());
    const Bitmap::ContentId first = board.contentId();
    board.beginBatch();
    paintBoard(board, change);
    QCOMPARE(board.endBatch(), change != 0);
    QCOMPARE(board.contentId() == first, change == 0);
    paintBoard(direct, change);
    QVERIFY(board.image() == direct.image());
    // Pixels changed behind the batch's back are painted over again.
    board.setPixel(1, 1, Qt::blue);
    board.beginBatch();
    paintBoard(board, change);
    QVERIFY(board.endBatch());
    QCOMPARE(board.pixel(1, 1), QColor(100, 100, 100));
}

void tst_Bitmap::readingInABatchSeesTheDrawingSoFar()
{
    Bitmap b(20, 20);
    b.beginBatch();
    b.fill(Qt::green);
    QCOMPARE(b.pixel(5, 5), QColor(Qt::green));
    b.brush = Qt::red;
    b.fillRect(QRect(0, 0, 10, 10));
    QVERIFY(b.endBatch());
    QCOMPARE(b.pixel(5, 5), QColor(Qt::red));
    QCOMPARE(b.pixel(15, 15), QColor(Qt::green));
}

// At device resolution what is drawn in the key colour does not show, whatever is under it.
void tst_Bitmap::deviceResolutionKeepsTheKeyTransparent()
{
    Bitmap b(40, 30);
    b.setPixelRatio(2.5);
    QCOMPARE(b.image().size(), QSize(100, 75));
    b.fill(QColor(100, 100, 100));
    b.brush = Qt::red;
    b.fillRect(QRect(10, 10, 10, 10));
    b.brush = QColor(100, 100, 100);
    b.fillRect(QRect(15, 15, 10, 10));
    QCOMPARE(b.transparentColor(), QColor(100, 100, 100));
    QCOMPARE(b.pixel(12, 12), QColor(Qt::red));
    QCOMPARE(b.pixel(17, 17), QColor(100, 100, 100));
    QCOMPARE(qAlpha(b.image().pixel(int(17 * 2.5), int(17 * 2.5))), 0);
    QCOMPARE(qAlpha(b.image().pixel(int(12 * 2.5), int(12 * 2.5))), 255);
}

// Sprite frames are copies of sheet cells; copies of the same cell are the same picture to the
// scene, and a drawing on a copy makes it its own again.
void tst_Bitmap::copiesOfOneSheetCellShareTheirId()
{
    Bitmap sheet(40, 10);
    sheet.fill(Qt::magenta);
    sheet.setPixel(12, 4, Qt::yellow);
    Bitmap a(10, 10), b(10, 10);
    a.copyRect(0, 0, sheet, QRect(10, 0, 10, 10));
    b.fill(Qt::magenta);
    b.copyRect(0, 0, sheet, QRect(10, 0, 10, 10));
    QVERIFY(a.contentId() == b.contentId());
    b.copyRect(0, 0, sheet, QRect(20, 0, 10, 10));
    QVERIFY(!(a.contentId() == b.contentId()));
    b.copyRect(0, 0, sheet, QRect(10, 0, 10, 10));
    b.setPixel(0, 0, Qt::green);
    QVERIFY(!(a.contentId() == b.contentId()));
    // A cell reaching out of the sheet is no plain copy of it.
    Bitmap c(10, 10);
    c.copyRect(0, 0, sheet, QRect(35, 0, 10, 10));
    QVERIFY(c.contentId().cell.isNull());
}

QTEST_MAIN(tst_Bitmap)
#include "tst_Bitmap.moc"
