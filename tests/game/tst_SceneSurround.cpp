#include "game/SceneSurround.h"

#include "game/SurroundStrips.h"

#include "platform/Bitmap.h"
#include "TestSupport.h"

#include <QPainter>
#include <QRegion>
#include <QtTest>

namespace {

// Where the window puts an 800 x 600 scene on a screen of that many window pixels.
QRect sceneIn(QSize window)
{
    return QRect((window.width() - 800) / 2, 4, 800, 600);
}

QRect deviceScene(QRect scene, qreal ratio)
{
    return QRect(toDevicePixels(scene.left(), ratio), toDevicePixels(scene.top(), ratio),
                 toDevicePixels(800, ratio), toDevicePixels(600, ratio));
}

// The surround painted on black over the whole window, in device pixels.
QImage painted(const SceneSurround &surround, QSize window, qreal ratio)
{
    QImage out(qCeil(window.width() * ratio), qCeil(window.height() * ratio), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    surround.paint(p, QRegion(out.rect()));
    return out;
}

int blackPixels(const QImage &image, const QRegion &area)
{
    int black = 0;
    for (const QRect &r : area)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                black += (image.pixel(x, y) & 0xFFFFFF) == 0;
    return black;
}

} // namespace

class tst_SceneSurround : public QObject
{
    Q_OBJECT

private slots:
    void fillsTheScreenAroundTheScene_data();
    void fillsTheScreenAroundTheScene();
    void stripsJoinTheScene();
    void sharperDrawingsTakeTheirPlace();
};

// Wider or taller than 4 : 3, everything around the scene shows sky or meadow and the scene's
// own rectangle is left to it; the 4 : 3 layout has nothing around it. A strip that cannot
// be read leaves its place to the plain colour, not to black.
void tst_SceneSurround::fillsTheScreenAroundTheScene_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QString>("missing");
    QTest::addColumn<bool>("empty");
    QTest::newRow("4:3") << QSize(1024, 768) << 1.40625 << QString() << true;
    QTest::newRow("16:10") << QSize(1229, 768) << 1.0416 << QString() << false;
    QTest::newRow("16:9") << QSize(1365, 768) << 1.40625 << QString() << false;
    QTest::newRow("21:9") << QSize(1820, 768) << 1.40625 << QString() << false;
    QTest::newRow("5:4") << QSize(1024, 819) << 1.25 << QString() << false;
    QTest::newRow("wider than the strips") << QSize(2200, 900) << 1.0 << QString() << false;
    QTest::newRow("top strip missing")
        << QSize(1365, 768) << 1.40625 << QStringLiteral("BackTop.bmp") << false;
    QTest::newRow("side strip broken")
        << QSize(1365, 768) << 1.40625 << QStringLiteral("BackLeft.bmp") << false;
}

void tst_SceneSurround::fillsTheScreenAroundTheScene()
{
    QFETCH(QSize, window);
    QFETCH(qreal, ratio);
    QFETCH(QString, missing);
    QFETCH(bool, empty);
    TempDataDir data;
    if (missing == QLatin1String("BackTop.bmp"))
        data.remove(QStringLiteral("Pictures/") + missing);
    else if (!missing.isEmpty())
        data.writeBytes(QStringLiteral("Pictures/") + missing, "BM but no more");
    const QRect scene = sceneIn(window);
    SceneSurround surround(data.folders(), window, scene, ratio);
    QCOMPARE(surround.isEmpty(), empty);
    const QImage out = painted(surround, window, ratio);
    const QRect inside = deviceScene(scene, ratio);
    if (empty) {
        QCOMPARE(blackPixels(out, QRegion(out.rect())), out.width() * out.height());
        QVERIFY(surround.edges().empty());
        return;
    }
    QCOMPARE(blackPixels(out, QRegion(out.rect()).subtracted(inside)), 0);
    QCOMPARE(blackPixels(out, inside), inside.width() * inside.height());
    QCOMPARE(surround.edges().size(), size_t(missing == QLatin1String("BackLeft.bmp") ? 1 : 2));
}

// At one device pixel a window pixel the strips show unscaled: each pixel beside the scene is
// the strip's pixel at that place, and the parts laid into the scene join Back.bmp.
void tst_SceneSurround::stripsJoinTheScene()
{
    TempDataDir data;
    const QSize window(1600, 800);
    const QRect scene = sceneIn(window);
    SceneSurround surround(data.folders(), window, scene, 1.0);
    const QImage out = painted(surround, window, 1.0);
    for (const SurroundStrips::Strip &strip : SurroundStrips::All) {
        const QImage small =
            loadBitmapFile(
                data.path(QStringLiteral("Pictures/%1.bmp").arg(QLatin1String(strip.name))))
                .image();
        QCOMPARE(small.size(), strip.place.size());
        const QRect outside =
            QRegion(strip.place.translated(scene.topLeft()).intersected(QRect(QPoint(), window)))
                .subtracted(scene)
                .boundingRect();
        for (const QPoint at : {outside.topLeft(), outside.bottomRight(), outside.center()})
            QCOMPARE(out.pixel(at),
                     small.pixel(at - scene.topLeft() - strip.place.topLeft()) | 0xFF000000);
    }
    // Where they reach into the scene, off the outline Back.bmp draws at its sides, they
    // show what Back.bmp shows: they were drawn for that place.
    const QImage back = loadBitmapFile(data.path(QStringLiteral("Pictures/Back.bmp"))).image();
    QCOMPARE(surround.edges().size(), size_t(2));
    for (SceneSurround::Edge &edge : surround.edges()) {
        QVERIFY(edge.picture.largeDrawing());
        const int column = edge.at.x() == 0 ? edge.picture.width() - 1 : 0;
        int off = 0;
        for (int y = 0; y < edge.picture.height(); ++y) {
            const QColor a = edge.picture.image().pixelColor(column, y);
            const QColor b = back.pixelColor(edge.at.x() + column, edge.at.y() + y);
            off += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                             std::abs(a.blue() - b.blue())}) > 12;
        }
        QVERIFY2(off < edge.picture.height() / 50, qPrintable(QString::number(off)));
    }
}

// Zoomed, the strips come first smoothed up from the small ones, then made from the large
// drawings: once, where they stood, looking the same but for sharpness.
void tst_SceneSurround::sharperDrawingsTakeTheirPlace()
{
    TempDataDir data;
    const QSize window(1365, 768);
    const qreal ratio = 1.40625;
    SceneSurround surround(data.folders(), window, sceneIn(window), ratio);
    const QSize device = (QSizeF(window) * ratio).toSize();
    auto painted = [&] {
        QImage out(device, QImage::Format_RGB32);
        out.fill(Qt::black);
        QPainter p(&out);
        surround.paint(p, QRegion(out.rect()));
        return out;
    };
    const QImage first = painted();
    surround.waitForSharper();
    QVERIFY(surround.takeSharper());
    QVERIFY(!surround.takeSharper());
    const QImage sharp = painted();
    QVERIFY(!surround.pieces().empty());
    for (const SceneSurround::Piece &piece : surround.pieces()) {
        QCOMPARE(piece.image.size(), piece.device.size());
        const QImage a = sharp.copy(piece.device).convertToFormat(QImage::Format_RGB888),
                     b = first.copy(piece.device).convertToFormat(QImage::Format_RGB888);
        QVERIFY(a != b);
        qint64 off = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < 3 * a.width(); ++x)
                off += std::abs(a.constScanLine(y)[x] - b.constScanLine(y)[x]);
        QVERIFY2(off < 12 * qint64(a.width()) * a.height(), qPrintable(QString::number(off)));
    }
}

QTEST_MAIN(tst_SceneSurround)
#include "tst_SceneSurround.moc"
