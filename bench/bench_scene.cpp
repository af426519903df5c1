// Cost of the 100 ms scene tick and of its parts.
#include "app/Main.h"
#include "app/Zoom.h"
#include "characters/uAnimation.h"
#include "core/Def.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "game/Session.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/SmoothEnlarge.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// A problem of each operation, as the engine poses it.
void pose(TMainClass &game, Op op)
{
    game.UseEngine(op);
    TAlgo &engine = game.Engine();
    switch (op) {
    case Op::Add:
        static_cast<TAdd &>(engine).SetProblem(38, 45);
        break;
    case Op::Dec:
        static_cast<TDec &>(engine).SetProblem(83, 45);
        break;
    case Op::Mul:
        static_cast<TMul &>(engine).SetProblem(38, 45);
        break;
    case Op::Div:
        static_cast<TDiv &>(engine).SetProblem(156, 4);
        break;
    }
}

// A game with a problem on the board, its hint fully faded in, and the shipped characters.
struct Shown
{
    explicit Shown(const SceneGeometry &g = screen(1024, 768, 1), Op op = Op::Add)
    {
        game = std::make_unique<Session>(benchServices(), g);
        pose(game->controller(), op);
        engine = &game->controller().Engine();
        stillClock.now += 6000; // hint due
        for (int i = 0; i < 20; ++i) {
            stillClock.now += 100;
            present();
        }
        // Zoomed, with the large drawings in, as the game is a moment after its start.
        scene().WaitForDrawings();
        present();
    }
    // The scene tick, the hint in sight or not.
    void present(bool hintOn = true)
    {
        game->scene().Present(*engine, true, hintOn, game->animation());
    }
    Scene &scene() { return game->scene(); }
    TAdd &add() { return static_cast<TAdd &>(game->controller().EngineOf(Op::Add)); }
    std::unique_ptr<Session> game;
    TAlgo *engine = nullptr;
};

// The tick alone, at 800 x 600 scene pixels times the argument.
void BM_PresentScene(benchmark::State &state)
{
    const int scale = static_cast<int>(state.range(0));
    Shown shown(screen(1024 * scale, 768 * scale, scale));
    for (auto _ : state) {
        stillClock.now += 100;
        shown.present();
        benchmark::DoNotOptimize(shown.scene().TakeChanged());
    }
    state.SetItemsProcessed(state.iterations() * shown.scene().BackBuffer().width() *
                            shown.scene().BackBuffer().height());
}
BENCHMARK(BM_PresentScene)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

// The same scene composed the straightforward way: each layer through QPainter with a mask
// made from its key colour and the layer's opacity.
void BM_ReferenceCompose(benchmark::State &state)
{
    Shown shown;
    Scene &g = shown.scene();
    TAnimation &animation = shown.game->animation();
    QImage target(g.Rect().size(), QImage::Format_RGB32);
    for (auto _ : state) {
        stillClock.now += 100;
        animation.Animate();
        g.BoardPicture().fill(Magenta);
        shown.engine->PaintBoard();
        g.HintTextPicture().fill(Magenta);
        shown.engine->PaintHint();
        std::vector<const SceneLayer *> layers;
        for (int id = 0; id < Scene::LayerCount; ++id)
            layers.push_back(&g.Layer(Scene::LayerId(id)));
        for (auto &s : animation.Sprites)
            layers.push_back(&s->Layer);
        std::stable_sort(layers.begin(), layers.end(),
                         [](auto *a, auto *b) { return CompareLayers(*a, *b) < 0; });
        QPainter p(&target);
        p.drawImage(0, 0, g.Background().image());
        for (const SceneLayer *l : layers) {
            if (l->Alpha == 0) continue;
            QImage picture = l->Picture->image().convertToFormat(QImage::Format_ARGB32);
            const QImage mask = l->Picture->image().createMaskFromColor(
                l->Picture->transparentColor().rgb(), Qt::MaskOutColor);
            picture.setAlphaChannel(mask);
            p.setOpacity(l->Alpha == -1 ? 1.0 : l->Alpha / 100.0);
            p.drawImage(l->X + l->DX, l->Y + l->DY, picture);
        }
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetItemsProcessed(state.iterations() * target.width() * target.height());
}
BENCHMARK(BM_ReferenceCompose)->Unit(benchmark::kMicrosecond);

// One frame as the window shows it on a screen of that many device pixels, zoomed as the game
// zooms: the tick, then the changed parts of the scene copied into an image of the window's
// size and format, as the window's paint does it.
void frame(benchmark::State &state, bool fading, Op op = Op::Add)
{
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const qreal zoom = ZoomForScreen(QSizeF(w, h));
    Shown shown(screen(w, h, zoom), op);
    Scene &g = shown.scene();
    QImage window(w, h, QImage::Format_RGB32);
    const QPoint at(toDevicePixels(g.Rect().left(), zoom), toDevicePixels(g.Rect().top(), zoom));
    int tick = 0;
    for (auto _ : state) {
        stillClock.now += 100;
        // Fading in again and again: hidden at once, then 5 more each tick.
        shown.present(!fading || tick++ % 12 != 0);
        const QRegion changed = g.TakeChanged().translated(at);
        QPainter p(&window);
        PaintScene(p, g.BackBuffer(), at, changed);
        p.end();
        benchmark::DoNotOptimize(window.constBits());
    }
    state.counters["zoom"] = zoom;
}

void BM_Frame(benchmark::State &state)
{
    frame(state, false);
}
BENCHMARK(BM_Frame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

// The same on each operation's board (addition, subtraction, multiplication, division).
void BM_FrameOperation(benchmark::State &state)
{
    frame(state, false, Op(state.range(2)));
}
BENCHMARK(BM_FrameOperation)
    ->ArgsProduct({{1920}, {1080}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMicrosecond);

// The same while the hint fades: both its layers change on every frame.
void BM_FrameHintFading(benchmark::State &state)
{
    frame(state, true);
}
BENCHMARK(BM_FrameHintFading)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMicrosecond);

// What a start costs until the first frame is composed: the game with its pictures, and
// the first frame, which on a zoomed screen is smoothed up from the small pictures.
void BM_FirstFrame(benchmark::State &state)
{
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const qreal zoom = ZoomForScreen(QSizeF(w, h));
    for (auto _ : state) {
        Session game(benchServices(), screen(w, h, zoom));
        TMainClass &c = game.controller();
        game.scene().Present(c.Engine(), c.CanPose(), c.HintOn(), game.animation());
        benchmark::DoNotOptimize(game.scene().BackBuffer().constBits());
    }
    state.counters["zoom"] = zoom;
}
BENCHMARK(BM_FirstFrame)
    ->Args({1024, 768})
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The same on until the large drawings are read and shown: what the reading thread adds,
// after the first frame, on a zoomed screen.
void BM_SharpFrame(benchmark::State &state)
{
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const qreal zoom = ZoomForScreen(QSizeF(w, h));
    for (auto _ : state) {
        Session game(benchServices(), screen(w, h, zoom));
        TMainClass &c = game.controller();
        game.scene().Present(c.Engine(), c.CanPose(), c.HintOn(), game.animation());
        game.scene().WaitForDrawings();
        game.scene().Present(c.Engine(), c.CanPose(), c.HintOn(), game.animation());
        benchmark::DoNotOptimize(game.scene().BackBuffer().constBits());
    }
    state.counters["zoom"] = zoom;
}
BENCHMARK(BM_SharpFrame)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_BlendBitmap(benchmark::State &state)
{
    const int side = static_cast<int>(state.range(0));
    Bitmap dst(side, side), src(side, side);
    dst.fill(QColor(20, 120, 40));
    src.fill(QColor(250, 240, 200));
    src.setPixel(0, side - 1, KeyGrey);
    src.transparent = true;
    // Arg 1: one pixel in from the left, so the rows cannot go as one span.
    const int at = static_cast<int>(state.range(1));
    for (auto _ : state) {
        BlendBitmap(dst, src, at, 0, 60);
        benchmark::DoNotOptimize(dst.image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * (side - at) * side);
}
BENCHMARK(BM_BlendBitmap)->ArgsProduct({{100, 200, 800}, {0, 1}});

// The scene smoothed up into warm window pixels at 3840 x 2160, from a 24-bit (0) or 32-bit
// (1) picture of it.
void BM_SmoothEnlarge(benchmark::State &state)
{
    QImage source(800, 600, state.range(0) ? QImage::Format_RGB32 : QImage::Format_RGB888);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, qRgb(x, y, x ^ y));
    QImage target(2250, 1688, QImage::Format_RGB32);
    target.fill(Qt::black);
    for (auto _ : state) {
        smoothEnlargeInto(target, target.rect(), source, target.rect());
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetItemsProcessed(state.iterations() * target.width() * target.height());
}
BENCHMARK(BM_SmoothEnlarge)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PaintBoardAdd(benchmark::State &state)
{
    Shown shown;
    shown.add().SetProblem(385, 947);
    for (auto _ : state)
        shown.add().PaintBoard();
}
BENCHMARK(BM_PaintBoardAdd)->Unit(benchmark::kMicrosecond);

void BM_Animate(benchmark::State &state)
{
    Shown shown;
    for (auto _ : state) {
        stillClock.now += 100;
        shown.game->animation().Animate();
    }
}
BENCHMARK(BM_Animate)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
