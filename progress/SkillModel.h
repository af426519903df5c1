#pragma once

#include "core/Def.h"
#include "progress/Fluency.h"
#include "progress/SkillRule.h"
#include "progress/SkillStore.h"

#include <QDate>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <tuple>
#include <vector>

class Journal;

// A missed problem or fact due again.
using RelearnItem = RelearnRow;

// How often a problem-type line draws each form (SkillRule), over an even spread of the
// pairs its rule keeps, and the digits of its operands.
struct LineForms
{
    int Digits1 = 1;
    int Digits2 = 1;
    std::array<double, SkillRule::Forms> Share{1, 0, 0, 0};
    bool operator==(const LineForms &) const = default;
};

// A problem-type line a player has played.
struct LineSkill
{
    Op Operation = Op::Add;
    QString Line;
    int Answers = 0;
    // Of a problem drawn from the line as the engine draws it.
    double Success = 0;
    // The line's difficulty before anything was learned: how it ranks among the others.
    double Rank = 0;
};

// What each player can do, learned from the journal's answers: a rating for the player on
// each problem-type line, on carrying and borrowing in each operation and on each basic fact,
// and a difficulty for each line (by form) and fact, moved after every answer by a
// time-weighted Elo rule. The ratings are kept in the journal beside the answers and follow
// from them alone, so they are rebuilt when missing. The calendar of relearning on later days
// and each fact's last answers, for fluency, are folded in the same way.
class SkillModel
{
public:
    // A step answered later than this counts as slow.
    static constexpr int64_t DefaultStepLimitMs = 20000;
    // A new player's first problems are spread over the chosen difficulties.
    static constexpr int PlacementProblems = 10;
    static constexpr double DefaultTarget = 0.8;

    // Loads the ratings kept in journal and folds in the answers recorded since.
    explicit SkillModel(Journal &journal, int64_t stepLimitMs = DefaultStepLimitMs);
    // The ratings as they are kept, with what was recorded since folded in but not kept: for
    // the report.
    explicit SkillModel(const Journal &journal);
    ~SkillModel();
    SkillModel(const SkillModel &) = delete;
    SkillModel &operator=(const SkillModel &) = delete;

    // Whether the ratings follow the answers: the journal is on.
    bool isOn() const;
    // Folds in the answers recorded since the last call, and keeps the result while the
    // journal is on.
    void catchUp();

    // Predicted chances of a first-try success.
    double problemSuccess(int32_t player, Op op, const QString &typeLine, int32_t a, int32_t b,
                          bool stepMode) const;
    double factSuccess(int32_t player, const Fact &fact) const;
    double lineSuccess(int32_t player, Op op, const QString &typeLine) const;
    // The lines the player has played, with the forms known for them.
    std::vector<LineSkill> lines(int32_t player) const;

    // Problems whose first-try outcome is known.
    int decidedProblems(int32_t player) const;
    // The running share of first-try successes (recent problems weigh most); -1 before any.
    double recentSuccess(int32_t player) const;
    // What the choice adds to its aim for the player, so the success reached over time meets
    // the target.
    double aimShift(int32_t player) const;
    // Where a new player's placement stands: 0 the easiest of the chosen, 1 the hardest.
    double placement(int32_t player) const;

    // Items on the calendar due by today, the longest due first.
    std::vector<RelearnItem> dueRelearning(int32_t player, const QDate &today) const;

    std::vector<TimedAnswer> lastAnswers(int32_t player, const Fact &fact) const;
    // The facts the player has answered on their own (a fact problem, or a step that is one).
    std::vector<Fact> seenFacts(int32_t player) const;

    // The forms of a line, as the game's rule for it draws them.
    void setLineForms(Op op, const QString &typeLine, const LineForms &forms);
    // The report's fluency threshold (0: off), and the target the game chooses by.
    static int64_t fluencyThresholdMs(const Journal &journal);
    int64_t fluencyThresholdMs() const;
    void setFluencyThresholdMs(int64_t ms);
    double target() const;
    void setTarget(double target);
    // The problem of row problem was posed again from the calendar.
    void posedAgain(int64_t problem);

private:
    struct Entry
    {
        double Value = 0;
        int Answers = 0;
        QString Recent;
    };
    using RatingKey = std::pair<int32_t, QString>;
    using RelearnKey = std::tuple<int32_t, bool, int, int32_t, int32_t>;
    // A problem's answers so far, as the fold needs them.
    struct Scratch
    {
        ProblemShape Shape;
        std::set<int32_t> Tried;
        bool Decided = false;
        int64_t Ms = 0;
        int Steps = 0;
    };

    void load();
    void rebuild();
    bool consistent() const;
    void save();
    void fold(const FoldedAnswer &a);
    Scratch &scratchOf(const FoldedAnswer &a);
    void rateFact(int32_t player, const Fact &fact, bool right, int64_t ms);
    void rateProblem(const FoldedAnswer &a, const ProblemShape &shape, bool right, int64_t ms);
    void relearn(const RelearnKey &key, const RelearnRow &row, bool right, const QDate &day,
                 bool mayOpen);

    Entry &rating(int32_t player, const QString &item, double initial);
    Entry &difficulty(const QString &item, double prior);
    double ratingOr(int32_t player, const QString &item, double fallback) const;
    double difficultyOr(const QString &item, double prior) const;
    // What an unseen item of a kind is rated at: the player's mean over those seen.
    double meanRating(int32_t player, const QString &prefix) const;
    double lineRating(int32_t player, Op op, const QString &line) const;
    double factRating(int32_t player, const Fact &fact) const;
    double factDifficulty(const Fact &fact) const;
    // What weak facts take off a problem's logit.
    double factTerm(int32_t player, const ProblemShape &shape) const;
    double formLogit(int32_t player, Op op, const QString &line, int digits1, int digits2,
                     int form) const;
    LineForms formsOf(Op op, const QString &line) const;
    QString stateOr(const QString &key, const QString &fallback) const;
    void setState(const QString &key, const QString &value);

    Journal *m_journal = nullptr;
    const Journal *m_reading = nullptr;
    int64_t m_stepLimitMs = DefaultStepLimitMs;
    std::map<RatingKey, Entry> m_ratings;
    std::map<QString, Entry> m_difficulties;
    std::map<RelearnKey, RelearnRow> m_relearn;
    std::map<QString, QString> m_state;
    int64_t m_foldedId = 0;
    int64_t m_followedFrom = 0;
    int64_t m_foldedCount = 0;
    std::map<int64_t, Scratch> m_scratch;
    // Changed since the last save.
    std::set<RatingKey> m_changedRatings;
    std::set<QString> m_changedDifficulties;
    std::set<RelearnKey> m_changedRelearn;
    std::vector<RelearnRow> m_retired;
};
