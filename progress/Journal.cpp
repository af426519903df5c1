#include "progress/Journal.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <initializer_list>

namespace {

// One numbered step of the schema; a file at version v gets every step above v, each in
// its own transaction together with the new user_version. A new version is a new step at
// the end, never an edit of an old one: files out there were made by the old steps.
struct Migration
{
    int Version;
    std::vector<const char *> Statements;
};

const std::vector<Migration> &migrations()
{
    static const std::vector<Migration> steps = {
        {1,
         {"CREATE TABLE problems(id INTEGER PRIMARY KEY, player INTEGER, player_name TEXT, "
          "operation INTEGER, operand1 INTEGER, operand2 INTEGER, type TEXT, step_mode INTEGER, "
          "posed_at TEXT, finished_at TEXT, wrong INTEGER NOT NULL DEFAULT 0, "
          "hints INTEGER NOT NULL DEFAULT 0, coins INTEGER NOT NULL DEFAULT 0)",
          "CREATE TABLE answers(id INTEGER PRIMARY KEY, "
          "problem INTEGER NOT NULL REFERENCES problems(id), step INTEGER, value INTEGER, "
          "correct INTEGER, hint_shown INTEGER, ms INTEGER, at TEXT)",
          "CREATE INDEX problems_by_player ON problems(player, posed_at)",
          "CREATE INDEX answers_by_problem ON answers(problem)"}},
        // Missed problems that come back. The columns copied from a problem add no constraint
        // of their own: a refused copy would switch the journal off.
        {2,
         {"ALTER TABLE problems ADD COLUMN review INTEGER NOT NULL DEFAULT 0",
          "CREATE TABLE review(id INTEGER PRIMARY KEY, player INTEGER, operation INTEGER, "
          "operand1 INTEGER, operand2 INTEGER, type TEXT, step_mode INTEGER, "
          "last_problem INTEGER NOT NULL REFERENCES problems(id), "
          "counted_from INTEGER NOT NULL REFERENCES problems(id), gap INTEGER NOT NULL, "
          "clean INTEGER NOT NULL DEFAULT 0, UNIQUE(player, operation, operand1, operand2))",
          "CREATE INDEX review_by_problem ON review(last_problem)",
          // Problems counted by player in the order they were posed.
          "CREATE INDEX problems_by_player_row ON problems(player, id)"}},
    };
    return steps;
}

// A locked database must not hold the answer flow up for long.
const char *const ConnectOptions = "QSQLITE_BUSY_TIMEOUT=250";

// Prepares sql with its values bound in order.
QSqlQuery prepared(const QSqlDatabase &db, const char *sql, std::initializer_list<QVariant> values)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QString::fromUtf8(sql));
    int i = 0;
    for (const QVariant &v : values)
        q.bindValue(i++, v);
    return q;
}

// Runs sql with its values bound in order; false, with the reason in why, when it fails.
bool runBound(const QSqlDatabase &db, const char *sql, std::initializer_list<QVariant> values,
              QString &why)
{
    QSqlQuery q = prepared(db, sql, values);
    if (q.exec()) return true;
    why = q.lastError().text();
    return false;
}

const char *const ReviewColumns = "r.id, r.operation, r.operand1, r.operand2, r.type, "
                                  "r.step_mode, r.last_problem, r.counted_from, r.gap, r.clean";

ReviewRecord reviewRecord(const QSqlQuery &q)
{
    ReviewRecord r;
    r.Id = q.value(0).toLongLong();
    OpFromCode(q.value(1).toInt(), r.Operation);
    r.Operand1 = q.value(2).toInt();
    r.Operand2 = q.value(3).toInt();
    r.Type = q.value(4).toString();
    r.StepMode = q.value(5).isNull() || q.value(5).toInt() != 0;
    r.State.LastProblem = q.value(6).toLongLong();
    r.State.CountedFrom = q.value(7).toLongLong();
    r.State.Gap = q.value(8).toInt();
    r.State.Clean = q.value(9).toInt();
    return r;
}

QString sinceText(const QDateTime &since)
{
    // Every stored time sorts after "0"; an empty text would be bound as NULL.
    return since.isValid() ? Journal::isoTime(since) : QStringLiteral("0");
}

} // namespace

const int Journal::SchemaVersion = migrations().back().Version;

struct Journal::Statements
{
    explicit Statements(const QSqlDatabase &db) : posed(db), answer(db), update(db) {}
    QSqlQuery posed, answer, update;
};

Journal::Journal(const QString &path, Reporter &reporter) : m_path(path), m_reporter(reporter)
{
    // Unique among the journals open at a time: each closes its connection when it goes.
    m_connection = QStringLiteral("journal-%1").arg(quintptr(this), 0, 16);
    if (!open()) {
        m_statements.reset();
        QSqlDatabase::database(m_connection, false).close();
    }
}

Journal::~Journal()
{
    m_statements.reset();
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QSqlDatabase Journal::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

bool Journal::canRead() const
{
    return database().isOpen();
}

QString Journal::isoTime(const QDateTime &t)
{
    return t.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime Journal::parseTime(const QString &text)
{
    if (text.isEmpty()) return {};
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!t.isValid()) t = QDateTime::fromString(text, Qt::ISODate);
    return t.isValid() ? t.toUTC() : QDateTime();
}

void Journal::fail(const QString &reason) const
{
    if (!m_on) return;
    // Off first: the error box runs an event loop, and the game goes on inside it.
    m_on = false;
    m_failure = reason;
    m_reporter.showError(QCoreApplication::translate("Journal", "做题记录写不进去，这次游戏不再记录。\n文件：%1\n原因：%2")
                             .arg(QDir::toNativeSeparators(m_path), reason));
}

bool Journal::run(const QString &sql)
{
    QSqlQuery q(database());
    if (q.exec(sql)) return true;
    fail(q.lastError().text());
    return false;
}

bool Journal::exec(QSqlQuery &query) const
{
    if (!m_on) return false;
    if (query.exec()) return true;
    fail(query.lastError().text());
    return false;
}

bool Journal::open()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        fail(QCoreApplication::translate("Journal", "Qt 的 SQLite 驱动（QSQLITE）没有安装"));
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QString::fromLatin1(ConnectOptions));
    if (!db.open()) {
        fail(db.lastError().text());
        return false;
    }
    // A file that is no database fails on its first read, here.
    if (!run(QStringLiteral("PRAGMA journal_mode=WAL"))) return false;
    // In WAL mode a commit is safe against a crash of the game without waiting for the disk.
    if (!run(QStringLiteral("PRAGMA synchronous=NORMAL"))) return false;
    if (!run(QStringLiteral("PRAGMA foreign_keys=ON"))) return false;
    if (!migrate()) return false;
    m_statements = std::make_unique<Statements>(db);
    const bool prepared =
        m_statements->posed.prepare(QStringLiteral(
            "INSERT INTO problems(player, player_name, operation, operand1, operand2, type, "
            "step_mode, posed_at) VALUES(?, ?, ?, ?, ?, ?, ?, ?)")) &&
        m_statements->answer.prepare(
            QStringLiteral("INSERT INTO answers(problem, step, value, correct, hint_shown, ms, "
                           "at) VALUES(?, ?, ?, ?, ?, ?, ?)")) &&
        m_statements->update.prepare(
            QStringLiteral("UPDATE problems SET player = ?, player_name = ?, wrong = wrong + ?, "
                           "hints = max(hints, ?), finished_at = coalesce(?, finished_at), "
                           "coins = coins + ? WHERE id = ?"));
    if (!prepared) {
        fail(db.lastError().text());
        return false;
    }
    return true;
}

bool Journal::migrate()
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        fail(q.lastError().text());
        return false;
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version > SchemaVersion) {
        fail(QCoreApplication::translate("Journal", "这个文件是更新版本的游戏写的（版本 %1），这里只认识到版本 %2")
                 .arg(version)
                 .arg(SchemaVersion));
        return false;
    }
    for (const Migration &m : migrations()) {
        if (m.Version <= version) continue;
        const bool done = transaction([&](QSqlDatabase &db, QString &why) {
            QSqlQuery step(db);
            QStringList sqls;
            for (const char *sql : m.Statements)
                sqls << QString::fromUtf8(sql);
            sqls << QStringLiteral("PRAGMA user_version = %1").arg(m.Version);
            for (const QString &sql : sqls) {
                if (!step.exec(sql)) {
                    why = step.lastError().text();
                    return false;
                }
            }
            return true;
        });
        if (!done) return false;
    }
    if (version == SchemaVersion) {
        // Nothing was migrated, so nothing has written yet: find a read-only file now
        // rather than at the child's first answer.
        return run(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
    }
    return true;
}

bool Journal::transaction(const std::function<bool(QSqlDatabase &, QString &why)> &work)
{
    if (!m_on) return false;
    QSqlDatabase db = database();
    if (!db.transaction()) {
        fail(db.lastError().text());
        return false;
    }
    QString why;
    if (work(db, why)) {
        if (db.commit()) return true;
        why = db.lastError().text();
    }
    db.rollback();
    fail(why.trimmed().isEmpty() ? QCoreApplication::translate("Journal", "写入没有完成") : why);
    return false;
}

int64_t Journal::recordPosed(const PosedRecord &p)
{
    if (!m_on) return 0;
    QSqlQuery &q = m_statements->posed;
    q.bindValue(0, p.Player);
    q.bindValue(1, p.PlayerName);
    q.bindValue(2, OpCode(p.Operation));
    q.bindValue(3, p.Operand1);
    q.bindValue(4, p.Operand2);
    q.bindValue(5, p.Type);
    q.bindValue(6, p.StepMode ? 1 : 0);
    q.bindValue(7, isoTime(p.PosedAt));
    if (!exec(q)) return 0;
    const int64_t id = q.lastInsertId().toLongLong();
    q.finish();
    return id;
}

void Journal::recordAnswer(int64_t problem, const AnswerRecord &a)
{
    if (!m_on || problem == 0) return;
    transaction([&](QSqlDatabase &, QString &why) {
        QSqlQuery &answer = m_statements->answer;
        answer.bindValue(0, qint64(problem));
        answer.bindValue(1, a.Step);
        answer.bindValue(2, a.Value);
        answer.bindValue(3, a.Correct ? 1 : 0);
        answer.bindValue(4, a.HintShown ? 1 : 0);
        answer.bindValue(5, qint64(a.Ms));
        answer.bindValue(6, isoTime(a.At));
        QSqlQuery &update = m_statements->update;
        update.bindValue(0, a.Player);
        update.bindValue(1, a.PlayerName);
        update.bindValue(2, a.Correct ? 0 : 1);
        update.bindValue(3, a.HintShown ? 1 : 0);
        update.bindValue(4, a.Finishes ? QVariant(isoTime(a.At)) : QVariant());
        update.bindValue(5, a.Finishes ? a.Coins : 0);
        update.bindValue(6, qint64(problem));
        bool ok = answer.exec();
        if (!ok)
            why = answer.lastError().text();
        else if (!(ok = update.exec()))
            why = update.lastError().text();
        answer.finish();
        update.finish();
        return ok;
    });
}

std::vector<ProblemRow> Journal::problems(int32_t player, const QDateTime &since) const
{
    std::vector<ProblemRow> rows;
    if (!canRead()) return rows;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT p.id, p.player, p.player_name, p.operation, p.operand1, p.operand2, p.type, "
        "p.step_mode, p.posed_at, p.finished_at, p.wrong, p.hints, p.coins, "
        "(SELECT count(*) FROM answers a WHERE a.problem = p.id), "
        "(SELECT count(*) FROM answers a WHERE a.problem = p.id AND a.correct) "
        "FROM problems p WHERE p.player = ? AND p.posed_at >= ? ORDER BY p.posed_at, p.id"));
    q.bindValue(0, player);
    q.bindValue(1, sinceText(since));
    if (!q.exec()) return rows;
    while (q.next()) {
        ProblemRow r;
        r.Id = q.value(0).toLongLong();
        r.Player = q.value(1).toInt();
        r.PlayerName = q.value(2).toString();
        r.Operation = q.value(3).toInt();
        r.Operand1 = q.value(4).toInt();
        r.Operand2 = q.value(5).toInt();
        r.Type = q.value(6).toString();
        r.StepMode = q.value(7).toInt() != 0;
        r.PosedAt = parseTime(q.value(8).toString());
        r.FinishedAt = parseTime(q.value(9).toString());
        r.Wrong = q.value(10).toInt();
        r.Hints = q.value(11).toInt();
        r.Coins = q.value(12).toInt();
        r.Answers = q.value(13).toInt();
        r.RightAnswers = q.value(14).toInt();
        rows.push_back(std::move(r));
    }
    return rows;
}

QStringList Journal::rawHeader()
{
    return {
        QStringLiteral("problem"),     QStringLiteral("player"),    QStringLiteral("player_name"),
        QStringLiteral("operation"),   QStringLiteral("operand1"),  QStringLiteral("operand2"),
        QStringLiteral("type"),        QStringLiteral("step_mode"), QStringLiteral("posed_at"),
        QStringLiteral("finished_at"), QStringLiteral("wrong"),     QStringLiteral("hints"),
        QStringLiteral("coins"),       QStringLiteral("answer"),    QStringLiteral("step"),
        QStringLiteral("value"),       QStringLiteral("correct"),   QStringLiteral("hint_shown"),
        QStringLiteral("ms"),          QStringLiteral("at")};
}

QList<QStringList> Journal::rawRows(int32_t player, const QDateTime &since) const
{
    QList<QStringList> rows;
    if (!canRead()) return rows;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT p.id, p.player, p.player_name, p.operation, p.operand1, p.operand2, p.type, "
        "p.step_mode, p.posed_at, p.finished_at, p.wrong, p.hints, p.coins, a.id, a.step, "
        "a.value, a.correct, a.hint_shown, a.ms, a.at FROM problems p "
        "LEFT JOIN answers a ON a.problem = p.id WHERE p.player = ? AND p.posed_at >= ? "
        "ORDER BY p.posed_at, p.id, a.id"));
    q.bindValue(0, player);
    q.bindValue(1, sinceText(since));
    if (!q.exec()) return rows;
    const int columns = static_cast<int>(rawHeader().size());
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < columns; ++i)
            row << (q.isNull(i) ? QString() : q.value(i).toString());
        rows << row;
    }
    return rows;
}

bool Journal::recentReview(int32_t player, int count) const
{
    if (!m_on) return false;
    QSqlQuery q = prepared(database(),
                           "SELECT coalesce(max(review), 0) FROM (SELECT review FROM problems "
                           "WHERE player = ? ORDER BY id DESC LIMIT ?)",
                           {player, count});
    return !exec(q) || !q.next() || q.value(0).toInt() != 0;
}

std::vector<ReviewRecord> Journal::reviews(int32_t player, int cap) const
{
    std::vector<ReviewRecord> items;
    if (!m_on) return items;
    // The count stops at cap, so items waiting for long cost no more than others.
    QSqlQuery q = prepared(database(),
                           QStringLiteral("SELECT %1, (SELECT count(*) FROM (SELECT 1 FROM "
                                          "problems p WHERE p.player = r.player AND p.id > "
                                          "r.counted_from LIMIT ?)) FROM review r WHERE "
                                          "r.player = ? ORDER BY r.counted_from, r.id")
                               .arg(QLatin1String(ReviewColumns))
                               .toUtf8()
                               .constData(),
                           {cap, player});
    if (!exec(q)) return items;
    while (q.next()) {
        // An operation no engine answers to (the file edited by hand) is never posed.
        Op op;
        if (!OpFromCode(q.value(1).toInt(), op)) continue;
        items.push_back(reviewRecord(q));
        items.back().PosedSince = q.value(10).toInt();
    }
    return items;
}

std::optional<ReviewRecord> Journal::reviewCarriedBy(int64_t problem) const
{
    if (!m_on) return std::nullopt;
    QSqlQuery q = prepared(database(),
                           QStringLiteral("SELECT %1 FROM review r WHERE r.last_problem = ?")
                               .arg(QLatin1String(ReviewColumns))
                               .toUtf8()
                               .constData(),
                           {qint64(problem)});
    if (!exec(q) || !q.next()) return std::nullopt;
    return reviewRecord(q);
}

bool Journal::cleanReview(int64_t problem) const
{
    if (!m_on) return false;
    QSqlQuery q = prepared(database(), "SELECT review = 1 AND wrong = 0 FROM problems WHERE id = ?",
                           {qint64(problem)});
    return exec(q) && q.next() && q.value(0).toInt() != 0;
}

void Journal::markPosedAsReview(int64_t item, int64_t problem)
{
    if (!m_on || problem == 0) return;
    transaction([&](QSqlDatabase &db, QString &why) {
        return runBound(db, "UPDATE problems SET review = 1 WHERE id = ?", {qint64(problem)},
                        why) &&
               runBound(db, "UPDATE review SET last_problem = ? WHERE id = ?",
                        {qint64(problem), qint64(item)}, why);
    });
}

void Journal::keepReview(int64_t problem, const std::optional<ReviewState> &state)
{
    if (!m_on || problem == 0) return;
    const qint64 row = problem;
    transaction([&](QSqlDatabase &db, QString &why) {
        if (!runBound(
                db,
                "UPDATE OR REPLACE review SET player = (SELECT player FROM problems WHERE id = "
                "?) WHERE last_problem = ? AND player IS NOT (SELECT player FROM problems "
                "WHERE id = ?)",
                {row, row, row}, why))
            return false;
        if (!state) return runBound(db, "DELETE FROM review WHERE last_problem = ?", {row}, why);
        return runBound(
            db,
            "INSERT INTO review(player, operation, operand1, operand2, type, step_mode, "
            "last_problem, counted_from, gap, clean) SELECT player, operation, operand1, "
            "operand2, type, step_mode, ?, ?, ?, ? FROM problems WHERE id = ? "
            "ON CONFLICT(player, operation, operand1, operand2) DO UPDATE SET type = "
            "excluded.type, step_mode = excluded.step_mode, last_problem = "
            "excluded.last_problem, counted_from = excluded.counted_from, gap = "
            "excluded.gap, clean = excluded.clean",
            {qint64(state->LastProblem), qint64(state->CountedFrom), state->Gap, state->Clean, row},
            why);
    });
}
