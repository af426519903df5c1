#include "platform/Art.h"

#include <QImage>
#include <QtTest>

class tst_Art : public QObject
{
    Q_OBJECT
private slots:
    void pixmapForRatio_data();
    void pixmapForRatio();
};

// On a plain screen the picture is the shipped one, pixel for pixel; zoomed, it covers exactly
// its device pixels and comes from the large drawing.
void tst_Art::pixmapForRatio_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qreal>("ratio");
    for (const char *file : {":/art/player2.png", ":/art/coin.jpg"})
        for (qreal ratio : {1.0, 1.40625, 2.8125})
            QTest::addRow("%s at %g", file, ratio) << QString::fromLatin1(file) << ratio;
}

void tst_Art::pixmapForRatio()
{
    QFETCH(QString, file);
    QFETCH(qreal, ratio);
    const QPixmap p = artPixmap(file, ratio);
    QVERIFY(!p.isNull());
    const QImage small(file);
    QCOMPARE(p.devicePixelRatio(), ratio);
    QCOMPARE(p.size(), (QSizeF(small.size()) * ratio).toSize());
    if (ratio == 1.0) {
        QCOMPARE(artSource(file, ratio), file);
        if (file.endsWith(QLatin1String(".png")))
            QVERIFY(p.toImage().convertToFormat(QImage::Format_ARGB32) ==
                    small.convertToFormat(QImage::Format_ARGB32));
    } else {
        QVERIFY(artSource(file, ratio).contains(QLatin1String("@3x")));
    }
    QCOMPARE(artSource(QStringLiteral(":/art/none.png"), ratio), QStringLiteral(":/art/none.png"));
}

QTEST_MAIN(tst_Art)
#include "tst_Art.moc"
