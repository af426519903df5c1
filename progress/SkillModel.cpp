#include "progress/SkillModel.h"

#include "progress/Journal.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

const QString SuccessItem = QStringLiteral("success");
const QString PlacementItem = QStringLiteral("placement");
const QString AimItem = QStringLiteral("aim");
const QString FoldedIdKey = QStringLiteral("folded_id");
const QString FoldedCountKey = QStringLiteral("folded_count");
const QString FoldedAtKey = QStringLiteral("folded_at");
const QString FluencyKey = QStringLiteral("fluency_ms");
const QString TargetKey = QStringLiteral("target");

// Answers folded in per read and write, so a rebuild of a large journal holds little at once.
const int FoldBatch = 2000;
// Problems whose answers are followed at once; an older one is read back when it needs be.
const size_t ScratchKept = 16;
// The running success weighs the last problem by this much.
const double RecentWeight = 0.15;
// How far each problem moves the aim's lasting shift against the target's miss, and its
// bounds: what the running success alone cannot correct (a choice that is always a little
// too hard, say, or reviews the choice has no say over) adds up here.
const double AimStep = 0.01, AimShiftBound = 0.1;
// Where a new player's placement starts, and how far a right or a wrong answer moves it.
const double PlacementStart = 0.25, PlacementUp = 0.25, PlacementDown = 0.3;
// What the player's ratings on carrying and borrowing (one, several, chained) learn, beside
// the line's own rating: shared by the lines of an operation, they learn fast.
const double RegroupShare = 0.5;
// A fact known well enough to take nothing off a problem; seen less often, it takes nothing.
const double KnownFact = 0.9;
const int FactEvidence = 2;

QString opText(Op op)
{
    return QString::number(OpCode(op));
}

QString lineItem(Op op, const QString &line)
{
    return QStringLiteral("line:%1:%2").arg(opText(op), line);
}

QString formItem(Op op, const QString &line, int form)
{
    return lineItem(op, line) + QLatin1Char('#') + QString::number(form);
}

QString regroupItem(Op op, int form)
{
    return QStringLiteral("regroup:%1:%2").arg(opText(op)).arg(form);
}

QString factPrefix(Op op)
{
    return QStringLiteral("fact:%1:").arg(opText(op));
}

QString factItem(const Fact &f)
{
    return factPrefix(f.Operation) + QStringLiteral("%1:%2").arg(f.A).arg(f.B);
}

QString formsKey(Op op, const QString &line)
{
    return QStringLiteral("forms:%1:%2").arg(opText(op), line);
}

QString encodeRecent(const std::vector<TimedAnswer> &answers)
{
    QStringList parts;
    for (const TimedAnswer &a : answers)
        parts << QStringLiteral("%1:%2").arg(a.Right ? 1 : 0).arg(a.Ms);
    return parts.join(QLatin1Char(' '));
}

std::vector<TimedAnswer> decodeRecent(const QString &text)
{
    std::vector<TimedAnswer> out;
    for (const QString &part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype colon = part.indexOf(QLatin1Char(':'));
        if (colon < 0) continue;
        out.push_back({part.left(colon) == QLatin1String("1"), part.mid(colon + 1).toLongLong()});
    }
    return out;
}

QDate dayOf(const QDateTime &at)
{
    return at.isValid() ? at.toLocalTime().date() : QDate();
}

} // namespace

SkillModel::SkillModel(Journal &journal, int64_t stepLimitMs)
    : m_journal(&journal), m_reading(&journal), m_stepLimitMs(stepLimitMs)
{
    load();
    if (isOn() && !consistent()) rebuild();
    catchUp();
}

SkillModel::SkillModel(const Journal &journal) : m_reading(&journal)
{
    // What the game has not folded in yet is folded here, and kept only here.
    load();
    if (!consistent()) rebuild();
    catchUp();
}

SkillModel::~SkillModel() = default;

bool SkillModel::isOn() const
{
    return m_journal && m_journal->isOn();
}

void SkillModel::load()
{
    std::vector<SkillRow> ratings, difficulties;
    std::vector<RelearnRow> relearn;
    if (!SkillStore::readAll(*m_reading, ratings, difficulties, relearn, m_state)) return;
    for (const SkillRow &r : ratings)
        m_ratings[{r.Player, r.Item}] = {r.Value, r.Answers, r.Recent};
    for (const SkillRow &r : difficulties)
        m_difficulties[r.Item] = {r.Value, r.Answers, QString()};
    for (const RelearnRow &r : relearn)
        m_relearn[{r.Player, r.IsFact, OpCode(r.Operation), r.Operand1, r.Operand2}] = r;
    m_foldedId = stateOr(FoldedIdKey, QStringLiteral("0")).toLongLong();
    m_foldedCount = stateOr(FoldedCountKey, QStringLiteral("0")).toLongLong();
}

bool SkillModel::consistent() const
{
    // Ratings deleted while the answers stay, or answers deleted or replaced under the
    // ratings, which would leave them standing on what is gone.
    // The last answer folded in must still be there as it was: a journal hands a deleted
    // row's number to the next answer.
    if (m_foldedCount > 0 && m_ratings.empty()) return false;
    if (m_foldedId > 0 &&
        SkillStore::answerTime(*m_reading, m_foldedId) != stateOr(FoldedAtKey, QString()))
        return false;
    const int64_t count = SkillStore::answersUpTo(*m_reading, m_foldedId);
    return count < 0 || count == m_foldedCount;
}

void SkillModel::rebuild()
{
    m_ratings.clear();
    m_difficulties.clear();
    m_relearn.clear();
    m_scratch.clear();
    m_changedRatings.clear();
    m_changedDifficulties.clear();
    m_changedRelearn.clear();
    m_retired.clear();
    m_foldedId = m_foldedCount = 0;
    for (const QString &key : {FoldedIdKey, FoldedCountKey, FoldedAtKey})
        m_state.erase(key);
    if (isOn()) SkillStore::clear(*m_journal, {FoldedIdKey, FoldedCountKey, FoldedAtKey});
}

void SkillModel::catchUp()
{
    if (!m_reading->canRead()) return;
    // Only answers folded before this call can be missing from what is followed here.
    m_followedFrom = m_foldedId;
    for (;;) {
        const std::vector<FoldedAnswer> batch =
            SkillStore::answersAfter(*m_reading, m_foldedId, FoldBatch);
        for (const FoldedAnswer &a : batch) {
            fold(a);
            m_foldedId = a.Id;
            ++m_foldedCount;
        }
        if (!batch.empty()) m_state[FoldedAtKey] = batch.back().AtText;
        if (!batch.empty()) save();
        if (batch.size() < size_t(FoldBatch) || !m_reading->canRead()) break;
    }
}

void SkillModel::save()
{
    SkillChanges c;
    for (const RatingKey &k : m_changedRatings) {
        const Entry &e = m_ratings.at(k);
        c.Ratings.push_back({k.first, k.second, e.Value, e.Answers, e.Recent});
    }
    for (const QString &k : m_changedDifficulties) {
        const Entry &e = m_difficulties.at(k);
        c.Difficulties.push_back({-1, k, e.Value, e.Answers, QString()});
    }
    for (const RelearnKey &k : m_changedRelearn) {
        if (m_relearn.count(k)) c.Relearn.push_back(m_relearn.at(k));
    }
    c.Retired = m_retired;
    m_state[FoldedIdKey] = QString::number(m_foldedId);
    m_state[FoldedCountKey] = QString::number(m_foldedCount);
    for (const QString &key : {FoldedIdKey, FoldedCountKey, FoldedAtKey})
        c.State[key] = m_state[key];
    if (isOn()) SkillStore::save(*m_journal, c);
    m_changedRatings.clear();
    m_changedDifficulties.clear();
    m_changedRelearn.clear();
    m_retired.clear();
}

SkillModel::Scratch &SkillModel::scratchOf(const FoldedAnswer &a)
{
    auto found = m_scratch.find(a.Problem);
    if (found != m_scratch.end()) return found->second;
    Scratch &s = m_scratch[a.Problem];
    s.Shape = SkillRule::shapeOf(a.Operation, a.Operand1, a.Operand2, a.StepMode);
    // Its answers folded in already: in an earlier call, or before it was let go. A fold from
    // the first answer on meets every problem first at its first answer.
    const std::vector<FoldedAnswer> before =
        m_followedFrom > 0 ? SkillStore::answersOf(*m_reading, a.Problem, a.Id - 1)
                           : std::vector<FoldedAnswer>();
    for (const FoldedAnswer &earlier : before) {
        if (s.Tried.insert(earlier.Step).second) {
            s.Ms += std::max<int64_t>(0, earlier.Ms);
            ++s.Steps;
        }
        if (!earlier.Correct || earlier.Finishes) s.Decided = true;
    }
    while (m_scratch.size() > ScratchKept && m_scratch.begin()->first != a.Problem)
        m_scratch.erase(m_scratch.begin());
    return m_scratch.at(a.Problem);
}

void SkillModel::fold(const FoldedAnswer &a)
{
    Scratch &s = scratchOf(a);
    const QDate day = dayOf(a.At);
    const bool oneStep = s.Shape.StepFacts.size() == 1;
    if (s.Tried.insert(a.Step).second) {
        s.Ms += std::max<int64_t>(0, a.Ms);
        ++s.Steps;
        if (a.Step >= 0 && size_t(a.Step) < s.Shape.StepFacts.size() && s.Shape.StepFacts[a.Step]) {
            const Fact f = *s.Shape.StepFacts[a.Step];
            rateFact(a.Player, f, a.Correct, a.Ms);
            RelearnRow row;
            row.Player = a.Player;
            row.IsFact = true;
            row.Operation = f.Operation;
            row.Operand1 = f.A;
            row.Operand2 = f.B;
            // A problem that is a fact comes back as the problem.
            relearn({a.Player, true, OpCode(f.Operation), f.A, f.B}, row, a.Correct, day, !oneStep);
        }
    }
    if (s.Decided || (a.Correct && !a.Finishes)) return;
    s.Decided = true;
    // A miss is judged on its own time, a clean finish on the steps' mean.
    rateProblem(a, s.Shape, a.Correct, a.Correct ? s.Ms / std::max(1, s.Steps) : a.Ms);
    RelearnRow row;
    row.Player = a.Player;
    row.Operation = a.Operation;
    row.Operand1 = a.Operand1;
    row.Operand2 = a.Operand2;
    row.Type = a.Type;
    row.StepMode = a.StepMode;
    relearn({a.Player, false, OpCode(a.Operation), a.Operand1, a.Operand2}, row, a.Correct, day,
            true);
}

void SkillModel::rateFact(int32_t player, const Fact &fact, bool right, int64_t ms)
{
    const QString item = factItem(fact);
    Entry &r = rating(player, item, factRating(player, fact));
    Entry &d = difficulty(item, SkillRule::priorFactDifficulty(fact));
    const SkillRule::Step step = SkillRule::update(r.Value, r.Answers, d.Value, d.Answers, right,
                                                   SkillRule::timeWeight(ms, m_stepLimitMs));
    r.Value = step.Rating;
    d.Value = step.Difficulty;
    ++r.Answers;
    ++d.Answers;
    std::vector<TimedAnswer> recent = decodeRecent(r.Recent);
    recent.push_back({right, ms});
    if (recent.size() > size_t(FluencyRule::Kept))
        recent.erase(recent.begin(), recent.end() - FluencyRule::Kept);
    r.Recent = encodeRecent(recent);
}

void SkillModel::rateProblem(const FoldedAnswer &a, const ProblemShape &shape, bool right,
                             int64_t ms)
{
    const int form = shape.Form;
    const double weight = SkillRule::timeWeight(ms, m_stepLimitMs);
    const double offset = (form > 0 ? ratingOr(a.Player, regroupItem(a.Operation, form), 0) : 0) +
                          factTerm(a.Player, shape);
    Entry &r =
        rating(a.Player, lineItem(a.Operation, a.Type), lineRating(a.Player, a.Operation, a.Type));
    Entry &d =
        difficulty(formItem(a.Operation, a.Type, form),
                   SkillRule::priorTypeDifficulty(a.Operation, SkillRule::digitCount(a.Operand1),
                                                  SkillRule::digitCount(a.Operand2), form));
    const SkillRule::Step step =
        SkillRule::update(r.Value, r.Answers, d.Value, d.Answers, right, weight, offset);
    const double miss = (right ? 1.0 : 0.0) - step.Predicted;
    r.Value = step.Rating;
    d.Value = step.Difficulty;
    ++r.Answers;
    ++d.Answers;
    if (form > 0) {
        Entry &g = rating(a.Player, regroupItem(a.Operation, form), 0);
        g.Value += RegroupShare * SkillRule::ratingStep(g.Answers) * weight * miss;
        ++g.Answers;
    }
    Entry &s = rating(a.Player, SuccessItem, DefaultTarget);
    s.Value += RecentWeight * ((right ? 1.0 : 0.0) - s.Value);
    ++s.Answers;
    Entry &aim = rating(a.Player, AimItem, 0);
    aim.Value = std::clamp(aim.Value + AimStep * (target() - (right ? 1.0 : 0.0)), -AimShiftBound,
                           AimShiftBound);
    ++aim.Answers;
    Entry &p = rating(a.Player, PlacementItem, PlacementStart);
    if (p.Answers < PlacementProblems) {
        p.Value = std::clamp(p.Value + (right ? PlacementUp : -PlacementDown), 0.0, 1.0);
        ++p.Answers;
    }
}

void SkillModel::relearn(const RelearnKey &key, const RelearnRow &row, bool right, const QDate &day,
                         bool mayOpen)
{
    if (!day.isValid()) return;
    const auto found = m_relearn.find(key);
    if (!right) {
        if (found == m_relearn.end() && !mayOpen) return;
        RelearnRow r = row;
        // A problem keeps the line and mode it was first missed in when none is known now.
        if (found != m_relearn.end() && r.Type.isEmpty()) r.Type = found->second.Type;
        r.State = RelearnRule::missed(day);
        m_relearn[key] = r;
        m_changedRelearn.insert(key);
        return;
    }
    if (found == m_relearn.end()) return;
    const std::optional<RelearnState> next = RelearnRule::rightFirstTry(found->second.State, day);
    if (next) {
        found->second.State = *next;
        m_changedRelearn.insert(key);
    } else {
        m_retired.push_back(found->second);
        m_relearn.erase(found);
        m_changedRelearn.erase(key);
    }
}

SkillModel::Entry &SkillModel::rating(int32_t player, const QString &item, double initial)
{
    const RatingKey key{player, item};
    m_changedRatings.insert(key);
    return m_ratings.try_emplace(key, Entry{initial, 0, QString()}).first->second;
}

SkillModel::Entry &SkillModel::difficulty(const QString &item, double prior)
{
    m_changedDifficulties.insert(item);
    return m_difficulties.try_emplace(item, Entry{prior, 0, QString()}).first->second;
}

double SkillModel::ratingOr(int32_t player, const QString &item, double fallback) const
{
    const auto found = m_ratings.find({player, item});
    return found == m_ratings.end() ? fallback : found->second.Value;
}

double SkillModel::difficultyOr(const QString &item, double prior) const
{
    const auto found = m_difficulties.find(item);
    return found == m_difficulties.end() ? prior : found->second.Value;
}

double SkillModel::meanRating(int32_t player, const QString &prefix) const
{
    double sum = 0, weight = 0;
    for (auto it = m_ratings.lower_bound({player, prefix});
         it != m_ratings.end() && it->first.first == player && it->first.second.startsWith(prefix);
         ++it) {
        sum += it->second.Value * it->second.Answers;
        weight += it->second.Answers;
    }
    return weight > 0 ? sum / weight : 0;
}

double SkillModel::lineRating(int32_t player, Op op, const QString &line) const
{
    const auto found = m_ratings.find({player, lineItem(op, line)});
    if (found != m_ratings.end()) return found->second.Value;
    return meanRating(player, QStringLiteral("line:"));
}

double SkillModel::factRating(int32_t player, const Fact &fact) const
{
    const auto found = m_ratings.find({player, factItem(fact)});
    if (found != m_ratings.end()) return found->second.Value;
    return meanRating(player, factPrefix(fact.Operation));
}

double SkillModel::factDifficulty(const Fact &fact) const
{
    return difficultyOr(factItem(fact), SkillRule::priorFactDifficulty(fact));
}

double SkillModel::factSuccess(int32_t player, const Fact &fact) const
{
    return SkillRule::success(factRating(player, fact) - factDifficulty(fact));
}

double SkillModel::factTerm(int32_t player, const ProblemShape &shape) const
{
    double term = 0;
    for (const Fact &f : shape.Facts) {
        const auto found = m_ratings.find({player, factItem(f)});
        if (found == m_ratings.end() || found->second.Answers < FactEvidence) continue;
        term +=
            std::min(0.0, found->second.Value - factDifficulty(f) - SkillRule::logitOf(KnownFact));
    }
    return term;
}

double SkillModel::formLogit(int32_t player, Op op, const QString &line, int digits1, int digits2,
                             int form) const
{
    return lineRating(player, op, line) +
           (form > 0 ? ratingOr(player, regroupItem(op, form), 0) : 0) -
           difficultyOr(formItem(op, line, form),
                        SkillRule::priorTypeDifficulty(op, digits1, digits2, form));
}

double SkillModel::problemSuccess(int32_t player, Op op, const QString &typeLine, int32_t a,
                                  int32_t b, bool stepMode) const
{
    const ProblemShape shape = SkillRule::shapeOf(op, a, b, stepMode);
    // A problem that is a single fact is as hard as the fact.
    if (shape.StepFacts.size() == 1 && shape.StepFacts.front())
        return factSuccess(player, *shape.StepFacts.front());
    return SkillRule::success(formLogit(player, op, typeLine, SkillRule::digitCount(a),
                                        SkillRule::digitCount(b), shape.Form) +
                              factTerm(player, shape));
}

LineForms SkillModel::formsOf(Op op, const QString &line) const
{
    LineForms forms;
    const QStringList parts = stateOr(formsKey(op, line), QString()).split(QLatin1Char(','));
    if (parts.size() != 2 + SkillRule::Forms) {
        // Not chosen in this game yet: the digits of its line, and no regrouping.
        static const QChar signs[OpCount] = {QLatin1Char('+'), QLatin1Char('-'), QChar(0x00D7),
                                             QChar(0x00F7)};
        const QString second = line.section(signs[OpCode(op)], 1);
        if (!line.isEmpty() && line.front().isDigit() && !second.isEmpty() &&
            second.front().isDigit()) {
            forms.Digits1 = line.front().digitValue();
            forms.Digits2 = second.front().digitValue();
        }
        return forms;
    }
    forms.Digits1 = parts[0].toInt();
    forms.Digits2 = parts[1].toInt();
    for (int f = 0; f < SkillRule::Forms; ++f)
        forms.Share[f] = parts[2 + f].toDouble();
    return forms;
}

double SkillModel::lineSuccess(int32_t player, Op op, const QString &typeLine) const
{
    const LineForms forms = formsOf(op, typeLine);
    double p = 0;
    for (int f = 0; f < SkillRule::Forms; ++f) {
        if (forms.Share[f] > 0)
            p += forms.Share[f] * SkillRule::success(formLogit(player, op, typeLine, forms.Digits1,
                                                               forms.Digits2, f));
    }
    return p;
}

std::vector<LineSkill> SkillModel::lines(int32_t player) const
{
    std::vector<LineSkill> out;
    const QString prefix = QStringLiteral("line:");
    for (auto it = m_ratings.lower_bound({player, prefix});
         it != m_ratings.end() && it->first.first == player && it->first.second.startsWith(prefix);
         ++it) {
        // "line:<op>:<line>"
        const QString rest = it->first.second.mid(prefix.size());
        Op op;
        if (!OpFromCode(rest.section(QLatin1Char(':'), 0, 0).toInt(), op)) continue;
        LineSkill l;
        l.Operation = op;
        l.Line = rest.section(QLatin1Char(':'), 1);
        l.Answers = it->second.Answers;
        l.Success = lineSuccess(player, op, l.Line);
        const LineForms forms = formsOf(op, l.Line);
        for (int f = 0; f < SkillRule::Forms; ++f)
            l.Rank += forms.Share[f] *
                      SkillRule::priorTypeDifficulty(op, forms.Digits1, forms.Digits2, f);
        out.push_back(std::move(l));
    }
    return out;
}

int SkillModel::decidedProblems(int32_t player) const
{
    const auto found = m_ratings.find({player, SuccessItem});
    return found == m_ratings.end() ? 0 : found->second.Answers;
}

double SkillModel::recentSuccess(int32_t player) const
{
    const auto found = m_ratings.find({player, SuccessItem});
    return found == m_ratings.end() || found->second.Answers == 0 ? -1 : found->second.Value;
}

double SkillModel::aimShift(int32_t player) const
{
    return ratingOr(player, AimItem, 0);
}

double SkillModel::placement(int32_t player) const
{
    return ratingOr(player, PlacementItem, PlacementStart);
}

std::vector<RelearnItem> SkillModel::dueRelearning(int32_t player, const QDate &today) const
{
    std::vector<RelearnItem> due;
    for (const auto &[key, row] : m_relearn) {
        if (std::get<0>(key) == player && RelearnRule::due(row.State, today)) due.push_back(row);
    }
    // The longest due first; a problem before a fact due the same day.
    std::stable_sort(due.begin(), due.end(), [](const RelearnItem &x, const RelearnItem &y) {
        return std::tie(x.State.Due, x.IsFact) < std::tie(y.State.Due, y.IsFact);
    });
    return due;
}

std::vector<TimedAnswer> SkillModel::lastAnswers(int32_t player, const Fact &fact) const
{
    const auto found = m_ratings.find({player, factItem(fact)});
    return found == m_ratings.end() ? std::vector<TimedAnswer>()
                                    : decodeRecent(found->second.Recent);
}

std::vector<Fact> SkillModel::seenFacts(int32_t player) const
{
    std::vector<Fact> out;
    const QString prefix = QStringLiteral("fact:");
    for (auto it = m_ratings.lower_bound({player, prefix});
         it != m_ratings.end() && it->first.first == player && it->first.second.startsWith(prefix);
         ++it) {
        const QStringList parts = it->first.second.split(QLatin1Char(':'));
        Fact f;
        if (parts.size() != 4 || !OpFromCode(parts[1].toInt(), f.Operation)) continue;
        f.A = parts[2].toInt();
        f.B = parts[3].toInt();
        out.push_back(f);
    }
    return out;
}

QString SkillModel::stateOr(const QString &key, const QString &fallback) const
{
    const auto found = m_state.find(key);
    return found == m_state.end() ? fallback : found->second;
}

void SkillModel::setState(const QString &key, const QString &value)
{
    if (stateOr(key, QString()) == value && m_state.count(key)) return;
    m_state[key] = value;
    if (isOn()) SkillStore::setState(*m_journal, key, value);
}

void SkillModel::setLineForms(Op op, const QString &typeLine, const LineForms &forms)
{
    QStringList parts{QString::number(forms.Digits1), QString::number(forms.Digits2)};
    for (double s : forms.Share)
        parts << QString::number(s, 'g', 4);
    setState(formsKey(op, typeLine), parts.join(QLatin1Char(',')));
}

int64_t SkillModel::fluencyThresholdMs(const Journal &journal)
{
    return SkillStore::state(journal, FluencyKey, QString::number(FluencyRule::DefaultThresholdMs))
        .toLongLong();
}

int64_t SkillModel::fluencyThresholdMs() const
{
    return stateOr(FluencyKey, QString::number(FluencyRule::DefaultThresholdMs)).toLongLong();
}

void SkillModel::setFluencyThresholdMs(int64_t ms)
{
    setState(FluencyKey, QString::number(std::max<int64_t>(0, ms)));
}

double SkillModel::target() const
{
    bool ok = false;
    const double t = stateOr(TargetKey, QString()).toDouble(&ok);
    return ok ? t : DefaultTarget;
}

void SkillModel::setTarget(double target)
{
    setState(TargetKey, QString::number(target, 'g', 4));
}

void SkillModel::posedAgain(int64_t problem)
{
    if (isOn()) SkillStore::markPosedAgain(*m_journal, problem);
}
