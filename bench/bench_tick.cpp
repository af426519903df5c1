// The real scene tick of the game's window: the window's 100 ms timer slot (the session's
// tick, which composes the scene) and then what Qt does with the update it asks for: the paint
// into the window's backing store and its flush, on the offscreen platform with a screen of
// the benchmark's size, zoomed as the game zooms. Each operation's board, its hint shown.
#include "app/Main.h"
#include "app/Zoom.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "game/Session.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

// The screen every window of this run is shown on.
const QSize Screen(1920, 1080);

// Counts the window's paints, so a tick that painted nothing is told apart.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

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

// One tick as the timer makes it, and the paint and flush it asks for.
void tick(TMainForm &form)
{
    stillClock.now += 100;
    form.Timer1Timer();
    QCoreApplication::sendPostedEvents();
}

void BM_GameTick(benchmark::State &state)
{
    const Op op = Op(state.range(0));
    if (QSize(int(state.range(1)), int(state.range(2))) != Screen) {
        state.SkipWithError("the screen of this run has another size");
        return;
    }
    TMainForm form(benchServices());
    form.setGeometry(form.screen()->geometry());
    form.show();
    QElapsedTimer shown;
    shown.start();
    while (!(form.windowHandle() && form.windowHandle()->isExposed()) && shown.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    // The game's own timers would tick on real time; here the benchmark ticks.
    for (QTimer *t : {form.Timer1, form.Timer2, form.WaitTimer, form.HowMuchTimer})
        t->stop();
    pose(form.Game()->controller(), op);
    stillClock.now += 6000; // the hint is due
    // The hint fades in, and the large drawings read meanwhile come in.
    for (int i = 0; i < 20; ++i) {
        tick(form);
        QThread::msleep(50);
    }
    for (int i = 0; i < 5; ++i)
        tick(form);
    PaintCounter counter;
    form.installEventFilter(&counter);
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        tick(form);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        ms.push_back(took.count() * 1000);
    }
    form.removeEventFilter(&counter);
    std::sort(ms.begin(), ms.end());
    if (!ms.empty()) {
        state.counters["p50_ms"] = ms[ms.size() / 2];
        state.counters["p90_ms"] = ms[std::min(ms.size() - 1, ms.size() * 9 / 10)];
        state.counters["paints"] = double(counter.paints) / double(ms.size());
    }
    state.counters["zoom"] = form.devicePixelRatioF();
    form.close();
}
BENCHMARK(BM_GameTick)
    ->ArgsProduct({{0, 1, 2, 3}, {Screen.width()}, {Screen.height()}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // An offscreen screen of the benchmark's size, zoomed as the game's start zooms it.
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)) return 1;
    f.write(QStringLiteral(R"({"screens":[{"name":"s","x":0,"y":0,"width":%1,"height":%2,)"
                           R"("logicalDpi":96}]})")
                .arg(Screen.width())
                .arg(Screen.height())
                .toUtf8());
    f.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    qunsetenv("QT_SCALE_FACTOR");
    UserScaling userScaling = ApplyStartZoom(argc, argv);
    QApplication app(argc, argv);
    RestoreUserScaleFactor(userScaling);
    installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
