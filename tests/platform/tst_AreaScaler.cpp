#include "platform/AreaScaler.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <vector>

class tst_AreaScaler : public QObject
{
    Q_OBJECT
private slots:
    void meanOfWhatEachPixelCovers_data();
    void meanOfWhatEachPixelCovers();
};

// Every pixel out within one step of the exact mean, by area, of the premultiplied pixels in
// it covers; a flat picture stays exactly flat; each row out comes once, in order.
void tst_AreaScaler::meanOfWhatEachPixelCovers_data()
{
    QTest::addColumn<QSize>("in");
    QTest::addColumn<QSize>("out");
    QTest::newRow("halved") << QSize(6, 4) << QSize(3, 2);
    QTest::newRow("uneven steps") << QSize(7, 5) << QSize(3, 2);
    QTest::newRow("same size") << QSize(9, 3) << QSize(9, 3);
    QTest::newRow("all to one") << QSize(5, 1) << QSize(1, 1);
    QTest::newRow("sheet cell at 1.40625") << QSize(390, 480) << QSize(183, 225);
    QTest::newRow("sheet cell at 2.8125") << QSize(360, 450) << QSize(338, 422);
}

void tst_AreaScaler::meanOfWhatEachPixelCovers()
{
    QFETCH(QSize, in);
    QFETCH(QSize, out);
    QRandomGenerator rng(quint32(in.width() * 31 + out.width()));
    std::vector<QRgb> picture(size_t(in.width() * in.height()));
    for (QRgb &p : picture) {
        // Opaque, empty and soft edge pixels, premultiplied.
        const int a = rng.bounded(3) == 0 ? 0 : rng.bounded(2) == 0 ? 255 : rng.bounded(256);
        p = qPremultiply(qRgba(rng.bounded(256), rng.bounded(256), rng.bounded(256), a));
    }
    for (const bool flat : {false, true}) {
        std::vector<QRgb> got(size_t(out.width() * out.height()));
        int expectRow = 0;
        AreaScaler scaler(in.width(), in.height(), out.width(), out.height(),
                          [&](const QRgb *row, int y) {
                              QCOMPARE(y, expectRow++);
                              std::copy(row, row + out.width(), got.begin() + y * out.width());
                          });
        std::vector<QRgb> row(size_t(in.width()));
        for (int y = 0; y < in.height(); ++y) {
            for (int x = 0; x < in.width(); ++x)
                row[x] = flat ? qRgba(90, 40, 10, 200) : picture[size_t(y * in.width() + x)];
            scaler.add(row.data());
        }
        QCOMPARE(expectRow, out.height());
        const double sx = double(in.width()) / out.width(), sy = double(in.height()) / out.height();
        for (int oy = 0; oy < out.height(); ++oy)
            for (int ox = 0; ox < out.width(); ++ox) {
                double sum[4] = {0, 0, 0, 0};
                const int y0 = int(oy * sy), y1 = std::min(in.height(), int((oy + 1) * sy) + 1);
                const int x0 = int(ox * sx), x1 = std::min(in.width(), int((ox + 1) * sx) + 1);
                for (int y = y0; y < y1; ++y) {
                    const double wy = std::max(0.0, std::min(y + 1.0, (oy + 1) * sy) -
                                                        std::max(double(y), oy * sy));
                    for (int x = x0; x < x1; ++x) {
                        const double wx = std::max(0.0, std::min(x + 1.0, (ox + 1) * sx) -
                                                            std::max(double(x), ox * sx));
                        const QRgb p =
                            flat ? qRgba(90, 40, 10, 200) : picture[size_t(y * in.width() + x)];
                        const int c[4] = {qAlpha(p), qRed(p), qGreen(p), qBlue(p)};
                        for (int k = 0; k < 4; ++k)
                            sum[k] += c[k] * wx * wy / (sx * sy);
                    }
                }
                const QRgb g = got[size_t(oy * out.width() + ox)];
                const int c[4] = {qAlpha(g), qRed(g), qGreen(g), qBlue(g)};
                const int flatValue[4] = {200, 90, 40, 10};
                for (int k = 0; k < 4; ++k) {
                    const double off = flat ? c[k] - flatValue[k] : std::fabs(c[k] - sum[k]);
                    QVERIFY2(flat ? off == 0 : off <= 1.0,
                             qPrintable(QStringLiteral("(%1, %2) channel %3: %4, not %5")
                                            .arg(ox)
                                            .arg(oy)
                                            .arg(k)
                                            .arg(c[k])
                                            .arg(sum[k])));
                }
                QVERIFY(qRed(g) <= qAlpha(g) && qGreen(g) <= qAlpha(g) && qBlue(g) <= qAlpha(g));
            }
    }
}

QTEST_GUILESS_MAIN(tst_AreaScaler)
#include "tst_AreaScaler.moc"
