#pragma once

#include "BoardMarks.h"
#include "TestSupport.h"
#include "core/Def.h"
#include "core/EngineHost.h"
#include "platform/Bitmap.h"

#include <QStringList>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

// One engine on its own board and hint bitmaps, in a temporary data folder, on a host with a
// stepped clock standing in for the game's timers: every 50 ms that pass count the slots
// down, and every 100 ms run a scene tick (the board, then the hint when it is due).
template <class Engine> class EngineRig
{
public:
    // lines replace files of Set/ before the engine loads them.
    explicit EngineRig(const std::vector<std::pair<QString, QStringList>> &files = {})
    {
        for (const auto &f : files)
            dir.writeLines(QStringLiteral("Set/") + f.first, f.second);
        engine = std::make_unique<Engine>(board, hint, host);
        board.setRecording(true);
        hint.setRecording(true);
    }

    void tick()
    {
        board.clearOps();
        board.fill(Magenta);
        engine->PaintBoard();
        ++ticks;
        if (engine->CanHint() && engine->HintDue() && !engine->IsFinished()) {
            hint.clearOps();
            hint.fill(Magenta);
            engine->PaintHint();
            hintShown = true;
        } else {
            hintShown = false;
        }
        if (onTick) onTick();
    }
    // Lets ms pass in 50 ms steps, with the timers running.
    void pass(int ms)
    {
        for (int t = 0; t < ms; t += 50) {
            clock.advance(50);
            host.tickSlots().CountDownSlots(50);
            sinceTick += 50;
            while (sinceTick >= 100) {
                sinceTick -= 100;
                tick();
            }
            if (duringWait) duringWait();
        }
    }
    // Lets time pass while the last right answer settles on the board; false when it never
    // does.
    bool settle()
    {
        for (int waited = 0; engine->Settling(); waited += 50) {
            if (waited >= 10000) return false;
            pass(50);
        }
        return true;
    }
    // The next step of an unfinished problem, asked once the board has settled, as the game
    // asks it.
    void nextStep()
    {
        if (engine->IsFinished()) return;
        QVERIFY2(settle(), "the board never settles");
        engine->NextStep();
    }
    // Plays the current problem to its end, each right answer found by trying, with the
    // scene ticking between the answers and after the last; seen() gets the board's calls of
    // every tick.
    void playThrough(const std::function<void(const std::vector<DrawOp> &)> &seen)
    {
        onTick = [&] { seen(board.ops()); };
        tick();
        for (int steps = 0; !engine->IsFinished(); ++steps) {
            int32_t v = 0;
            while (!engine->CheckAnswer(v) && v < 10000)
                ++v;
            QVERIFY2(v < 10000 && steps < 50, "no right answer found");
            tick();
            nextStep();
            if (QTest::currentTestFailed()) return;
            tick();
        }
        for (int i = 0; i < 30; ++i)
            tick();
        onTick = nullptr;
    }
    // The marks, as "'text' at (x,y)", that left the board while the problem was played
    // through.
    QStringList marksOffBoard()
    {
        QStringList outside;
        playThrough([&](const std::vector<DrawOp> &ops) {
            outside << MarksOutside(ops, board.image().rect());
        });
        outside.removeDuplicates();
        return outside;
    }
    // Texts drawn on a bitmap in the last tick, optionally only those of one colour.
    static std::vector<DrawOp> texts(const Bitmap &b, const QColor &colour = QColor())
    {
        std::vector<DrawOp> out;
        for (const DrawOp &op : b.ops()) {
            if (op.kind == DrawOp::Text && (!colour.isValid() || op.color == colour))
                out.push_back(op);
        }
        return out;
    }
    static bool hasText(const Bitmap &b, int x, int y, const QString &text,
                        const QColor &colour = QColor())
    {
        for (const DrawOp &op : texts(b, colour)) {
            if (op.p1 == QPoint(x, y) && op.text == text) return true;
        }
        return false;
    }
    // Texts of one row, joined from left to right.
    static QString row(const Bitmap &b, int y, const QColor &colour = QColor())
    {
        std::vector<DrawOp> ops;
        for (const DrawOp &op : texts(b, colour)) {
            if (op.p1.y() == y) ops.push_back(op);
        }
        std::stable_sort(ops.begin(), ops.end(),
                         [](const DrawOp &a, const DrawOp &c) { return a.p1.x() < c.p1.x(); });
        QString s;
        for (const DrawOp &op : ops)
            s += op.text;
        return s;
    }

    TempDataDir dir;
    Bitmap board{180, 240};
    Bitmap hint{100, 100};
    FakeClock clock;
    EngineHost host{clock, dir.folders()};
    std::unique_ptr<Engine> engine;
    int ticks = 0;
    int sinceTick = 0;
    bool hintShown = false;
    std::function<void()> onTick;
    // Runs after every 50 ms that pass.
    std::function<void()> duringWait;
};
