#pragma once

#include "core/Def.h"
#include "progress/SkillModel.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <vector>

class Journal;
class Random;
class TAlgo;
struct RecentProblem;
struct RelearnRow;

// A chosen problem type's rule: its line as the engine read it, and which pairs its draw
// keeps.
struct TypeRule
{
    Op Operation = Op::Add;
    ProblemType Type;
    bool (*Accepts)(const ProblemType &, int32_t, int32_t) = nullptr;
};

// The next problem, to be posed through the engine of Operation with the coins of its line.
struct ChosenProblem
{
    Op Operation = Op::Add;
    QString TypeLine;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    bool StepMode = true;
    // Brought back from the relearning calendar: it counts as a review.
    bool Again = false;
};

struct ChoiceSettings
{
    bool Adaptive = true;
    bool Review = true;
    // The first-try success the choice aims at.
    double Target = 0.8;
    // The answer mode of addition and subtraction.
    bool StepMode = true;
};

// Chooses the next problem for a player. What is due from the relearning calendar comes
// first (spaced like the review: never two in three problems); then, with adaptive choice
// on, the problem among the chosen types, with operands within each type's rule, whose
// predicted first-try success is nearest the target: children practising at a reachable
// success rate improve and choose to do more (Jansen et al. 2013). A new player starts with a
// short placement spread over the chosen difficulties. Randomness comes from the game's own
// generator, and only while choosing adaptively: without adaptive choice the engines draw
// exactly as they always did.
class ProblemChooser
{
public:
    ProblemChooser(const Journal &journal, SkillModel &skills, Random &random);

    // The chosen types of engine, the engine of op, that it can draw from.
    static std::vector<TypeRule> RulesOf(const TAlgo &engine, Op op);
    // How often each form comes from rule, over an even spread of the pairs it keeps.
    static LineForms FormsOf(const TypeRule &rule);

    // Nothing when the engines should draw as they always did.
    std::optional<ChosenProblem> next(int32_t player, const std::vector<TypeRule> &rules,
                                      const ChoiceSettings &settings, const QDate &today);

    // A candidate problem with its predicted first-try success.
    struct Candidate
    {
        const TypeRule *Rule = nullptr;
        int32_t Operand1 = 0;
        int32_t Operand2 = 0;
        double Success = 0;
    };
    // Candidates from every rule, a few of each form, with their predictions for player.
    std::vector<Candidate> candidates(int32_t player, const std::vector<TypeRule> &rules,
                                      bool stepMode);

    // What the choice aims at: the target, moved by the shift the player's history asks for
    // and against the success reached lately.
    static double AimFor(double target, double shift, double reached);
    // The candidate nearest aim, with a little variety, among those not given lately (recent,
    // newest first) and of operations in ops not given more than their share; null when from
    // is empty.
    static const Candidate *Pick(const std::vector<Candidate> &from, double aim,
                                 const std::set<Op> &ops, const std::vector<RecentProblem> &recent,
                                 Random &random);

private:
    std::optional<ChosenProblem> relearning(int32_t player, const std::vector<TypeRule> &rules,
                                            const ChoiceSettings &settings, const QDate &today,
                                            const std::vector<RecentProblem> &recent);
    std::optional<ChosenProblem> placement(int32_t player, const std::vector<TypeRule> &rules,
                                           const ChoiceSettings &settings,
                                           const std::vector<RecentProblem> &recent);
    std::vector<Candidate> withFact(int32_t player, const Fact &fact,
                                    const std::vector<TypeRule> &rules, bool stepMode);
    // A pair of rule drawn the way its engine draws; false when none was found.
    bool draw(const TypeRule &rule, int32_t &a, int32_t &b);
    int32_t uniform(int32_t low, int32_t high);
    // FormsOf, worked out once a run for each line; the model is told them.
    const LineForms &formsOf(const TypeRule &rule);

    const Journal &m_journal;
    SkillModel &m_skills;
    Random &m_random;
    std::map<std::pair<int, QString>, LineForms> m_forms;
};
