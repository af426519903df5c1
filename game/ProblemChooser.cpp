#include "game/ProblemChooser.h"

#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "platform/Random.h"
#include "progress/Journal.h"
#include "progress/Review.h"
#include "progress/SkillModel.h"
#include "progress/SkillStore.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// The problems looked back on for variety.
const int RecentProblems = 12;
const int RecentTypes = 6;
// The aim moves against the running success, so that the success reached stays near the
// target where the predictions are off, or where no problem sits at the target itself.
const double AimGain = 1.0;
const double AimLow = 0.35, AimHigh = 0.97;
// What keeps the choice from settling on one problem: a little noise, a type used lately.
const double Jitter = 0.05;
const double TypeRepeat = 0.03;
// Never: the same type back to back, a fact of the last problem, a problem given lately, an
// operation given more than once beyond the least given one (the parent chose them all).
const double Repeat = 1.0;
const int OperationSlack = 1;
// Candidates per type: every pair of a small type, else a few of each form.
const int64_t EveryPairUpTo = 200;
const int PerForm = 4;
const int DrawTries = 400;
const int PairTries = 5000;
const int FactTries = 30;
// The pairs counted for a type's forms, along each operand.
const int FormSpread = 60;

int32_t power10(int n)
{
    int32_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

int32_t lowest(int digits)
{
    return digits <= 1 ? 0 : power10(digits - 1);
}

int32_t highest(int digits)
{
    return power10(digits) - 1;
}

template <class Engine> std::vector<TypeRule> rulesOf(const Engine &engine, Op op)
{
    std::vector<TypeRule> out;
    for (const ProblemType &t : engine.Types) {
        if (Engine::CanDraw(t)) out.push_back({op, t, &Engine::Accepts});
    }
    return out;
}

bool sameType(const TypeRule &rule, const RecentProblem &p)
{
    return rule.Operation == p.Operation && rule.Type.Line == p.Type;
}

} // namespace

double ProblemChooser::AimFor(double target, double shift, double reached)
{
    return std::clamp(target + shift + AimGain * (target - reached), AimLow, AimHigh);
}

ProblemChooser::ProblemChooser(const Journal &journal, SkillModel &skills, Random &random)
    : m_journal(journal), m_skills(skills), m_random(random)
{
}

std::vector<TypeRule> ProblemChooser::RulesOf(const TAlgo &engine, Op op)
{
    if (auto *e = dynamic_cast<const TAdd *>(&engine)) return rulesOf(*e, op);
    if (auto *e = dynamic_cast<const TDec *>(&engine)) return rulesOf(*e, op);
    if (auto *e = dynamic_cast<const TMul *>(&engine)) return rulesOf(*e, op);
    if (auto *e = dynamic_cast<const TDiv *>(&engine)) return rulesOf(*e, op);
    return {};
}

LineForms ProblemChooser::FormsOf(const TypeRule &rule)
{
    LineForms forms;
    const ProblemType &t = rule.Type;
    forms.Digits1 = t.Digits1;
    forms.Digits2 = t.Digits2;
    std::array<double, SkillRule::Forms> count{};
    double total = 0;
    const int32_t step1 = std::max(1, (highest(t.Digits1) - lowest(t.Digits1) + 1) / FormSpread);
    const int32_t step2 = std::max(1, (highest(t.Digits2) - lowest(t.Digits2) + 1) / FormSpread);
    for (int32_t a = lowest(t.Digits1); a <= highest(t.Digits1); a += step1) {
        for (int32_t b = lowest(t.Digits2); b <= highest(t.Digits2); b += step2) {
            if (!rule.Accepts(t, a, b)) continue;
            ++count[SkillRule::shapeOf(rule.Operation, a, b, true).Form];
            ++total;
        }
    }
    if (total > 0) {
        for (int f = 0; f < SkillRule::Forms; ++f)
            forms.Share[f] = count[f] / total;
    }
    return forms;
}

const LineForms &ProblemChooser::formsOf(const TypeRule &rule)
{
    const std::pair<int, QString> key{OpCode(rule.Operation), rule.Type.Line};
    const auto found = m_forms.find(key);
    if (found != m_forms.end()) return found->second;
    const LineForms &forms = m_forms[key] = FormsOf(rule);
    m_skills.setLineForms(rule.Operation, rule.Type.Line, forms);
    return forms;
}

int32_t ProblemChooser::uniform(int32_t low, int32_t high)
{
    return low + m_random.below(int64_t(high) - low + 1);
}

bool ProblemChooser::draw(const TypeRule &rule, int32_t &a, int32_t &b)
{
    const ProblemType &t = rule.Type;
    for (int i = 0; i < PairTries; ++i) {
        a = uniform(lowest(t.Digits1), highest(t.Digits1));
        b = uniform(lowest(t.Digits2), highest(t.Digits2));
        if (rule.Accepts(t, a, b)) return true;
    }
    return false;
}

std::vector<ProblemChooser::Candidate>
ProblemChooser::candidates(int32_t player, const std::vector<TypeRule> &rules, bool stepMode)
{
    std::vector<Candidate> out;
    for (const TypeRule &rule : rules) {
        const ProblemType &t = rule.Type;
        const int64_t pairs = int64_t(highest(t.Digits1) - lowest(t.Digits1) + 1) *
                              (highest(t.Digits2) - lowest(t.Digits2) + 1);
        if (pairs <= EveryPairUpTo) {
            for (int32_t a = lowest(t.Digits1); a <= highest(t.Digits1); ++a) {
                for (int32_t b = lowest(t.Digits2); b <= highest(t.Digits2); ++b) {
                    if (rule.Accepts(t, a, b)) out.push_back({&rule, a, b, 0});
                }
            }
            continue;
        }
        std::array<int, SkillRule::Forms> perForm{};
        std::set<std::pair<int32_t, int32_t>> taken;
        for (int i = 0; i < DrawTries; ++i) {
            const int32_t a = uniform(lowest(t.Digits1), highest(t.Digits1));
            const int32_t b = uniform(lowest(t.Digits2), highest(t.Digits2));
            if (!rule.Accepts(t, a, b) || !taken.insert({a, b}).second) continue;
            int &n = perForm[SkillRule::shapeOf(rule.Operation, a, b, stepMode).Form];
            if (n >= PerForm) continue;
            ++n;
            out.push_back({&rule, a, b, 0});
        }
    }
    for (Candidate &c : out)
        c.Success = m_skills.problemSuccess(player, c.Rule->Operation, c.Rule->Type.Line,
                                            c.Operand1, c.Operand2, stepMode);
    return out;
}

std::vector<ProblemChooser::Candidate> ProblemChooser::withFact(int32_t player, const Fact &fact,
                                                                const std::vector<TypeRule> &rules,
                                                                bool stepMode)
{
    std::vector<Candidate> out;
    const bool whole = !stepMode && (fact.Operation == Op::Add || fact.Operation == Op::Dec);
    auto asks = [&](int32_t a, int32_t b) {
        const ProblemShape s = SkillRule::shapeOf(fact.Operation, a, b, stepMode);
        return std::find(s.StepFacts.begin(), s.StepFacts.end(), std::optional<Fact>(fact)) !=
               s.StepFacts.end();
    };
    for (const TypeRule &rule : rules) {
        if (rule.Operation != fact.Operation) continue;
        const ProblemType &t = rule.Type;
        std::set<std::pair<int32_t, int32_t>> taken;
        auto offer = [&](int32_t a, int32_t b) {
            if (rule.Accepts(t, a, b) && asks(a, b) && taken.insert({a, b}).second)
                out.push_back({&rule, a, b, 0});
        };
        // The fact on its own, and, worked in columns, inside larger numbers.
        offer(fact.A, fact.B);
        if (whole) continue;
        auto around = [&](int digits, int32_t units) {
            return digits <= 1 ? units
                               : uniform(lowest(digits - 1), highest(digits - 1)) * 10 + units;
        };
        for (int i = 0; i < FactTries; ++i) {
            if (fact.Operation == Op::Div) {
                offer(fact.A + uniform(0, fact.B - 1), fact.B);
                continue;
            }
            const int32_t unitsA = fact.Operation == Op::Dec ? fact.A % 10 : fact.A;
            offer(around(t.Digits1, unitsA), around(t.Digits2, fact.B));
        }
    }
    for (Candidate &c : out)
        c.Success = m_skills.problemSuccess(player, c.Rule->Operation, c.Rule->Type.Line,
                                            c.Operand1, c.Operand2, stepMode);
    return out;
}

const ProblemChooser::Candidate *ProblemChooser::Pick(const std::vector<Candidate> &from,
                                                      double aim, const std::set<Op> &ops,
                                                      const std::vector<RecentProblem> &recent,
                                                      Random &random)
{
    std::vector<Fact> lastFacts;
    if (!recent.empty()) {
        const RecentProblem &last = recent.front();
        lastFacts = SkillRule::shapeOf(last.Operation, last.Operand1, last.Operand2, true).Facts;
    }
    std::array<int, OpCount> opCount{};
    for (const RecentProblem &p : recent)
        ++opCount[OpCode(p.Operation)];
    int leastGiven = int(recent.size());
    for (Op op : ops)
        leastGiven = std::min(leastGiven, opCount[OpCode(op)]);
    const Candidate *chosen = nullptr;
    double lowestScore = 0;
    for (const Candidate &c : from) {
        const TypeRule &rule = *c.Rule;
        double score = std::abs(c.Success - aim);
        if (!recent.empty() && sameType(rule, recent.front())) score += Repeat;
        const ProblemShape shape = SkillRule::shapeOf(rule.Operation, c.Operand1, c.Operand2, true);
        for (const Fact &f : shape.Facts) {
            if (std::find(lastFacts.begin(), lastFacts.end(), f) != lastFacts.end()) {
                score += Repeat;
                break;
            }
        }
        for (size_t i = 0; i < recent.size(); ++i) {
            const RecentProblem &p = recent[i];
            if (p.Operation == rule.Operation && p.Operand1 == c.Operand1 &&
                p.Operand2 == c.Operand2)
                score += Repeat;
            if (i < size_t(RecentTypes) && sameType(rule, p)) score += TypeRepeat;
        }
        if (opCount[OpCode(rule.Operation)] > leastGiven + OperationSlack) score += Repeat;
        score += Jitter * random.below(1000) / 1000.0;
        if (!chosen || score < lowestScore) {
            chosen = &c;
            lowestScore = score;
        }
    }
    return chosen;
}

std::optional<ChosenProblem> ProblemChooser::relearning(int32_t player,
                                                        const std::vector<TypeRule> &rules,
                                                        const ChoiceSettings &settings,
                                                        const QDate &today,
                                                        const std::vector<RecentProblem> &recent)
{
    if (!settings.Review || m_journal.recentReview(player, ReviewRule::ReviewSpacing)) return {};
    for (const RelearnItem &item : m_skills.dueRelearning(player, today)) {
        if (!item.IsFact) {
            for (const TypeRule &rule : rules) {
                // A problem waits while its operation or its type is not chosen.
                if (rule.Operation == item.Operation && rule.Type.Line == item.Type &&
                    rule.Accepts(rule.Type, item.Operand1, item.Operand2))
                    return ChosenProblem{item.Operation, item.Type,     item.Operand1,
                                         item.Operand2,  item.StepMode, true};
            }
            continue;
        }
        // A fact comes back inside a problem of a chosen type, chosen as any other.
        if (!settings.Adaptive) continue;
        const Fact fact{item.Operation, item.Operand1, item.Operand2};
        const std::vector<Candidate> with = withFact(player, fact, rules, settings.StepMode);
        if (const Candidate *c = Pick(with, settings.Target, {fact.Operation}, recent, m_random))
            return ChosenProblem{c->Rule->Operation, c->Rule->Type.Line, c->Operand1,
                                 c->Operand2,        settings.StepMode,  true};
    }
    return {};
}

std::optional<ChosenProblem> ProblemChooser::placement(int32_t player,
                                                       const std::vector<TypeRule> &rules,
                                                       const ChoiceSettings &settings,
                                                       const std::vector<RecentProblem> &recent)
{
    // The chosen types from the easiest to the hardest, as a new family would rate them.
    std::vector<std::pair<double, const TypeRule *>> ranked;
    for (const TypeRule &rule : rules) {
        const LineForms &forms = formsOf(rule);
        double rank = 0;
        for (int f = 0; f < SkillRule::Forms; ++f)
            rank += forms.Share[f] *
                    SkillRule::priorTypeDifficulty(rule.Operation, forms.Digits1, forms.Digits2, f);
        ranked.push_back({rank, &rule});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto &x, const auto &y) { return x.first < y.first; });
    const int n = static_cast<int>(ranked.size());
    int at = static_cast<int>(std::lround(m_skills.placement(player) * (n - 1)));
    if (n > 1 && !recent.empty() && sameType(*ranked[at].second, recent.front()))
        at = at > 0 ? at - 1 : at + 1;
    const TypeRule &rule = *ranked[at].second;
    int32_t a = 0, b = 0;
    if (!draw(rule, a, b)) return {};
    return ChosenProblem{rule.Operation, rule.Type.Line, a, b, settings.StepMode, false};
}

std::optional<ChosenProblem> ProblemChooser::next(int32_t player,
                                                  const std::vector<TypeRule> &rules,
                                                  const ChoiceSettings &settings,
                                                  const QDate &today)
{
    if (rules.empty() || (!settings.Adaptive && !settings.Review)) return {};
    const std::vector<RecentProblem> recent =
        SkillStore::lastProblems(m_journal, player, RecentProblems);
    if (auto again = relearning(player, rules, settings, today, recent)) return again;
    if (!settings.Adaptive) return {};
    for (const TypeRule &rule : rules)
        formsOf(rule);
    if (m_skills.decidedProblems(player) < SkillModel::PlacementProblems)
        return placement(player, rules, settings, recent);
    const double success = m_skills.recentSuccess(player);
    const double reached = success < 0 ? settings.Target : success;
    const double aim = AimFor(settings.Target, m_skills.aimShift(player), reached);
    std::set<Op> ops;
    for (const TypeRule &rule : rules)
        ops.insert(rule.Operation);
    const std::vector<Candidate> all = candidates(player, rules, settings.StepMode);
    const Candidate *c = Pick(all, aim, ops, recent, m_random);
    if (!c) return {};
    return ChosenProblem{c->Rule->Operation, c->Rule->Type.Line, c->Operand1,
                         c->Operand2,        settings.StepMode,  false};
}
