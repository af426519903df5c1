#include "progress/Review.h"

#include "progress/Journal.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <initializer_list>

namespace {

// Runs sql with its values bound in order; false, with the reason in why, when it fails.
bool run(QSqlDatabase &db, const char *sql, std::initializer_list<QVariant> values, QString &why)
{
    QSqlQuery q(db);
    if (!q.prepare(QString::fromUtf8(sql))) {
        why = q.lastError().text();
        return false;
    }
    int i = 0;
    for (const QVariant &v : values)
        q.bindValue(i++, v);
    if (q.exec()) return true;
    why = q.lastError().text();
    return false;
}

} // namespace

Review::Review(Journal &journal) : m_journal(journal) {}

bool Review::isOn() const
{
    return m_journal.isOn();
}

std::optional<ReviewItem> Review::due(int32_t player,
                                      const std::function<bool(const ReviewItem &)> &canPose) const
{
    if (!isOn()) return std::nullopt;
    QSqlQuery recent(m_journal.database());
    recent.prepare(QStringLiteral("SELECT coalesce(max(review), 0) FROM (SELECT review FROM "
                                  "problems WHERE player = ? ORDER BY id DESC LIMIT 2)"));
    recent.bindValue(0, player);
    if (!m_journal.exec(recent) || !recent.next() || recent.value(0).toInt() != 0)
        return std::nullopt;

    // Due as the gap-th problem after counted_from: gap - 1 problems of the player lie
    // between, the one about to be posed being the gap-th. The count stops there, so items
    // waiting for long cost no more than others.
    QSqlQuery q(m_journal.database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT r.id, r.operation, r.operand1, r.operand2, r.type, "
                             "r.step_mode FROM review r WHERE r.player = ? AND (SELECT count(*) "
                             "FROM (SELECT 1 FROM problems p WHERE p.player = r.player AND p.id "
                             "> r.counted_from LIMIT %1)) >= r.gap - 1 ORDER BY r.counted_from, "
                             "r.id")
                  .arg(std::max(AfterMiss, AfterClean) - 1));
    q.bindValue(0, player);
    if (!m_journal.exec(q)) return std::nullopt;
    while (q.next()) {
        ReviewItem item;
        item.Id = q.value(0).toLongLong();
        item.Operation = q.value(1).toInt();
        item.Operand1 = q.value(2).toInt();
        item.Operand2 = q.value(3).toInt();
        item.Type = q.value(4).toString();
        item.StepMode = q.value(5).isNull() || q.value(5).toInt() != 0;
        if (canPose(item)) return item;
    }
    return std::nullopt;
}

void Review::posed(const ReviewItem &item, int64_t problem)
{
    if (!isOn() || problem == 0) return;
    m_journal.transaction([&](QSqlDatabase &db, QString &why) {
        // Posing does not count as playing it: left unanswered, the item stays due.
        return run(db, "UPDATE problems SET review = 1 WHERE id = ?", {qint64(problem)}, why) &&
               run(db, "UPDATE review SET last_problem = ? WHERE id = ?",
                   {qint64(problem), qint64(item.Id)}, why);
    });
}

void Review::answered(int64_t problem, bool correct, bool finishes)
{
    if (!isOn() || problem == 0) return;
    const qint64 row = problem;
    if (correct) {
        // A right answer changes something only for a problem up for review: one posed again
        // or missed already. Most are neither, and cost no write.
        QSqlQuery carried(m_journal.database());
        carried.prepare(QStringLiteral("SELECT count(*) FROM review WHERE last_problem = ?"));
        carried.bindValue(0, row);
        if (!m_journal.exec(carried) || !carried.next() || carried.value(0).toInt() == 0) return;
    }
    m_journal.transaction([&](QSqlDatabase &db, QString &why) {
        // The journal has just given the problem to the player who answered; what it carries
        // for review goes along. The new player's own copy of the same problem gives way.
        if (!run(db,
                 "UPDATE OR REPLACE review SET player = (SELECT player FROM problems WHERE id = "
                 "?) WHERE last_problem = ? AND player IS NOT (SELECT player FROM problems "
                 "WHERE id = ?)",
                 {row, row, row}, why))
            return false;
        if (!correct) {
            // A miss, in a drawn problem or a review: due again a few problems from here.
            return run(db,
                       "INSERT INTO review(player, operation, operand1, operand2, type, "
                       "step_mode, last_problem, counted_from, gap, clean) SELECT player, "
                       "operation, operand1, operand2, type, step_mode, id, id, ?, 0 FROM "
                       "problems WHERE id = ? ON CONFLICT(player, operation, operand1, operand2) "
                       "DO UPDATE SET type = excluded.type, step_mode = excluded.step_mode, "
                       "last_problem = excluded.last_problem, counted_from = "
                       "excluded.counted_from, gap = excluded.gap, clean = 0",
                       {AfterMiss, row}, why);
        }
        if (!finishes) return true;
        // A review answered to its end without a mistake moves on, or retires.
        return run(db,
                   "UPDATE review SET clean = clean + 1, gap = ?, counted_from = ? WHERE "
                   "last_problem = ? AND EXISTS(SELECT 1 FROM problems WHERE id = ? AND "
                   "review = 1 AND wrong = 0)",
                   {AfterClean, row, row, row}, why) &&
               run(db, "DELETE FROM review WHERE last_problem = ? AND clean >= ?",
                   {row, CleanToRetire}, why);
    });
}
