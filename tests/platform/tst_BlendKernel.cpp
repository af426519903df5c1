#include "platform/BlendKernel.h"

#include <QRandomGenerator>
#include <QtTest>
#include <vector>

class tst_BlendKernel : public QObject
{
    Q_OBJECT
private slots:
    void sameBytesAsTheFormula_data();
    void sameBytesAsTheFormula();
};

// Every percent, lengths around the vector steps, sources rich in key bytes: the fast kernel
// must give the bytes of the plain formula.
void tst_BlendKernel::sameBytesAsTheFormula_data()
{
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("pixels");
    for (int period : {3, 4})
        for (int pixels : {0, 1, 5, 16, 17, 33, 250})
            QTest::addRow("%d bytes x %d", period, pixels) << period << pixels;
}

void tst_BlendKernel::sameBytesAsTheFormula()
{
    QFETCH(int, period);
    QFETCH(int, pixels);
    QRandomGenerator rng(static_cast<quint32>(period * 1000 + pixels));
    const uint8_t key[4] = {100, 0, 255, 255};
    const size_t n = static_cast<size_t>(period * pixels);
    std::vector<uint8_t> src(n), dst(n);
    for (size_t i = 0; i < n; ++i) {
        // One byte in three equals its key byte.
        src[i] = rng.bounded(3) == 0 ? key[i % period] : uint8_t(rng.bounded(256));
        dst[i] = uint8_t(rng.bounded(256));
    }
    for (int percent : {0, 1, 33, 50, 60, 99, 100, 101, 250}) {
        std::vector<uint8_t> expected = dst, got = dst;
        for (size_t i = 0; i < n; ++i) {
            if (src[i] == key[i % period]) continue;
            const int v = (src[i] * percent + dst[i] * (100 - percent)) / 100;
            expected[i] = uint8_t(std::clamp(v, 0, 255));
        }
        blendKeyedBytes(got.data(), src.data(), n, key, period, percent);
        QVERIFY2(got == expected, qPrintable(QString::number(percent)));
    }
    for (int percent = 2; percent < 100; ++percent) {
        std::vector<uint8_t> expected = dst, got = dst;
        for (size_t i = 0; i < n; ++i)
            if (src[i] != key[i % period])
                expected[i] = uint8_t((src[i] * percent + dst[i] * (100 - percent)) / 100);
        blendKeyedBytes(got.data(), src.data(), n, key, period, percent);
        QVERIFY2(got == expected, qPrintable(QString::number(percent)));
    }
}

QTEST_MAIN(tst_BlendKernel)
#include "tst_BlendKernel.moc"
