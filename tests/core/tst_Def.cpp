#include "core/Def.h"
#include "platform/Bitmap.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <QtTest>

class tst_Def : public QObject
{
    Q_OBJECT
private slots:
    void problemType_data();
    void problemType();
    void badProblemType_data();
    void badProblemType();
    void lenientInt_data();
    void lenientInt();
    void countdownSlots();
    void blend_data();
    void blend();
    void blendClipsToDestination();
    void blendSpansMatchTheFormula_data();
    void blendSpansMatchTheFormula();
    void glyphTextKeepsOnlyTheText();
    void compareLayers();
};

void tst_Def::problemType_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("op");
    QTest::addColumn<bool>("comparisons");
    QTest::addColumn<QList<int>>("expected"); // Digits1, Digits2, Threshold, Compare, Coins

    QTest::newRow("greater") << "1位数+1位数>10(1硬币)"
                             << "+" << true << QList<int>{1, 1, 10, 1, 1};
    QTest::newRow("plain") << "3位数+2位数"
                           << "+" << true << QList<int>{3, 2, 0, 101, 0};
    QTest::newRow("less") << "2位数+2位数<50(3硬币)"
                          << "+" << true << QList<int>{2, 2, 50, -1, 3};
    QTest::newRow("subtraction ignores signs") << "2位数-2位数<50(3硬币)"
                                               << "-" << false << QList<int>{2, 2, 0, 101, 3};
    QTest::newRow(">= acts as =") << "1位数+1位数>=10(2硬币)"
                                  << "+" << true << QList<int>{1, 1, 10, 0, 2};
    QTest::newRow("sign without (") << "1位数+1位数>10"
                                    << "+" << true << QList<int>{1, 1, 0, 1, 0};
    QTest::newRow("coins without 硬币") << "2位数+1位数(5)"
                                        << "+" << true << QList<int>{2, 1, 0, 101, 0};
    QTest::newRow("malformed coins") << "2位数+1位数(x硬币)"
                                     << "+" << true << QList<int>{2, 1, 0, 101, 0};
    QTest::newRow("multiplication") << "3位数×2位数"
                                    << "×" << false << QList<int>{3, 2, 0, 101, 0};
    QTest::newRow("no operator sign") << "2位数"
                                      << "+" << true << QList<int>{2, 2, 0, 101, 0};
}

void tst_Def::problemType()
{
    QFETCH(QString, line);
    QFETCH(QString, op);
    QFETCH(bool, comparisons);
    QFETCH(QList<int>, expected);
    const ProblemType t = ParseProblemType(line, op.at(0), comparisons);
    QCOMPARE((QList<int>{t.Digits1, t.Digits2, t.Threshold, t.Compare, t.Coins}), expected);
}

void tst_Def::badProblemType_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("first") << "x位数+1位数"
                           << "'x' is not a valid integer value";
    QTest::newRow("second") << "1位数+y位数"
                            << "'y' is not a valid integer value";
    QTest::newRow("empty") << ""
                           << "'' is not a valid integer value";
}

void tst_Def::badProblemType()
{
    QFETCH(QString, line);
    QFETCH(QString, message);
    try {
        ParseProblemType(line, QLatin1Char('+'), true);
        QFAIL("no error raised");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.message(), message);
    }
}

void tst_Def::lenientInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("blanks and sign") << "  -7" << -7;
    QTest::newRow("trailing junk") << "12x" << 12;
    QTest::newRow("letter") << "a" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("huge saturates") << "99999999999999999999" << 2147483647;
}

void tst_Def::lenientInt()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(LenientInt(text), value);
}

void tst_Def::countdownSlots()
{
    TickSlots ticks;
    QVERIFY(ticks.SlotElapsed(4)); // never armed
    ticks.ArmSlot(120, 0);
    QVERIFY(!ticks.SlotElapsed(0));
    ticks.CountDownSlots(50);
    QCOMPARE(ticks.Left(0), 70);
    ticks.CountDownSlots(50);
    QCOMPARE(ticks.Left(0), 20);
    QVERIFY(!ticks.SlotElapsed(0));
    ticks.CountDownSlots(50);
    QCOMPARE(ticks.Left(0), 0);
    QVERIFY(ticks.SlotElapsed(0));
    ticks.ArmSlot(-30, 1);
    QVERIFY(ticks.SlotElapsed(1));
    QCOMPARE(ticks.Left(1), 0);
}

void tst_Def::blend_data()
{
    QTest::addColumn<QColor>("source");
    QTest::addColumn<QColor>("destination");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("white on black")
        << QColor(255, 255, 255) << QColor(0, 0, 0) << 60 << QColor(153, 153, 153);
    QTest::newRow("red on black") << QColor(255, 0, 0) << QColor(0, 0, 0) << 60
                                  << QColor(153, 0, 0);
    QTest::newRow("key grey left out")
        << QColor(100, 100, 100) << QColor(10, 20, 30) << 60 << QColor(10, 20, 30);
    // Channel by channel: the green channel equals the key's and is left alone.
    QTest::newRow("one channel keyed")
        << QColor(200, 100, 0) << QColor(50, 50, 50) << 50 << QColor(125, 50, 25);
    QTest::newRow("full") << QColor(1, 2, 3) << QColor(200, 200, 200) << 100 << QColor(1, 2, 3);
    QTest::newRow("none") << QColor(1, 2, 3) << QColor(200, 200, 200) << 0 << QColor(200, 200, 200);
    QTest::newRow("truncates") << QColor(255, 255, 255) << QColor(1, 1, 1) << 5
                               << QColor(13, 13, 13);
}

void tst_Def::blend()
{
    QFETCH(QColor, source);
    QFETCH(QColor, destination);
    QFETCH(int, percent);
    QFETCH(QColor, expected);
    Bitmap src(4, 3), dst(4, 3);
    src.fill(source);
    src.setPixel(0, 2, KeyGrey); // the key is the bottom-left pixel
    src.transparent = true;
    dst.fill(destination);
    BlendBitmap(dst, src, 0, 0, static_cast<uint16_t>(percent));
    QCOMPARE(dst.pixel(2, 1), expected);
    QCOMPARE(dst.pixel(0, 2), destination);
}

void tst_Def::blendClipsToDestination()
{
    Bitmap src(10, 10), dst(8, 8);
    src.fill(Qt::white);
    src.setPixel(0, 9, Qt::black);
    src.transparent = true;
    dst.fill(Qt::black);
    BlendBitmap(dst, src, 5, -3, 100);
    QCOMPARE(dst.pixel(4, 0), QColor(Qt::black));
    QCOMPARE(dst.pixel(5, 0), QColor(Qt::white));
    // Only as many rows as the smaller bitmap has: source rows 0..7 land on -3..4.
    QCOMPARE(dst.pixel(7, 4), QColor(Qt::white));
    QCOMPARE(dst.pixel(7, 5), QColor(Qt::black));
}

// Whole unpadded rows go as one span, anything else row by row: either way every pixel gets
// the formula, and nothing outside the landing area changes.
void tst_Def::blendSpansMatchTheFormula_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("destination");
    QTest::addColumn<QPoint>("at");
    QTest::newRow("whole rows, unpadded") << QSize(100, 6) << QSize(100, 6) << QPoint(0, 0);
    QTest::newRow("whole rows, padded") << QSize(5, 6) << QSize(5, 6) << QPoint(0, 0);
    QTest::newRow("lower rows only") << QSize(100, 6) << QSize(100, 6) << QPoint(0, 2);
    QTest::newRow("narrower source") << QSize(60, 6) << QSize(100, 6) << QPoint(0, 0);
    QTest::newRow("wider source") << QSize(100, 6) << QSize(60, 6) << QPoint(0, 0);
    QTest::newRow("shifted right") << QSize(100, 6) << QSize(100, 6) << QPoint(3, 1);
    QTest::newRow("cut on the left") << QSize(100, 6) << QSize(100, 6) << QPoint(-7, -1);
}

void tst_Def::blendSpansMatchTheFormula()
{
    QFETCH(QSize, source);
    QFETCH(QSize, destination);
    QFETCH(QPoint, at);
    QRandomGenerator rng(7);
    Bitmap src(source.width(), source.height()), dst(destination.width(), destination.height());
    const QColor key(9, 8, 7);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            src.setPixel(x, y, rng.bounded(4) == 0 ? key : QColor::fromRgb(rng.generate()));
    src.setPixel(0, source.height() - 1, key);
    src.transparent = true;
    for (int y = 0; y < destination.height(); ++y)
        for (int x = 0; x < destination.width(); ++x)
            dst.setPixel(x, y, QColor::fromRgb(rng.generate()));
    const Bitmap before = dst;
    BlendBitmap(dst, src, at.x(), at.y(), 37);
    auto channel = [](int s, int d, int k) { return s == k ? d : (s * 37 + d * 63) / 100; };
    for (int y = 0; y < destination.height(); ++y) {
        for (int x = 0; x < destination.width(); ++x) {
            const QPoint from = QPoint(x, y) - at;
            QColor want = before.pixel(x, y);
            if (from.x() >= 0 && from.y() >= 0 && from.x() < source.width() &&
                from.y() < source.height()) {
                const QColor s = src.pixel(from.x(), from.y()), d = before.pixel(x, y);
                want = QColor(channel(s.red(), d.red(), key.red()),
                              channel(s.green(), d.green(), key.green()),
                              channel(s.blue(), d.blue(), key.blue()));
            }
            QVERIFY2(dst.pixel(x, y) == want, qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
        }
    }
}

void tst_Def::glyphTextKeepsOnlyTheText()
{
    Bitmap board(60, 60);
    board.fill(KeyGrey);
    board.setRecording(true);
    DrawGlyphText(board, 5, 5, QStringLiteral("7"), 20, Red);
    QCOMPARE(board.ops().front().text, QStringLiteral("7"));
    QCOMPARE(board.ops().front().p1, QPoint(5, 5));
    int red = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            const QColor c = board.pixel(x, y);
            QVERIFY2(c == KeyGrey || c == Red, "only text pixels and the untouched background");
            red += c == Red;
        }
    }
    QVERIFY(red > 20);
}

void tst_Def::compareLayers()
{
    SceneLayer a, b;
    a.Depth = 3;
    b.Depth = 7;
    QCOMPARE(CompareLayers(a, b), -1);
    QCOMPARE(CompareLayers(b, a), 1);
    b.Depth = 3;
    QCOMPARE(CompareLayers(a, b), 0);
}

QTEST_MAIN(tst_Def)
#include "tst_Def.moc"
