#include "progress/SkillStore.h"

#include "progress/Journal.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const char *const FoldedColumns =
    "a.id, a.problem, p.player, p.operation, p.operand1, p.operand2, p.type, p.step_mode, "
    "a.step, a.correct, a.ms, a.at, a.correct AND p.finished_at IS NOT NULL AND a.id = "
    "(SELECT max(x.id) FROM answers x WHERE x.problem = a.problem)";

std::vector<FoldedAnswer> folded(QSqlQuery &q)
{
    std::vector<FoldedAnswer> out;
    while (q.next()) {
        FoldedAnswer a;
        a.Id = q.value(0).toLongLong();
        a.Problem = q.value(1).toLongLong();
        a.Player = q.value(2).toInt();
        // A row no engine answers to (the file edited by hand) is not folded in.
        if (!OpFromCode(q.value(3).toInt(), a.Operation)) continue;
        a.Operand1 = q.value(4).toInt();
        a.Operand2 = q.value(5).toInt();
        a.Type = q.value(6).toString();
        a.StepMode = q.value(7).isNull() || q.value(7).toInt() != 0;
        a.Step = q.value(8).toInt();
        a.Correct = q.value(9).toInt() != 0;
        a.Ms = q.value(10).toLongLong();
        a.AtText = q.value(11).toString();
        a.At = Journal::parseTime(a.AtText);
        a.Finishes = q.value(12).toInt() != 0;
        out.push_back(std::move(a));
    }
    return out;
}

QString dayText(const QDate &d)
{
    return d.toString(Qt::ISODate);
}

QDate dayOf(const QVariant &v)
{
    return QDate::fromString(v.toString(), Qt::ISODate);
}

} // namespace

bool SkillStore::read(const Journal &journal, QSqlQuery &q)
{
    // A journal that is on handles its own errors (a failed read switches it off); one already
    // off is read as far as its file allows.
    return journal.m_on ? journal.exec(q) : q.exec();
}

bool SkillStore::readAll(const Journal &journal, std::vector<SkillRow> &ratings,
                         std::vector<SkillRow> &difficulties, std::vector<RelearnRow> &relearn,
                         std::map<QString, QString> &state)
{
    if (!journal.canRead()) return false;
    const QSqlDatabase db = journal.database();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT player, item, value, answers, recent FROM skill_rating"));
    if (!read(journal, q)) return false;
    while (q.next())
        ratings.push_back({q.value(0).toInt(), q.value(1).toString(), q.value(2).toDouble(),
                           q.value(3).toInt(), q.value(4).toString()});
    q.prepare(QStringLiteral("SELECT item, value, answers FROM skill_difficulty"));
    if (!read(journal, q)) return false;
    while (q.next())
        difficulties.push_back(
            {-1, q.value(0).toString(), q.value(1).toDouble(), q.value(2).toInt(), QString()});
    q.prepare(QStringLiteral("SELECT player, fact, operation, operand1, operand2, type, "
                             "step_mode, due, clean_days, last_day FROM relearn"));
    if (!read(journal, q)) return false;
    while (q.next()) {
        RelearnRow r;
        r.Player = q.value(0).toInt();
        r.IsFact = q.value(1).toInt() != 0;
        if (!OpFromCode(q.value(2).toInt(), r.Operation)) continue;
        r.Operand1 = q.value(3).toInt();
        r.Operand2 = q.value(4).toInt();
        r.Type = q.value(5).toString();
        r.StepMode = q.value(6).isNull() || q.value(6).toInt() != 0;
        r.State = {dayOf(q.value(7)), q.value(8).toInt(), dayOf(q.value(9))};
        relearn.push_back(std::move(r));
    }
    q.prepare(QStringLiteral("SELECT key, value FROM skill_state"));
    if (!read(journal, q)) return false;
    while (q.next())
        state[q.value(0).toString()] = q.value(1).toString();
    return true;
}

std::vector<FoldedAnswer> SkillStore::answersAfter(const Journal &journal, int64_t id, int limit)
{
    if (!journal.canRead()) return {};
    QSqlQuery q(journal.database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM answers a JOIN problems p ON p.id = a.problem "
                             "WHERE a.id > ? ORDER BY a.id LIMIT ?")
                  .arg(QLatin1String(FoldedColumns)));
    q.bindValue(0, qint64(id));
    q.bindValue(1, limit);
    if (!read(journal, q)) return {};
    return folded(q);
}

std::vector<FoldedAnswer> SkillStore::answersOf(const Journal &journal, int64_t problem,
                                                int64_t upTo)
{
    if (!journal.canRead()) return {};
    QSqlQuery q(journal.database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM answers a JOIN problems p ON p.id = a.problem "
                             "WHERE a.problem = ? AND a.id <= ? ORDER BY a.id")
                  .arg(QLatin1String(FoldedColumns)));
    q.bindValue(0, qint64(problem));
    q.bindValue(1, qint64(upTo));
    if (!read(journal, q)) return {};
    return folded(q);
}

int64_t SkillStore::answersUpTo(const Journal &journal, int64_t id)
{
    if (!journal.canRead()) return -1;
    QSqlQuery q(journal.database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT count(*) FROM answers WHERE id <= ?"));
    q.bindValue(0, qint64(id));
    if (!read(journal, q) || !q.next()) return -1;
    return q.value(0).toLongLong();
}

QString SkillStore::answerTime(const Journal &journal, int64_t id)
{
    if (!journal.canRead()) return QString();
    QSqlQuery q(journal.database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT at FROM answers WHERE id = ?"));
    q.bindValue(0, qint64(id));
    if (!read(journal, q) || !q.next()) return QString();
    return q.value(0).toString();
}

std::vector<RecentProblem> SkillStore::lastProblems(const Journal &journal, int32_t player,
                                                    int count)
{
    std::vector<RecentProblem> out;
    if (!journal.canRead()) return out;
    QSqlQuery q(journal.database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, operation, operand1, operand2, type FROM problems "
                             "WHERE player = ? ORDER BY id DESC LIMIT ?"));
    q.bindValue(0, player);
    q.bindValue(1, count);
    if (!read(journal, q)) return out;
    while (q.next()) {
        RecentProblem r;
        r.Id = q.value(0).toLongLong();
        if (!OpFromCode(q.value(1).toInt(), r.Operation)) continue;
        r.Operand1 = q.value(2).toInt();
        r.Operand2 = q.value(3).toInt();
        r.Type = q.value(4).toString();
        out.push_back(std::move(r));
    }
    return out;
}

bool SkillStore::save(Journal &journal, const SkillChanges &c)
{
    if (!journal.m_on) return false;
    // Queued with the journal's own writes: a held file keeps them waiting in order.
    JournalWrite w;
    for (const SkillRow &r : c.Ratings)
        w.push_back({"INSERT OR REPLACE INTO skill_rating(player, item, value, answers, recent) "
                     "VALUES(?, ?, ?, ?, ?)",
                     {r.Player, r.Item, r.Value, r.Answers, r.Recent}});
    for (const SkillRow &r : c.Difficulties)
        w.push_back({"INSERT OR REPLACE INTO skill_difficulty(item, value, answers) "
                     "VALUES(?, ?, ?)",
                     {r.Item, r.Value, r.Answers}});
    for (const RelearnRow &r : c.Relearn)
        w.push_back({"INSERT OR REPLACE INTO relearn(player, fact, operation, operand1, operand2, "
                     "type, step_mode, due, clean_days, last_day) "
                     "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                     {r.Player, r.IsFact ? 1 : 0, OpCode(r.Operation), r.Operand1, r.Operand2,
                      r.Type, r.StepMode ? 1 : 0, dayText(r.State.Due), r.State.CleanDays,
                      dayText(r.State.LastDay)}});
    for (const RelearnRow &r : c.Retired)
        w.push_back({"DELETE FROM relearn WHERE player = ? AND fact = ? AND operation = ? AND "
                     "operand1 = ? AND operand2 = ?",
                     {r.Player, r.IsFact ? 1 : 0, OpCode(r.Operation), r.Operand1, r.Operand2}});
    for (const auto &[key, value] : c.State)
        w.push_back({"INSERT OR REPLACE INTO skill_state(key, value) VALUES(?, ?)", {key, value}});
    if (!w.empty()) journal.write(std::move(w));
    return journal.m_on;
}

bool SkillStore::clear(Journal &journal, const QStringList &stateKeys)
{
    if (!journal.m_on) return false;
    JournalWrite w = {{"DELETE FROM skill_rating", {}},
                      {"DELETE FROM skill_difficulty", {}},
                      {"DELETE FROM relearn", {}}};
    for (const QString &key : stateKeys)
        w.push_back({"DELETE FROM skill_state WHERE key = ?", {key}});
    journal.write(std::move(w));
    return journal.m_on;
}

void SkillStore::setState(Journal &journal, const QString &key, const QString &value)
{
    save(journal, SkillChanges{{}, {}, {}, {}, {{key, value}}});
}

QString SkillStore::state(const Journal &journal, const QString &key, const QString &fallback)
{
    if (!journal.canRead()) return fallback;
    QSqlQuery q(journal.database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT value FROM skill_state WHERE key = ?"));
    q.bindValue(0, key);
    if (!read(journal, q) || !q.next()) return fallback;
    return q.value(0).toString();
}

void SkillStore::markPosedAgain(Journal &journal, int64_t problem)
{
    if (!journal.m_on || problem == 0) return;
    journal.write({{"UPDATE problems SET review = 1 WHERE id = ?", {qint64(problem)}, {0}}});
}
