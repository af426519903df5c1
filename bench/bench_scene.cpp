// Cost of the 100 ms scene tick and of its parts.
#include "characters/uAnimation.h"
#include "core/Def.h"
#include "core/uMainClass.h"
#include "engines/AddAlgo.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "BenchData.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

class StillClock : public Clock
{
public:
    uint32_t tickCount() override { return now; }
    void idle(int ms) override { now += static_cast<uint32_t>(ms); }
    uint32_t now = 100000;
};

StillClock stillClock;

SceneGeometry screen1024()
{
    SceneGeometry g;
    g.ScreenWidth = 1024;
    g.ScreenHeight = 768;
    g.Who = QRect(10, 53, 129, 195);
    g.AnswerPanelHeight = 105;
    g.MoneyImage = QRect(0, 605, 219, 163);
    return g;
}

// A game with a problem on the board, its hint fully faded in, and the shipped characters.
struct Scene
{
    explicit Scene(int scale = 1)
    {
        game = std::make_unique<TMainClass>(screen1024(), nullptr);
        auto *add = static_cast<TAdd *>(game->Engines[0].get());
        game->Engine = add;
        add->SetProblem(38, 45);
        stillClock.now += 6000; // hint due
        if (scale > 1) {
            Bitmap big(game->Background.image().scaled(800 * scale, 600 * scale));
            game->Background = big;
            game->BackBuffer.setSize(big.width(), big.height());
        }
        for (int i = 0; i < 20; ++i)
            game->Present();
    }
    std::unique_ptr<TMainClass> game;
};

void BM_PresentScene(benchmark::State &state)
{
    Scene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        scene.game->Present();
        benchmark::DoNotOptimize(scene.game->BackBuffer.image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * scene.game->BackBuffer.width() *
                            scene.game->BackBuffer.height());
}
BENCHMARK(BM_PresentScene)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

// The same scene composed the straightforward way: each layer through QPainter with a mask
// made from its key colour and the layer's opacity.
void BM_ReferenceCompose(benchmark::State &state)
{
    Scene scene;
    TMainClass &g = *scene.game;
    QImage target(g.SceneWidth, g.SceneHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        g.BoardPicture.fill(Magenta);
        g.Engine->PaintBoard();
        g.HintTextPicture.fill(Magenta);
        g.Engine->PaintHint();
        std::vector<SceneLayer *> layers = {
            &g.BlackboardLayer, &g.BoardLayer,    &g.TreeRightLayer, &g.TreeLeftLayer,
            &g.HintPanelLayer,  &g.HintTextLayer, &g.GrassLeftLayer, &g.GrassRightLayer};
        for (auto &s : g.Animation->Sprites)
            layers.push_back(&s->Layer);
        std::stable_sort(layers.begin(), layers.end(),
                         [](auto *a, auto *b) { return CompareLayers(*a, *b) < 0; });
        QPainter p(&target);
        p.drawImage(0, 0, g.Background.image());
        for (SceneLayer *l : layers) {
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

void BM_BlendBitmap(benchmark::State &state)
{
    const int side = static_cast<int>(state.range(0));
    Bitmap dst(side, side), src(side, side);
    dst.fill(QColor(20, 120, 40));
    src.fill(QColor(250, 240, 200));
    src.setPixel(0, side - 1, KeyGrey);
    src.transparent = true;
    for (auto _ : state) {
        BlendBitmap(dst, src, 0, 0, 60);
        benchmark::DoNotOptimize(dst.image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_BlendBitmap)->Arg(100)->Arg(200)->Arg(800);

void BM_PaintBoardAdd(benchmark::State &state)
{
    Scene scene;
    auto *add = static_cast<TAdd *>(scene.game->Engines[0].get());
    add->SetProblem(385, 947);
    for (auto _ : state)
        add->PaintBoard();
}
BENCHMARK(BM_PaintBoardAdd)->Unit(benchmark::kMicrosecond);

void BM_Animate(benchmark::State &state)
{
    Scene scene;
    for (auto _ : state) {
        stillClock.now += 100;
        scene.game->Animation->Animate();
    }
}
BENCHMARK(BM_Animate)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();
    setGameClock(&stillClock);
    AppDir = benchDataTree();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
