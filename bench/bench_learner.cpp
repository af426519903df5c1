// Simulated children answer through the session, without a window: each has a known chance
// of getting every column of a problem right, and the table shows the first-try success each
// reached over their problems 60 to 120, with the problems chosen to fit them and drawn at
// random as before.
//
//   build/bench/bench_learner [children per kind] [problems] [child]
//
// SUMSPROUT_SIM_TRACE=1 prints every problem with the child's chance and the model's;
// SUMSPROUT_SIM_KEEP=folder keeps the Set/ folder of the last child whose problems were
// chosen to fit, journal and all.

#include "core/ProblemView.h"
#include "game/Session.h"
#include "platform/Clock.h"
#include "platform/DataFolders.h"
#include "platform/TextFiles.h"
#include "progress/SkillModel.h"
#include "progress/SkillRule.h"
#include "settings/SetFiles.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>

namespace {

// Game time moves only when the simulation moves it; days follow the ticks.
class SimClock : public Clock
{
public:
    uint32_t tickCount() override { return now; }
    int64_t utcMilliseconds() override { return start + now; }
    uint32_t now = 1000;
    // 2026-12-01 08:00 UTC.
    int64_t start = 1796112000000;
};

int digitAt(int32_t n, int i)
{
    for (; i > 0; --i)
        n /= 10;
    return n % 10;
}

// What a child knows: the chance of a right column, given what the column asks.
struct Column
{
    bool Both = false; // both operands have a digit here
    int Sum = 0;       // the digits' sum (addition) or the minuend's digit (subtraction)
    int Subtrahend = 0;
    bool CarryIn = false;
    bool Regroups = false; // carries out, or borrows
    bool Chained = false;  // a carry into a carrying column, a borrow across a zero
};

struct Child
{
    const char *Name;
    const char *Kind;
    std::function<double(Op, const Column &)> Knows;
    // Seconds per column and per regrouping.
    double Base, PerColumn, PerRegroup;
};

std::vector<Column> columns(Op op, int32_t a, int32_t b)
{
    std::vector<Column> out;
    const int n = SkillRule::digitCount(a);
    int carry = 0, borrow = 0;
    for (int i = 0; i < n || (op == Op::Add && i < SkillRule::digitCount(b)); ++i) {
        Column c;
        c.Both = i < SkillRule::digitCount(b);
        if (op == Op::Add) {
            c.Sum = digitAt(a, i) + digitAt(b, i);
            c.CarryIn = carry > 0;
            const int v = c.Sum + carry;
            const bool last = i + 1 >= std::max(n, SkillRule::digitCount(b));
            c.Regroups = v >= 10 && !last;
            c.Chained = c.CarryIn && v >= 10;
            carry = v / 10;
        } else {
            c.Sum = digitAt(a, i);
            c.Subtrahend = digitAt(b, i);
            c.CarryIn = borrow > 0;
            c.Regroups = c.Sum - borrow < c.Subtrahend;
            c.Chained = c.CarryIn && c.Regroups;
            borrow = c.Regroups ? 1 : 0;
        }
        out.push_back(c);
    }
    return out;
}

double chanceOf(const Child &child, Op op, int32_t a, int32_t b)
{
    double p = 1;
    for (const Column &c : columns(op, a, b))
        p *= child.Knows(op, c);
    return p;
}

double secondsFor(const Child &child, Op op, int32_t a, int32_t b)
{
    double s = child.Base;
    for (const Column &c : columns(op, a, b))
        s += child.PerColumn + (c.Regroups ? child.PerRegroup : 0);
    return s;
}

const std::vector<Child> &children()
{
    static const std::vector<Child> kinds = {
        {"carries", "knows one-digit facts well, often fails carries and borrows",
         [](Op, const Column &c) {
             double p = c.Both ? 0.97 : 1.0;
             if (c.Regroups) p *= 0.5;
             return p;
         },
         4, 3, 3},
        {"strong", "right almost always; a chained carry or a borrow across a zero trips it",
         [](Op op, const Column &c) {
             double p = c.Both ? 0.998 : 1.0;
             if (c.Regroups) p *= op == Op::Add ? 0.99 : 0.985;
             if (c.Chained) p *= 0.8;
             return p;
         },
         2, 1.5, 1},
        {"facts", "shaky on facts that bridge ten, sound on the rest",
         [](Op op, const Column &c) {
             const bool bridges =
                 op == Op::Add ? c.Sum >= 10 : c.Both && c.Sum - (c.CarryIn ? 1 : 0) < c.Subtrahend;
             double p = !c.Both ? 1.0 : bridges ? 0.55 : 0.97;
             if (c.CarryIn) p *= 0.92;
             return p;
         },
         4, 3, 4},
        {"beginner", "facts within ten mostly, little else yet",
         [](Op, const Column &c) {
             double p = c.Both ? 0.88 : 1.0;
             if (c.Regroups) p *= 0.3;
             if (c.CarryIn) p *= 0.8;
             return p;
         },
         6, 4, 4},
    };
    return kinds;
}

void copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString rel = QDir(from).relativeFilePath(file);
        QDir(to).mkpath(QFileInfo(rel).path());
        QFile::copy(file, QDir(to).filePath(rel));
        QFile::setPermissions(QDir(to).filePath(rel), QFile::ReadOwner | QFile::WriteOwner);
    }
}

struct Run
{
    // First-try outcome of each problem, in order.
    std::vector<bool> Right;
    int Again = 0;
};

// One child plays problems problems; seed sets the game's clock and the child's luck.
Run play(const Child &child, bool adaptive, int problems, unsigned seed)
{
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    copyTree(QStringLiteral(SUMSPROUT_DATA_DIR), root);
    const QString set = root + QStringLiteral("Set/");
    // Every shipped addition and subtraction type, whole answers.
    for (int op : {0, 1})
        writeTextLines(SetFiles::Path(set, SetFiles::SetList(op)),
                       SetFiles::Sorted(SetFiles::DefaultItems(op)));
    writeTextLines(SetFiles::Path(set, SetFiles::Basic),
                   SetFiles::BasicLines(false, {0, 1}, true, false, true, adaptive));
    SimClock clock;
    clock.now = 1000 + seed * 7919;
    Session session(GameServices{portableFolders(root), clock, noSound, noMessages},
                    screen(1024, 768, 1));
    session.Start();
    std::mt19937 luck(seed);
    std::uniform_real_distribution<double> coin(0, 1);
    Run run;
    const bool trace = qEnvironmentVariableIsSet("SUMSPROUT_SIM_TRACE");
    auto runCourse = [&] {
        for (int i = 0; i < 2000 && (session.Busy() || session.ProblemFinished()); ++i) {
            clock.now += 50;
            session.CountDown(50);
            if (i % 2) session.Tick();
        }
    };
    for (int p = 0; p < problems; ++p) {
        TAlgo &engine = session.controller().Engine();
        const ProblemSnapshot s = dynamic_cast<const ProblemView &>(engine).Snapshot();
        const Op op = session.controller().Operation();
        const int32_t answer = op == Op::Add ? s.Operand1 + s.Operand2 : s.Operand1 - s.Operand2;
        const double chance = chanceOf(child, op, s.Operand1, s.Operand2);
        const bool right = coin(luck) < chance;
        if (trace)
            std::printf("%3d %s %d%c%d  child %.2f  model %.2f  %s\n", p + 1,
                        qPrintable(s.TypeLine), s.Operand1, op == Op::Add ? '+' : '-', s.Operand2,
                        chance,
                        session.controller().skills()->problemSuccess(
                            session.Player(), op, s.TypeLine, s.Operand1, s.Operand2, false),
                        right ? "right" : "wrong");
        clock.now += uint32_t(1000 * secondsFor(child, op, s.Operand1, s.Operand2));
        session.Submit(right ? answer : answer + 1);
        if (!right) {
            runCourse();
            clock.now += 3000;
            session.Submit(answer);
        }
        run.Right.push_back(right);
        runCourse();
    }
    const QString keep = qEnvironmentVariable("SUMSPROUT_SIM_KEEP");
    if (!keep.isEmpty() && adaptive) {
        QDir(keep).removeRecursively();
        copyTree(set, keep);
    }
    return run;
}

double share(const std::vector<bool> &right, int from, int to)
{
    int n = 0, r = 0;
    for (int i = from - 1; i < to && i < int(right.size()); ++i, ++n)
        r += right[i] ? 1 : 0;
    return n ? double(r) / n : 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int perKind = argc > 1 ? std::max(1, atoi(argv[1])) : 8;
    const int problems = argc > 2 ? std::max(120, atoi(argv[2])) : 120;
    std::printf("first-try success over problems 60 to 120, %d children of each kind\n\n", perKind);
    std::printf("| child | adaptive: mean (lowest-highest) | random: mean (lowest-highest) |\n");
    std::printf("|---|---|---|\n");
    QElapsedTimer timer;
    timer.start();
    int played = 0;
    // A third argument plays only the child of that name.
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    for (const Child &child : children()) {
        if (!only.isEmpty() && only != QLatin1String(child.Name)) continue;
        double sum[2] = {}, low[2] = {1, 1}, high[2] = {0, 0};
        for (int adaptive = 1; adaptive >= 0; --adaptive) {
            for (int i = 0; i < perKind; ++i) {
                const Run run = play(child, adaptive == 1, problems, 100 + i);
                played += problems;
                const double s = share(run.Right, 60, 120);
                sum[adaptive] += s;
                low[adaptive] = std::min(low[adaptive], s);
                high[adaptive] = std::max(high[adaptive], s);
            }
        }
        std::printf("| %s (%s) | %.0f %% (%.0f-%.0f) | %.0f %% (%.0f-%.0f) |\n", child.Name,
                    child.Kind, 100 * sum[1] / perKind, 100 * low[1], 100 * high[1],
                    100 * sum[0] / perKind, 100 * low[0], 100 * high[0]);
        std::fflush(stdout);
    }
    std::printf("\n%d problems played in %.1f s\n", played, timer.elapsed() / 1000.0);
    return 0;
}
