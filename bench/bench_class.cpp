// Sending the journal to a class server: how fast rows go in, how long a room's backlog takes
// to arrive when the server comes back, and what a running link costs the recording path.
#include "ClassServer.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "progress/ClassLink.h"
#include "progress/ClassSender.h"
#include "progress/Journal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <memory>

namespace {

class QuietReporter : public Reporter
{
public:
    void showError(const QString &) override {}
    bool askYesNo(const QString &, const QString &) override { return false; }
};

QuietReporter quiet;
SystemClock seatClock;

// A machine's Set/ folder with its journal.
struct BenchSeat
{
    QString setFolder() const { return dir.filePath(QStringLiteral("Set")); }
    QString journalPath() const { return dir.filePath(QStringLiteral("Set/Progress.db")); }
    QTemporaryDir dir;
    bool made = QDir(dir.path()).mkpath(QStringLiteral("Set"));
    std::unique_ptr<Journal> journal = std::make_unique<Journal>(journalPath(), quiet);
};

// One server for every benchmark, set up as the README says; null when it cannot run.
ClassServer *server()
{
    static std::unique_ptr<ClassServer> s;
    static QString why;
    if (!s && why.isEmpty()) {
        s = std::make_unique<ClassServer>();
        why = s->start();
        if (!why.isEmpty())
            s.reset();
        else {
            BenchSeat own;
            ClassSender(s->settings(QStringLiteral("setup"), QStringLiteral("T"), true),
                        own.journalPath(), seatClock)
                .sendPending();
        }
    }
    return s.get();
}

int serial()
{
    static int n = 0;
    return ++n;
}

// A seat with problems finished problems of three answers each already in its journal.
std::unique_ptr<BenchSeat> filledSeat(int problems)
{
    auto seat = std::make_unique<BenchSeat>();
    seat->journal.reset();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fill");
        db.setDatabaseName(seat->journalPath());
        db.open();
        db.transaction();
        QSqlQuery p(db), a(db);
        p.prepare(QStringLiteral(
            "INSERT INTO problems(player, player_name, operation, operand1, operand2, type, "
            "step_mode, posed_at, finished_at, wrong, coins) VALUES(0, '小明', ?, ?, ?, "
            "'1位数×1位数', 1, '2026-11-01T10:00:00.000Z', '2026-11-01T10:00:09.000Z', 1, 1)"));
        a.prepare(QStringLiteral("INSERT INTO answers(problem, step, value, correct, "
                                 "hint_shown, ms, at) VALUES(?, ?, 7, ?, 0, 3000, "
                                 "'2026-11-01T10:00:03.000Z')"));
        for (int i = 0; i < problems; ++i) {
            p.bindValue(0, i % 4);
            p.bindValue(1, i % 100);
            p.bindValue(2, i % 10);
            p.exec();
            const qlonglong id = p.lastInsertId().toLongLong();
            for (int s = 0; s < 3; ++s) {
                a.bindValue(0, id);
                a.bindValue(1, s);
                a.bindValue(2, s > 0 ? 1 : 0);
                a.exec();
            }
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    seat->journal = std::make_unique<Journal>(seat->journalPath(), quiet);
    return seat;
}

qlonglong rowsOnServer(const QString &className)
{
    const auto rows =
        server()->rows(QStringLiteral("SELECT (SELECT count(*) FROM problems WHERE class = '%1') + "
                                      "(SELECT count(*) FROM answers WHERE class = '%1')")
                           .arg(className));
    return rows.isEmpty() ? -1 : rows.first().first().toLongLong();
}

// A backlog of 5 000 problems (20 000 rows) sent by one seat in batches of range(0) rows.
void BM_SendRows(benchmark::State &state)
{
    if (!server()) return state.SkipWithError("no PostgreSQL server");
    const auto seat = filledSeat(5000);
    int64_t rows = 0;
    for (auto _ : state) {
        ClassSender sender(
            server()->settings(QStringLiteral("send-%1").arg(serial()), QStringLiteral("A01")),
            seat->journalPath(), seatClock, int(state.range(0)));
        const ClassRound r = sender.sendPending();
        if (r.outcome != ClassRound::Sent) return state.SkipWithError(qPrintable(r.error));
        rows += r.rowsSent;
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_SendRows)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Thirty seats with 500 problems each waiting while the server was down for range(0)
// seconds: the time from the server's start until the last row is in (manual time).
void BM_ClassBacklog(benchmark::State &state)
{
    if (!server()) return state.SkipWithError("no PostgreSQL server");
    std::vector<std::unique_ptr<BenchSeat>> seats;
    for (int i = 0; i < 30; ++i)
        seats.push_back(filledSeat(500));
    const qlonglong expected = 30 * 500 * 4;
    for (auto _ : state) {
        const QString className = QStringLiteral("room-%1").arg(serial());
        server()->stop();
        std::vector<std::unique_ptr<ClassLink>> links;
        for (int i = 0; i < 30; ++i) {
            ClassServer::writeIni(seats[i]->setFolder(),
                                  server()->settings(className, QStringLiteral("S%1").arg(i)));
            links.push_back(ClassLink::start(seats[i]->setFolder(), quiet, seatClock));
        }
        QThread::sleep(unsigned(state.range(0)));
        if (const QString why = server()->start(); !why.isEmpty())
            return state.SkipWithError(qPrintable(why));
        QElapsedTimer clock;
        clock.start();
        while (rowsOnServer(className) < expected && clock.elapsed() < 120000)
            QThread::msleep(20);
        state.SetIterationTime(clock.elapsed() / 1000.0);
        if (rowsOnServer(className) != expected) return state.SkipWithError("rows missing");
        state.SetItemsProcessed(expected);
    }
}
BENCHMARK(BM_ClassBacklog)
    ->Arg(2)
    ->Arg(40)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One answer recorded and the link woken, as the game does after each answer: without a
// link (0), with a link sending a large backlog meanwhile (1), with the server down (2).
// p99_us and max_us: the 99th percentile and the slowest of the single calls.
void BM_RecordWhileSending(benchmark::State &state)
{
    if (!server()) return state.SkipWithError("no PostgreSQL server");
    const auto seat = filledSeat(state.range(0) == 1 ? 20000 : 100);
    if (state.range(0) == 2) server()->stop();
    std::unique_ptr<ClassLink> link;
    const QString className = QStringLiteral("record-%1").arg(serial());
    if (state.range(0) != 0) {
        ClassServer::writeIni(seat->setFolder(),
                              server()->settings(className, QStringLiteral("A01")));
        link = ClassLink::start(seat->setFolder(), quiet, seatClock);
    }
    PosedRecord p;
    p.PlayerName = QStringLiteral("小明");
    p.Operation = Op::Mul;
    p.Operand1 = 7;
    p.Operand2 = 8;
    p.PosedAt = QDateTime::currentDateTimeUtc();
    const int64_t id = seat->journal->recordPosed(p);
    AnswerRecord a;
    a.Value = 54;
    a.Ms = 4200;
    a.At = QDateTime::currentDateTimeUtc();
    a.PlayerName = p.PlayerName;
    std::vector<double> took;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        seat->journal->recordAnswer(id, a);
        if (link) link->wake();
        took.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(took.begin(), took.end());
    state.counters["p99_us"] = took[took.size() * 99 / 100];
    state.counters["max_us"] = took.back();
    link.reset();
    // Rows that went to the server meanwhile.
    if (state.range(0) == 1) state.counters["sent"] = double(rowsOnServer(className));
    if (!seat->journal->isOn()) state.SkipWithError("journal switched off");
    if (!server()->running()) server()->start();
}
BENCHMARK(BM_RecordWhileSending)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->MinTime(2)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
