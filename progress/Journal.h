#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QSqlDatabase;
class QSqlQuery;

// A problem as an engine posed it.
struct PosedRecord
{
    int32_t Player = 0;
    QString PlayerName;
    int32_t Operation = 0;
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

// The practice journal: Set/Progress.db, SQLite in WAL mode. Opening brings the schema up to
// date by numbered migrations (PRAGMA user_version). A database that cannot be opened or
// written switches the journal off for the rest of the run, after one error box naming the
// file and the reason; the game goes on without it.
class Journal
{
public:
    // The schema this build writes; a file of a later version is left alone.
    static const int SchemaVersion;

    explicit Journal(const QString &path);
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

    // For units that keep their own state beside the journal's tables: runs work in one
    // transaction. When work returns false (having put the reason in why) or the commit
    // fails, everything is rolled back and the journal is switched off.
    bool transaction(const std::function<bool(QSqlDatabase &, QString &why)> &work);
    // Executes a prepared query; a failure switches the journal off.
    bool exec(QSqlQuery &query);
    QSqlDatabase database() const;

    // Times as they are stored: ISO 8601 in UTC with milliseconds.
    static QString isoTime(const QDateTime &t);
    static QDateTime parseTime(const QString &text);

private:
    bool open();
    bool migrate();
    bool run(const QString &sql);
    void fail(const QString &reason);
    // The recording statements, prepared once.
    struct Statements;
    std::unique_ptr<Statements> m_statements;
    QString m_path;
    QString m_connection;
    bool m_on = true;
    QString m_failure;
};
