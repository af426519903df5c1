#include "progress/SkillFigures.h"

#include "progress/ReportFigures.h"
#include "progress/SkillModel.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace {

QString percentText(double p)
{
    return QCoreApplication::translate("SkillFigures", "约做对%1%").arg(std::lround(100 * p));
}

// A line as the parent knows it, without its coins.
QString lineText(const QString &line)
{
    return line.section(QLatin1Char('('), 0, 0);
}

} // namespace

SkillFigures ComputeSkillFigures(const SkillModel &model, int32_t player, const QDate &today,
                                 int64_t fluencyMs)
{
    SkillFigures f;
    f.FluencyMs = std::max<int64_t>(0, fluencyMs);
    const double target = model.target();

    std::vector<LineSkill> lines = model.lines(player);
    std::array<double, OpCount> rank{};
    for (const LineSkill &l : lines) {
        LevelFigure &level = f.Levels[OpCode(l.Operation)];
        level.Played = true;
        if (l.Answers < SkillFigures::LevelAnswers || l.Success < SkillFigures::LevelSuccess)
            continue;
        if (level.Line.isEmpty() || l.Rank > rank[OpCode(l.Operation)]) {
            level.Line = lineText(l.Line);
            level.Success = l.Success;
            rank[OpCode(l.Operation)] = l.Rank;
        }
    }

    // What comes back from the calendar goes first, as it does in the game.
    for (const RelearnItem &item : model.dueRelearning(player, today)) {
        if (f.Next.size() >= SkillFigures::NextAgain) break;
        f.Next.push_back({FactText(OpCode(item.Operation), item.Operand1, item.Operand2),
                          QCoreApplication::translate("SkillFigures", "以前做错过，再练一次")});
    }
    // Then the lines nearest the target, and the facts that are not there yet.
    std::stable_sort(lines.begin(), lines.end(), [&](const LineSkill &x, const LineSkill &y) {
        return std::abs(x.Success - target) < std::abs(y.Success - target);
    });
    for (size_t i = 0; i < lines.size() && i < SkillFigures::NextLines; ++i) {
        if (f.Next.size() >= SkillFigures::NextItems) break;
        f.Next.push_back({lineText(lines[i].Line), percentText(lines[i].Success)});
    }
    struct Weak
    {
        Fact F;
        double Success;
        Fluency State;
    };
    std::vector<Weak> weak;
    for (const Fact &fact : model.seenFacts(player)) {
        const double p = model.factSuccess(player, fact);
        Fluency state = Fluency::NeverSeen;
        if (f.FluencyMs > 0) {
            state = FluencyRule::judge(model.lastAnswers(player, fact), f.FluencyMs);
            f.Facts[fact] = state;
        }
        const bool shaky =
            f.FluencyMs > 0 ? state == Fluency::NotYet || state == Fluency::Slow : p < target;
        if (shaky) weak.push_back({fact, p, state});
    }
    std::stable_sort(weak.begin(), weak.end(), [&](const Weak &x, const Weak &y) {
        return std::abs(x.Success - target) < std::abs(y.Success - target);
    });
    for (const Weak &w : weak) {
        if (f.Next.size() >= SkillFigures::NextItems) break;
        const QString text = FactText(OpCode(w.F.Operation), w.F.A, w.F.B);
        // A fact already coming back from the calendar is there once.
        if (std::any_of(f.Next.begin(), f.Next.end(),
                        [&](const NextPractice &n) { return n.Text == text; }))
            continue;
        const QString note = w.State == Fluency::Slow
                                 ? QCoreApplication::translate("SkillFigures", "对了，还不熟")
                                 : percentText(w.Success);
        f.Next.push_back({text, note});
    }
    return f;
}

SkillFigures LoadSkillFigures(const Journal &journal, int32_t player, const QDateTime &now,
                              int64_t fluencyMs)
{
    const SkillModel model(journal);
    return ComputeSkillFigures(model, player, now.toLocalTime().date(),
                               fluencyMs < 0 ? model.fluencyThresholdMs() : fluencyMs);
}

int64_t StoredFluencyMs(const Journal &journal)
{
    return SkillModel::fluencyThresholdMs(journal);
}
