#pragma once

#include "core/Def.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSqlDatabase;
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
// date by numbered migrations (PRAGMA user_version). A database that cannot be opened or
// written switches the journal off for the rest of the run, after one error box naming the
// file and the reason; the game goes on without it.
class Journal
{
public:
    // The schema this build writes; a file of a later version is left alone.
    static const int SchemaVersion;

    // A failure is told once through reporter.
    Journal(const QString &path, Reporter &reporter);
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    bool isOn() const { return m_on; }
    const QString &path() const { return m_path; }
    // Why the journal is off; empty while it is on.
    const QString &failure() const { return m_failure; }
    // Whether what was recorded can still be read (a journal that stopped writing may).
    bool canRead() const;

    // Each is one short transaction and does nothing while the journal is off.
    // The new problem's row id, 0 when nothing was recorded.
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
    // Runs work in one transaction. When work returns false (having put the reason in why)
    // or the commit fails, everything is rolled back and the journal is switched off.
    bool transaction(const std::function<bool(QSqlDatabase &, QString &why)> &work);
    // Executes a prepared query; a failure switches the journal off.
    bool exec(QSqlQuery &query) const;
    QSqlDatabase database() const;
    bool open();
    bool migrate();
    bool run(const QString &sql);
    void fail(const QString &reason) const;
    // The recording statements, prepared once.
    struct Statements;
    std::unique_ptr<Statements> m_statements;
    QString m_path;
    QString m_connection;
    Reporter &m_reporter;
    // A read that fails switches the journal off as a write does.
    mutable bool m_on = true;
    mutable QString m_failure;
};
