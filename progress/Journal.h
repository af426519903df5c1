#pragma once

#include "core/Def.h"
#include "platform/FileIdentity.h"
#include "progress/PendingWrites.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class Clock;
class QSqlDatabase;
class QSqlError;
class QSqlQuery;
class Reporter;

// A problem as an engine posed it.
struct PosedRecord
{
    int32_t Player = 0;
    QString PlayerName;
    Op Operation = Op::Add;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    QString Type;
    bool StepMode = true;
    QDateTime PosedAt;
};

// One submitted answer and what it does to its problem.
struct AnswerRecord
{
    int32_t Step = 0;
    int32_t Value = 0;
    bool Correct = false;
    bool HintShown = false;
    int64_t Ms = 0;
    QDateTime At;
    // The player current when the answer was given: the problem goes to them, as its coins do.
    int32_t Player = 0;
    QString PlayerName;
    // This answer finished the problem and paid Coins.
    bool Finishes = false;
    int32_t Coins = 0;
    // The kind of a wrong answer ("add.carry_forgotten", "other"); empty for a right one.
    QString Mistake;
    // The step stood worked on the board when this answer was given.
    bool Worked = false;
    // A wrong answer cost the player a silver coin.
    bool SilverTaken = false;
};

// A problem row as the report reads it, with its answers counted.
struct ProblemRow
{
    int64_t Id = 0;
    int32_t Player = 0;
    QString PlayerName;
    int32_t Operation = 0;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    QString Type;
    bool StepMode = true;
    QDateTime PosedAt;
    QDateTime FinishedAt; // null while unfinished
    int32_t Wrong = 0;
    int32_t Hints = 0;
    int32_t Coins = 0;
    int32_t Answers = 0;
    int32_t RightAnswers = 0;
    // Silver coins taken for its wrong answers.
    int32_t Taken = 0;
    // The child's own time on it: each answer's time since its step could be answered.
    int64_t AnswerMs = 0;
};

// Where a missed problem stands in its schedule (see Review).
struct ReviewState
{
    // The problem it was last played in, and the one its gap is counted from.
    int64_t LastProblem = 0;
    int64_t CountedFrom = 0;
    int32_t Gap = 0;
    // Clean answers in a row.
    int32_t Clean = 0;
};

// A missed problem kept for review: what it was, where it stands, and how many of its
// player's problems have been posed since its gap began (counted up to a cap).
struct ReviewRecord
{
    int64_t Id = 0;
    Op Operation = Op::Add;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    // The chosen-list line it was drawn from.
    QString Type;
    bool StepMode = true;
    ReviewState State;
    int32_t PosedSince = 0;
};

// The practice journal: Set/Progress.db, SQLite in WAL mode. Opening brings the schema up to
// date by numbered migrations (PRAGMA user_version). Writes that find the file held by another
// program (or the disk full) wait in memory and go in, in order, once it is free; a wait of a
// minute is told once. A file deleted while the game runs is noticed before the next write,
// and a fresh journal begun there. A database that cannot be opened or written otherwise
// switches recording off for the rest of the run, after one error box naming the file and the
// reason; a read-only one is still read for the report. The game goes on without it.
class Journal
{
public:
    // The schema this build writes; a file of a later version is left alone.
    static const int SchemaVersion;

    // A failure is told once through reporter. The waits are timed by clock (by the machine's
    // when none is given).
    Journal(const QString &path, Reporter &reporter, Clock *clock = nullptr);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Recording: rows are written, or kept until the file takes them.
    bool isOn() const { return m_on; }
    const QString &path() const { return m_path; }
    // Why the journal is off; empty while it is on.
    const QString &failure() const { return m_failure; }
    // Whether what was recorded can still be read (a journal that stopped writing may).
    bool canRead() const;
    // Writes waiting for the file.
    size_t pendingWrites() const { return m_pending.size(); }
    // Tries the waiting writes again when their wait is over; the game's scene tick calls it.
    void writePending();
    // The row id a problem handle stands for now: a problem recorded while the file was held
    // gets its row later, and one recorded before a deleted file its row in the fresh one.
    // Negative while the row is still waiting.
    int64_t rowOf(int64_t problem) const;

    // Each is one short transaction and does nothing while the journal is off.
    // The new problem's handle (its row id while the file takes rows at once), 0 when nothing
    // is recorded.
    int64_t recordPosed(const PosedRecord &problem);
    void recordAnswer(int64_t problem, const AnswerRecord &answer);

    // The problems of a player posed at or after since (all of them when since is null),
    // oldest first. Empty when the database cannot be read.
    std::vector<ProblemRow> problems(int32_t player, const QDateTime &since) const;
    // The same problems as raw rows, one per answer joined with its problem (a problem
    // without answers gets one row with the answer columns empty).
    static QStringList rawHeader();
    QList<QStringList> rawRows(int32_t player, const QDateTime &since) const;

    // The review's state. Whether one of the player's last count problems was posed as a
    // review.
    bool recentReview(int32_t player, int count) const;
    // The player's review items, longest waiting first, with the problems posed since each
    // one's gap began counted up to cap.
    std::vector<ReviewRecord> reviews(int32_t player, int cap) const;
    // The item whose last problem is problem, if any.
    std::optional<ReviewRecord> reviewCarriedBy(int64_t problem) const;
    // The item was posed again as the problem of row problem.
    void markPosedAsReview(int64_t item, int64_t problem);
    // After an answer to problem: its item goes with it to the player who answered, giving
    // way to that player's own copy of the same problem; then it is kept in state, or
    // retired when state is empty. A problem without an item gets one made from its row.
    void keepReview(int64_t problem, const std::optional<ReviewState> &state);
    // What the review needs to know of a problem's row: whether it was posed as a review and
    // had no wrong answer so far.
    bool cleanReview(int64_t problem) const;

    // Times as they are stored: ISO 8601 in UTC with milliseconds.
    static QString isoTime(const QDateTime &t);
    static QDateTime parseTime(const QString &text);

private:
    // The skill model's tables are written through the journal's queue and read beside it.
    friend class SkillStore;
    enum class Outcome { Done, Blocked, Failed };
    // Queues write and tries what waits when it is due.
    void write(JournalWrite write);
    // Writes what waits, in order, as far as the file takes it.
    void flush();
    // One write in one transaction, its problem handles turned into rows.
    Outcome apply(const JournalWrite &write, QString &why);
    Outcome applyStatements(const std::vector<QString> &sqls, QString &why);
    static Outcome outcomeOf(const QSqlError &error);
    // Executes a prepared read; a failure other than a held file switches the journal off.
    bool exec(QSqlQuery &query) const;
    QSqlDatabase database() const;
    // Opens the file (again), bringing its schema up to date.
    Outcome connect(QString &why);
    void disconnect();
    Outcome migrate(QString &why);
    void setBusyTimeout(int ms);
    // The file, its -wal and its -shm are still the ones opened.
    bool sameFiles() const;
    void noteFiles();
    uint32_t now() const;
    void fail(const QString &reason) const;

    QString m_path;
    QString m_connection;
    Reporter &m_reporter;
    Clock *m_clock;
    QElapsedTimer m_elapsed;
    // A read that fails switches the journal off as a write does.
    mutable bool m_on = true;
    mutable QString m_failure;
    bool m_connected = false;
    bool m_flushing = false;
    bool m_answerCoins = true;
    bool m_answerMistakes = true;
    int m_busyTimeout = -1;
    PendingWrites m_pending;
    std::array<FileIdentity, 3> m_files;
    // Problem handles that stand for another row: waiting ones (negative) once written, and
    // rows of a deleted file once written again in the fresh one.
    std::map<int64_t, int64_t> m_rows;
    int64_t m_nextWaiting = -1;
    // The last problem posed, while unfinished: written again in a fresh journal.
    std::optional<std::pair<int64_t, PosedRecord>> m_openProblem;
    // Statements prepared once, by their text.
    std::map<const char *, std::unique_ptr<QSqlQuery>> m_prepared;
};
