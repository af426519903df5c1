#pragma once

#include "core/Def.h"
#include "progress/Relearning.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <map>
#include <vector>

class Journal;
class QSqlQuery;

// One rating of a player (Player -1: a difficulty of the family's).
struct SkillRow
{
    int32_t Player = -1;
    QString Item;
    double Value = 0;
    int Answers = 0;
    // A fact's last first-try answers, "1:2300 0:5100" oldest first.
    QString Recent;
};

// A missed problem (or fact) on the relearning calendar.
struct RelearnRow
{
    int32_t Player = 0;
    bool IsFact = false;
    Op Operation = Op::Add;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    // For a problem: its chosen-list line and answer mode, as it is posed again.
    QString Type;
    bool StepMode = true;
    RelearnState State;
};

// An answer as the skill model folds it in: with its problem, and whether it finished it.
struct FoldedAnswer
{
    int64_t Id = 0;
    int64_t Problem = 0;
    int32_t Player = 0;
    Op Operation = Op::Add;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    QString Type;
    bool StepMode = true;
    int32_t Step = 0;
    bool Correct = false;
    int64_t Ms = 0;
    QDateTime At;
    // At as stored.
    QString AtText;
    bool Finishes = false;
};

// A problem a player was given lately.
struct RecentProblem
{
    int64_t Id = 0;
    Op Operation = Op::Add;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    QString Type;
};

// What one fold changed, written in one transaction.
struct SkillChanges
{
    std::vector<SkillRow> Ratings;
    std::vector<SkillRow> Difficulties;
    std::vector<RelearnRow> Relearn;
    std::vector<RelearnRow> Retired;
    std::map<QString, QString> State;
};

// The skill model's tables in the journal's database. Reads of a journal that stopped
// writing still answer while its file can be read; a write that fails switches the journal
// off as its own writes do.
class SkillStore
{
public:
    static bool readAll(const Journal &journal, std::vector<SkillRow> &ratings,
                        std::vector<SkillRow> &difficulties, std::vector<RelearnRow> &relearn,
                        std::map<QString, QString> &state);
    // Answers after id, oldest first, at most limit.
    static std::vector<FoldedAnswer> answersAfter(const Journal &journal, int64_t id, int limit);
    // The answers to problem up to and including id upTo.
    static std::vector<FoldedAnswer> answersOf(const Journal &journal, int64_t problem,
                                               int64_t upTo);
    // How many answers there are up to and including id; -1 when that cannot be read.
    static int64_t answersUpTo(const Journal &journal, int64_t id);
    // When the answer of row id was given, as stored; empty when there is no such row.
    static QString answerTime(const Journal &journal, int64_t id);
    // The player's last problems, newest first.
    static std::vector<RecentProblem> lastProblems(const Journal &journal, int32_t player,
                                                   int count);

    static bool save(Journal &journal, const SkillChanges &changes);
    // Forgets every rating and the calendar; the settings stay.
    static bool clear(Journal &journal, const QStringList &stateKeys);
    static void setState(Journal &journal, const QString &key, const QString &value);
    // One setting kept beside the ratings; fallback when it is not there.
    static QString state(const Journal &journal, const QString &key, const QString &fallback);
    // The problem of row problem was posed again from the calendar: it counts as a review.
    static void markPosedAgain(Journal &journal, int64_t problem);

private:
    static bool read(const Journal &journal, QSqlQuery &q);
};
