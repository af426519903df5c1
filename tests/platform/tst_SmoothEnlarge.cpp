#include "platform/SmoothEnlarge.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

class tst_SmoothEnlarge : public QObject
{
    Q_OBJECT
private slots:
    void asThePainterSmoothsIt_data();
    void asThePainterSmoothsIt();
};

// Within two steps of what a smooth painter draws inside the clip; nothing written outside it.
void tst_SmoothEnlarge::asThePainterSmoothsIt_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QRect>("to");
    QTest::addColumn<QRect>("clip");
    QTest::addColumn<bool>("wide");
    QTest::newRow("strip at 2.8125, clipped")
        << QSize(52, 92) << QRect(-20, 3, 146, 259) << QRect(10, 40, 79, 168) << false;
    QTest::newRow("whole") << QSize(40, 30) << QRect(0, 0, 113, 84) << QRect(0, 0, 113, 84)
                           << false;
    QTest::newRow("32-bit, clipped")
        << QSize(40, 30) << QRect(5, 0, 113, 84) << QRect(20, 9, 61, 50) << true;
}

void tst_SmoothEnlarge::asThePainterSmoothsIt()
{
    QFETCH(QSize, source);
    QFETCH(QRect, to);
    QFETCH(QRect, clip);
    QFETCH(bool, wide);
    QRandomGenerator rng(quint32(source.width() * 131 + to.width()));
    QImage in(source, QImage::Format_RGB888);
    rng.fillRange(reinterpret_cast<quint32 *>(in.bits()), in.sizeInBytes() / 4);
    if (wide) in.convertTo(QImage::Format_RGB32);
    const QSize size(std::max(to.right(), clip.right()) + 3, std::max(to.bottom(), 0) + 3);
    QImage expected(size, QImage::Format_RGB32);
    expected.fill(QColor(1, 2, 3));
    QImage got = expected;
    QPainter p(&expected);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipRect(clip);
    p.drawImage(QRectF(to), in);
    p.end();
    smoothEnlargeInto(got, to, in, clip);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            for (const int shift : {0, 8, 16})
                QVERIFY(std::abs(int(expected.pixel(x, y) >> shift & 0xFF) -
                                 int(got.pixel(x, y) >> shift & 0xFF)) <= 2);
}

QTEST_GUILESS_MAIN(tst_SmoothEnlarge)
#include "tst_SmoothEnlarge.moc"
