#include "platform/TwoBands.h"

#include <QImage>
#include <QRegion>
#include <QtTest>

class tst_TwoBands : public QObject
{
    Q_OBJECT
private slots:
    void everyPixelOnce_data();
    void everyPixelOnce();
};

// Each pixel of the area painted once, in place; a large area in two bands of equal share.
void tst_TwoBands::everyPixelOnce_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRegion>("area");
    QTest::addColumn<int>("bands");
    QTest::newRow("small: one band") << QSize(1024, 768) << QRegion(0, 0, 1024, 768) << 1;
    QTest::newRow("whole 4K window") << QSize(3840, 2160) << QRegion(0, 0, 3840, 2160) << 2;
    QTest::newRow("around a hole, beyond the image")
        << QSize(2000, 1200) << (QRegion(-10, 0, 2100, 1300) - QRegion(500, 100, 1000, 900)) << 2;
}

void tst_TwoBands::everyPixelOnce()
{
    QFETCH(QSize, size);
    QFETCH(QRegion, area);
    QFETCH(int, bands);
    QImage pixels(size, QImage::Format_RGB32);
    pixels.fill(0);
    qint64 shares[2] = {0, 0};
    paintInTwoBands(pixels, area, [&](QImage &band, int top, const QRegion &part) {
        for (const QRect &r : part)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x, ++shares[top > 0])
                    reinterpret_cast<quint32 *>(band.scanLine(y - top))[x] += 1 + quint32(x ^ y);
    });
    QCOMPARE(shares[1] > 0, bands == 2);
    const QRegion inside = area & pixels.rect();
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            QCOMPARE(pixels.pixel(x, y) & 0xFFFFFFu,
                     inside.contains(QPoint(x, y)) ? (1 + quint32(x ^ y)) & 0xFFFFFFu : 0u);
    if (bands == 2) QVERIFY(std::abs(shares[0] - shares[1]) <= size.width());
}

QTEST_GUILESS_MAIN(tst_TwoBands)
#include "tst_TwoBands.moc"
