#include "characters/uAnimation.h"
#include "core/uMainClass.h"
#include "engines/AddAlgo.h"
#include "engines/DivAlgo.h"
#include "platform/Random.h"
#include "TestSupport.h"

#include <QDir>
#include <QPainter>
#include <QtTest>

namespace {

SceneGeometry geometry1024()
{
    SceneGeometry g;
    g.ScreenWidth = 1024;
    g.ScreenHeight = 768;
    g.Who = QRect(10, 53, 129, 195);
    g.AnswerPanelHeight = 105;
    g.MoneyImage = QRect(0, 605, 219, 163);
    return g;
}

// Pictures of our own, so the frames do not move when the shipped art is redrawn: soft
// gradients, hard shapes, the key colour in the bottom-left corner, and colours that share
// one channel with the key (blending leaves such a channel alone).
QImage picture(int w, int h, QColor key, int seed)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(key);
    QPainter p(&img);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor::fromHsv((seed * 67) % 360, 200, 220));
    g.setColorAt(1, QColor::fromHsv((seed * 67 + 120) % 360, 160, 120));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRect(w / 8, h / 10, w * 3 / 4, h * 3 / 4));
    p.setBrush(QColor(key.red(), 200, 30));
    p.drawRect(w / 3, h / 3, w / 4, h / 5);
    p.setBrush(QColor(240, key.green(), 10));
    p.drawRect(w / 2, h / 2, w / 5, h / 6);
    return img;
}

QImage sheet(int cellW, int cellH, int cols, int rows, QColor key)
{
    QImage img(cellW * cols, cellH * rows, QImage::Format_RGB888);
    img.fill(key);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            p.setBrush(QColor::fromHsv((r * 90 + c * 25) % 360, 230, 230));
            p.setPen(QPen(Qt::black, 2));
            p.drawEllipse(QRect(c * cellW + 4 + 2 * c, r * cellH + 3, cellW - 12, cellH - 10));
        }
    }
    return img;
}

const char *script = "begin\n"
                     "name=anOldSheep\npic=a.bmp\ncell=60,50\npos=300,150,3\ncuract=akThink\n"
                     "action=0,4,akThink,100\naction=1,4,akYes,100[1,3,-4,0]\n"
                     "end\nbegin\n"
                     "name=anWoolly\npic=b.bmp\ncell=40,40\npos=420,200,9\ncuract=akThink\n"
                     "action=0,3,akThink,200\naction=1,3,akYes,100\n"
                     "end\nbegin\n"
                     "name=anButterFly\npic=b.bmp\ncell=40,40\npos=100,100,12\ncuract=akRight\n"
                     "action=0,3,akRight,100\naction=1,3,akLeft,100\n"
                     "end\n";

// A game on our own pictures and sprites, with the layers at fixed places.
struct SyntheticScene
{
    explicit SyntheticScene(int engine)
    {
        QImage(sheet(60, 50, 4, 2, QColor(0, 255, 255))).save(data.path("Pictures/a.bmp"), "BMP");
        QImage(sheet(40, 40, 3, 2, QColor(255, 0, 255))).save(data.path("Pictures/b.bmp"), "BMP");
        data.writeBytes(QStringLiteral("Pictures/Animation.txt"), script);
        game = std::make_unique<TMainClass>(geometry1024(), nullptr);
        QImage back = picture(800, 600, QColor(10, 10, 10), 1);
        game->Background.assign(back);
        struct
        {
            SceneLayer &layer;
            Bitmap &picture;
            QSize size;
            QPoint at;
            QColor key;
        } layers[] = {
            {game->BlackboardLayer, game->BlackboardPicture, {256, 350}, {290, 73}, Qt::magenta},
            {game->TreeRightLayer, game->TreeRightPicture, {199, 383}, {601, 217}, Qt::green},
            {game->TreeLeftLayer, game->TreeLeftPicture, {240, 383}, {0, 217}, Qt::blue},
            {game->HintPanelLayer, game->HintPanelPicture, {200, 160}, {430, 260}, KeyGrey},
            {game->GrassLeftLayer, game->GrassLeftPicture, {537, 226}, {0, 374}, Qt::white},
            {game->GrassRightLayer, game->GrassRightPicture, {263, 140}, {537, 460}, Qt::cyan},
        };
        int seed = 2;
        for (auto &l : layers) {
            l.picture.assign(picture(l.size.width(), l.size.height(), l.key, seed++));
            l.layer.X = l.at.x();
            l.layer.Y = l.at.y();
        }
        game->BoardLayer.X = 327;
        game->BoardLayer.Y = 115;
        game->HintTextLayer.X = 480;
        game->HintTextLayer.Y = 290;
        if (engine == 0) {
            auto *add = static_cast<TAdd *>(game->Engines[0].get());
            add->SetProblem(38, 45);
            game->Engine = add;
        } else {
            auto *div = static_cast<TDiv *>(game->Engines[3].get());
            div->SetProblem(156, 4);
            game->Engine = div;
        }
        randomSeed(7);
    }
    void tick(int n)
    {
        for (int i = 0; i < n; ++i) {
            clock.advance(100);
            game->Present();
        }
    }
    QImage frame() const { return game->BackBuffer.image().convertToFormat(QImage::Format_RGB888); }

    TempDataDir data;
    FakeClock clock;
    std::unique_ptr<TMainClass> game;
};

} // namespace

class tst_SceneComposer : public QObject
{
    Q_OBJECT
private slots:
    void sameFramesAsBefore_data();
    void sameFramesAsBefore();
};

// Frames composed by the scene as it was before the compositor kept its picture between
// ticks; SUMSPROUT_WRITE_FRAMES=1 writes them anew.
void tst_SceneComposer::sameFramesAsBefore_data()
{
    QTest::addColumn<int>("engine");
    QTest::newRow("addition") << 0;
    QTest::newRow("division") << 3;
}

void tst_SceneComposer::sameFramesAsBefore()
{
    QFETCH(int, engine);
    SyntheticScene s(engine);
    QList<QImage> frames;
    s.tick(3);
    frames << s.frame();
    s.clock.advance(5000);
    s.tick(6);
    QCOMPARE(s.game->HintPanelLayer.Alpha, 30);
    frames << s.frame();
    s.game->Animation->PlayAction(anOldSheep, akYes);
    s.game->Animation->PlayAction(anWoolly, akYes);
    s.tick(8);
    frames << s.frame();
    const QString dir = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/frames/";
    for (int i = 0; i < frames.size(); ++i) {
        const QString name = dir + QStringLiteral("%1-%2.png").arg(QTest::currentDataTag()).arg(i);
        if (qEnvironmentVariableIntValue("SUMSPROUT_WRITE_FRAMES")) {
            QDir().mkpath(dir);
            QVERIFY(frames[i].save(name));
            continue;
        }
        const QImage expected = QImage(name).convertToFormat(QImage::Format_RGB888);
        QVERIFY2(!expected.isNull(), qPrintable(name));
        QVERIFY2(frames[i] == expected, qPrintable(name));
    }
}

QTEST_MAIN(tst_SceneComposer)
#include "tst_SceneComposer.moc"
