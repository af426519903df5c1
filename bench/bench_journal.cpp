// What recording in the practice journal adds to the answer flow.
#include "core/Def.h"
#include "engines/AddAlgo.h"
#include "game/Session.h"
#include "platform/Clock.h"
#include "progress/Journal.h"
#include "progress/Review.h"
#include "settings/SetFiles.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// A journal already holding problems problems with three answers each, as after months of
// play (the game does a few hundred problems a week), and reviewItems missed problems of
// player 0 waiting since its start, their operation off the "Alg=" line.
struct FilledJournal
{
    explicit FilledJournal(int problems, int reviewItems = 0)
    {
        const QString path = dir.filePath(QStringLiteral("Progress.db"));
        {
            Journal create(path, noMessages);
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
            db.setDatabaseName(path);
            db.open();
            db.transaction();
            QSqlQuery p(db), a(db);
            p.prepare(QStringLiteral(
                "INSERT INTO problems(player, player_name, operation, operand1, operand2, type, "
                "step_mode, posed_at, finished_at, wrong, coins) VALUES(?, 'x', ?, ?, ?, 't', 1, "
                "'2026-11-01T10:00:00.000Z', '2026-11-01T10:00:09.000Z', 1, 1)"));
            a.prepare(QStringLiteral("INSERT INTO answers(problem, step, value, correct, "
                                     "hint_shown, ms, at) VALUES(?, ?, 7, ?, 0, 3000, "
                                     "'2026-11-01T10:00:03.000Z')"));
            for (int i = 0; i < problems; ++i) {
                p.bindValue(0, i % 4 == 1 ? 0 : i % 4);
                p.bindValue(1, i % 4);
                p.bindValue(2, i % 100);
                p.bindValue(3, i % 10);
                p.exec();
                const qlonglong id = p.lastInsertId().toLongLong();
                for (int s = 0; s < 3; ++s) {
                    a.bindValue(0, id);
                    a.bindValue(1, s);
                    a.bindValue(2, s > 0 ? 1 : 0);
                    a.exec();
                }
            }
            QSqlQuery r(db);
            r.prepare(QStringLiteral(
                "INSERT INTO review(player, operation, operand1, operand2, type, step_mode, "
                "last_problem, counted_from, gap) SELECT 0, 2, id, 7, 't', 1, id, id, 3 FROM "
                "problems WHERE player = 0 LIMIT ?"));
            r.bindValue(0, reviewItems);
            r.exec();
            db.commit();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fill"));
        journal = std::make_unique<Journal>(path, noMessages);
    }
    QTemporaryDir dir;
    std::unique_ptr<Journal> journal;
};

PosedRecord posed()
{
    PosedRecord p;
    p.PlayerName = QStringLiteral("小明");
    p.Operation = Op::Mul;
    p.Operand1 = 7;
    p.Operand2 = 8;
    p.Type = QStringLiteral("1位数×1位数");
    p.PosedAt = QDateTime::currentDateTimeUtc();
    return p;
}

AnswerRecord answer()
{
    AnswerRecord a;
    a.Value = 54;
    a.Ms = 4200;
    a.At = QDateTime::currentDateTimeUtc();
    a.PlayerName = QStringLiteral("小明");
    return a;
}

// One answer: its row and the update of its problem, in one transaction.
void BM_RecordAnswer(benchmark::State &state)
{
    FilledJournal j(static_cast<int>(state.range(0)));
    const int64_t id = j.journal->recordPosed(posed());
    const AnswerRecord a = answer();
    for (auto _ : state)
        j.journal->recordAnswer(id, a);
    if (!j.journal->isOn()) state.SkipWithError("journal switched off");
}
BENCHMARK(BM_RecordAnswer)->Arg(0)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_RecordPosed(benchmark::State &state)
{
    FilledJournal j(static_cast<int>(state.range(0)));
    const PosedRecord p = posed();
    for (auto _ : state)
        benchmark::DoNotOptimize(j.journal->recordPosed(p));
}
BENCHMARK(BM_RecordPosed)->Arg(0)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The check of an answer as the answer flow makes it: a wrong one straight to the engine as
// before the journal (0); through the controller, which records it and puts the problem up
// for review (1); the same with review switched off (2); a right one to the units of a drawn
// problem, recorded (3).
void BM_CheckAnswer(benchmark::State &state)
{
    Session session(benchServices(), screen(1024, 768, 1));
    TMainClass &game = session.controller();
    game.LoadOptionsFrom(SetFiles::BasicLines(false, {0}, true, true, state.range(0) != 2));
    game.UseEngine(Op::Add);
    auto *add = &static_cast<TAdd &>(game.Engine());
    add->SetProblem(38, 45);
    game.ProblemPosed();
    const bool recorded = state.range(0) != 0;
    const int32_t value = state.range(0) == 3 ? 13 : 12;
    for (auto _ : state)
        benchmark::DoNotOptimize(recorded ? game.CheckAnswer(value) : add->CheckAnswer(value));
    if (!game.journal()->isOn()) state.SkipWithError("journal switched off");
}
BENCHMARK(BM_CheckAnswer)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// Whether a missed problem is due, asked before every new problem: on a large journal with
// twenty items waiting since its start (their operation off the "Alg=" line), the worst case
// of counting the problems since each.
void BM_ReviewDue(benchmark::State &state)
{
    FilledJournal j(static_cast<int>(state.range(0)), 20);
    Review review(*j.journal);
    for (auto _ : state)
        benchmark::DoNotOptimize(review.due(0, [](const ReviewItem &) { return false; }));
    if (!j.journal->isOn()) state.SkipWithError("journal switched off");
}
BENCHMARK(BM_ReviewDue)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// What the report reads for a player over everything: the rows behind its figures.
void BM_ReadProblems(benchmark::State &state)
{
    FilledJournal j(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(j.journal->problems(0, {}).size());
}
BENCHMARK(BM_ReadProblems)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
