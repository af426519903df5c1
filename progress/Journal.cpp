#include "progress/Journal.h"

#include "platform/Clock.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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
        // What a wrong answer got wrong (a named mistake, or "other"), and the answers given
        // to a step the board had worked.
        {3,
         {"ALTER TABLE answers ADD COLUMN mistake TEXT",
          "ALTER TABLE answers ADD COLUMN worked INTEGER NOT NULL DEFAULT 0"}},
        // The coins each answer moved: what a finishing answer paid, -1 for a silver taken for
        // a wrong one. Older answers took and paid nothing that was written down.
        {4, {"ALTER TABLE answers ADD COLUMN coins INTEGER NOT NULL DEFAULT 0"}},
        // The skill model: each player's ratings and the family's difficulties, the calendar
        // of relearning on later days, and how far into the answers they stand. All of it
        // follows from the answers and is rebuilt from them when missing.
        {5,
         {"CREATE TABLE skill_rating(player INTEGER NOT NULL, item TEXT NOT NULL, "
          "value REAL NOT NULL, answers INTEGER NOT NULL, recent TEXT, "
          "PRIMARY KEY(player, item))",
          "CREATE TABLE skill_difficulty(item TEXT PRIMARY KEY, value REAL NOT NULL, "
          "answers INTEGER NOT NULL)",
          "CREATE TABLE relearn(player INTEGER NOT NULL, fact INTEGER NOT NULL, "
          "operation INTEGER NOT NULL, operand1 INTEGER NOT NULL, operand2 INTEGER NOT NULL, "
          "type TEXT, step_mode INTEGER, due TEXT NOT NULL, clean_days INTEGER NOT NULL, "
          "last_day TEXT NOT NULL, PRIMARY KEY(player, fact, operation, operand1, operand2))",
          "CREATE TABLE skill_state(key TEXT PRIMARY KEY, value TEXT)"}},
        // The class journal: how far each table has reached each server, and this file's own
        // name there, so a journal made afresh at the same seat never collides with the old.
        {6,
         {"CREATE TABLE class_sent(target TEXT NOT NULL, tbl TEXT NOT NULL, "
          "last_id INTEGER NOT NULL, PRIMARY KEY(target, tbl))",
          "CREATE TABLE class_journal(id TEXT NOT NULL)",
          "INSERT INTO class_journal VALUES(lower(hex(randomblob(16))))"}},
    };
    return steps;
}

// A locked database must not hold the answer flow up for long; a write tried again while it
// stays locked does not wait at all.
const int BusyTimeoutMs = 250;
const char *const ConnectOptions = "QSQLITE_BUSY_TIMEOUT=250";
const char *const ReadOnlyOptions = "QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=250";

// SQLite's result codes for a file held by another connection, a full disk and an I/O error
// (all worth trying again), and for a file that cannot be written at all.
enum SqliteCode { Busy = 5, Locked = 6, ReadOnly = 8, IoError = 10, Full = 13 };

const char *const InsertProblem =
    "INSERT INTO problems(player, player_name, operation, operand1, operand2, type, step_mode, "
    "posed_at) VALUES(?, ?, ?, ?, ?, ?, ?, ?)";
const char *const InsertAnswer = "INSERT INTO answers(problem, step, value, correct, hint_shown, "
                                 "ms, at, coins, mistake, worked) "
                                 "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
const char *const UpdateProblem =
    "UPDATE problems SET player = ?, player_name = ?, wrong = wrong + ?, hints = max(hints, ?), "
    "finished_at = coalesce(?, finished_at), coins = coins + ? WHERE id = ?";

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

JournalStatement insertProblem(const PosedRecord &p, int64_t handle)
{
    return {InsertProblem,
            {p.Player, p.PlayerName, OpCode(p.Operation), p.Operand1, p.Operand2, p.Type,
             p.StepMode ? 1 : 0, Journal::isoTime(p.PosedAt)},
            {},
            handle};
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

Journal::Journal(const QString &path, Reporter &reporter, Clock *clock)
    : m_path(path), m_reporter(reporter), m_clock(clock)
{
    m_elapsed.start();
    // Unique among the journals open at a time: each closes its connection when it goes.
    m_connection = QStringLiteral("journal-%1").arg(quintptr(this), 0, 16);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        fail(QCoreApplication::translate("Journal", "Qt 的 SQLite 驱动（QSQLITE）没有安装"));
        return;
    }
    QString why;
    const Outcome opened = connect(why);
    if (opened == Outcome::Failed) fail(why);
    // A file held at the start is opened with the first write that finds it free.
    if (opened == Outcome::Blocked) m_pending.blocked(now());
}

Journal::~Journal()
{
    // Whatever still waits gets a last try: the file may be free by now.
    if (m_on && !m_pending.empty()) {
        setBusyTimeout(BusyTimeoutMs);
        flush();
    }
    m_prepared.clear();
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
    return m_connected && database().isOpen();
}

uint32_t Journal::now() const
{
    return m_clock ? m_clock->tickCount() : static_cast<uint32_t>(m_elapsed.elapsed());
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
    m_reporter.showError(QCoreApplication::translate(
                             "Journal", "做题记录写不进去，这次游戏不再记录。\n文件：%1\n原因：%2")
                             .arg(QDir::toNativeSeparators(m_path), reason));
}

Journal::Outcome Journal::outcomeOf(const QSqlError &error)
{
    switch (error.nativeErrorCode().toInt()) {
    case Busy:
    case Locked:
    case IoError:
    case Full:
        return Outcome::Blocked;
    default:
        break;
    }
    // A failed commit comes back without its code.
    const QString text = error.databaseText();
    if (text.contains(QLatin1String("locked")) || text.contains(QLatin1String("disk is full")))
        return Outcome::Blocked;
    return Outcome::Failed;
}

bool Journal::exec(QSqlQuery &query) const
{
    if (!m_on || !m_connected) return false;
    if (query.exec()) return true;
    // A read that finds the file held tries again next time.
    if (outcomeOf(query.lastError()) != Outcome::Blocked) fail(query.lastError().text());
    return false;
}

void Journal::setBusyTimeout(int ms)
{
    if (!m_connected || ms == m_busyTimeout) return;
    QSqlQuery q(database());
    if (q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(ms))) m_busyTimeout = ms;
}

Journal::Outcome Journal::connect(QString &why)
{
    QSqlDatabase db = QSqlDatabase::contains(m_connection)
                          ? database()
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QString::fromLatin1(ConnectOptions));
    if (!db.open()) {
        why = db.lastError().text();
        return Outcome::Failed;
    }
    m_connected = true;
    m_busyTimeout = BusyTimeoutMs;
    bool readOnly = false;
    auto step = [&](const QString &sql) {
        QSqlQuery q(db);
        if (q.exec(sql)) return Outcome::Done;
        why = q.lastError().text();
        readOnly = q.lastError().nativeErrorCode().toInt() == ReadOnly;
        return outcomeOf(q.lastError());
    };
    // A file that is no database fails on its first read, here.
    Outcome o = step(QStringLiteral("PRAGMA journal_mode=WAL"));
    // In WAL mode a commit is safe against a crash of the game without waiting for the disk.
    if (o == Outcome::Done) o = step(QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (o == Outcome::Done) o = step(QStringLiteral("PRAGMA foreign_keys=ON"));
    if (o == Outcome::Done) {
        o = migrate(why);
        readOnly = readOnly || why.contains(QLatin1String("readonly"));
    }
    if (o != Outcome::Done) {
        disconnect();
        // What was recorded can still be shown; nothing more is written.
        if (o == Outcome::Failed && readOnly) {
            db.setConnectOptions(QString::fromLatin1(ReadOnlyOptions));
            m_connected = db.open();
        }
        return o;
    }
    QSqlQuery columns(db);
    m_answerCoins = false;
    m_answerMistakes = false;
    if (columns.exec(QStringLiteral("PRAGMA table_info(answers)"))) {
        while (columns.next()) {
            const QString name = columns.value(1).toString();
            m_answerCoins = m_answerCoins || name == QLatin1String("coins");
            m_answerMistakes = m_answerMistakes || name == QLatin1String("mistake");
        }
    }
    noteFiles();
    return Outcome::Done;
}

void Journal::disconnect()
{
    m_prepared.clear();
    database().close();
    m_connected = false;
}

Journal::Outcome Journal::migrate(QString &why)
{
    QSqlQuery q(database());
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        why = q.lastError().text();
        return outcomeOf(q.lastError());
    }
    const int version = q.value(0).toInt();
    q.finish();
    if (version > SchemaVersion) {
        why = QCoreApplication::translate(
                  "Journal", "这个文件是更新版本的游戏写的（版本 %1），这里只认识到版本 %2")
                  .arg(version)
                  .arg(SchemaVersion);
        return Outcome::Failed;
    }
    for (const Migration &m : migrations()) {
        if (m.Version <= version) continue;
        std::vector<QString> sqls;
        for (const char *sql : m.Statements)
            sqls.push_back(QString::fromUtf8(sql));
        sqls.push_back(QStringLiteral("PRAGMA user_version = %1").arg(m.Version));
        const Outcome o = applyStatements(sqls, why);
        if (o != Outcome::Done) return o;
    }
    if (version == SchemaVersion) {
        // Nothing was migrated, so nothing has written yet: find a read-only file now
        // rather than at the child's first answer. A file only held is fine.
        const Outcome o =
            applyStatements({QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion)}, why);
        return o == Outcome::Blocked ? Outcome::Done : o;
    }
    return Outcome::Done;
}

Journal::Outcome Journal::applyStatements(const std::vector<QString> &sqls, QString &why)
{
    QSqlQuery q(database());
    // The write lock first: a held file is found before anything is half done.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        why = q.lastError().text();
        return outcomeOf(q.lastError());
    }
    for (const QString &sql : sqls) {
        if (!q.exec(sql)) {
            why = q.lastError().text();
            const Outcome o = outcomeOf(q.lastError());
            q.exec(QStringLiteral("ROLLBACK"));
            return o;
        }
    }
    if (q.exec(QStringLiteral("COMMIT"))) return Outcome::Done;
    why = q.lastError().text();
    const Outcome o = outcomeOf(q.lastError());
    q.exec(QStringLiteral("ROLLBACK"));
    return o;
}

Journal::Outcome Journal::apply(const JournalWrite &write, QString &why)
{
    QSqlDatabase db = database();
    QSqlQuery control(db);
    if (!control.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        why = control.lastError().text();
        return outcomeOf(control.lastError());
    }
    std::map<int64_t, int64_t> made;
    auto rowFor = [&](int64_t handle) {
        const auto it = made.find(handle);
        return it != made.end() ? it->second : rowOf(handle);
    };
    Outcome o = Outcome::Done;
    for (const JournalStatement &st : write) {
        std::unique_ptr<QSqlQuery> &q = m_prepared[st.Sql];
        if (!q) {
            q = std::make_unique<QSqlQuery>(db);
            q->setForwardOnly(true);
            if (!q->prepare(QString::fromUtf8(st.Sql))) {
                why = q->lastError().text();
                o = outcomeOf(q->lastError());
                q.reset();
                break;
            }
        }
        for (int i = 0; i < st.Values.size(); ++i)
            q->bindValue(i, st.Values[i]);
        for (int i : st.Problems)
            q->bindValue(i, qint64(rowFor(st.Values[i].toLongLong())));
        const bool ok = q->exec();
        if (ok && st.Makes != 0) made[st.Makes] = q->lastInsertId().toLongLong();
        if (!ok) {
            why = q->lastError().text();
            o = outcomeOf(q->lastError());
        }
        q->finish();
        if (!ok) break;
    }
    if (o == Outcome::Done) {
        if (control.exec(QStringLiteral("COMMIT"))) {
            for (const auto &[from, to] : made)
                m_rows[from] = to;
            return Outcome::Done;
        }
        why = control.lastError().text();
        o = outcomeOf(control.lastError());
    }
    control.exec(QStringLiteral("ROLLBACK"));
    if (why.trimmed().isEmpty()) why = QCoreApplication::translate("Journal", "写入没有完成");
    return o;
}

int64_t Journal::rowOf(int64_t problem) const
{
    // A few hops at most: a handle to the row of a file deleted since, to its fresh row.
    for (int hop = 0; hop < 4; ++hop) {
        const auto it = m_rows.find(problem);
        if (it == m_rows.end() || it->second == problem) break;
        problem = it->second;
    }
    return problem;
}

void Journal::noteFiles()
{
    m_files = {FileIdentity::of(m_path), FileIdentity::of(m_path + QStringLiteral("-wal")),
               FileIdentity::of(m_path + QStringLiteral("-shm"))};
}

bool Journal::sameFiles() const
{
    const std::array<QString, 3> paths = {m_path, m_path + QStringLiteral("-wal"),
                                          m_path + QStringLiteral("-shm")};
    for (size_t i = 0; i < paths.size(); ++i) {
        if (m_files[i].Exists && FileIdentity::of(paths[i]) != m_files[i]) return false;
    }
    return true;
}

void Journal::write(JournalWrite w)
{
    if (!m_on) return;
    m_pending.add(std::move(w));
    if (!m_pending.due(now())) return;
    setBusyTimeout(m_pending.isBlocked() ? 0 : BusyTimeoutMs);
    flush();
}

void Journal::writePending()
{
    if (!m_on || m_pending.empty()) return;
    if (m_pending.due(now())) {
        setBusyTimeout(0);
        flush();
    }
    if (m_pending.takeTellable(now()))
        m_reporter.showError(
            QCoreApplication::translate(
                "Journal",
                "做题记录的文件被别的程序占着，已经一分钟写不进去了。做的题先记在游戏里，"
                "等文件空出来就写进去。\n文件：%1")
                .arg(QDir::toNativeSeparators(m_path)));
}

void Journal::flush()
{
    if (!m_on || m_flushing) return;
    m_flushing = true;
    QString why;
    Outcome o = Outcome::Done;
    if (m_connected && !sameFiles()) {
        // Deleted or replaced under the game: closing keeps what the old file still holds
        // (its -wal is written back into it), and a fresh journal begins at the path.
        const std::array<FileIdentity, 3> old = m_files;
        const bool fresh = FileIdentity::of(m_path) != old[0];
        disconnect();
        if (fresh) {
            // What is left of the old file must not be read into the new one.
            for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
                const FileIdentity left = FileIdentity::of(m_path + suffix);
                if (left.Exists && (left == old[1] || left == old[2]))
                    QFile::remove(m_path + suffix);
            }
        }
        o = connect(why);
        // The problem under way goes into the fresh journal, so its answers have a row.
        if (o == Outcome::Done && fresh && m_openProblem && rowOf(m_openProblem->first) > 0)
            m_pending.addFirst({insertProblem(m_openProblem->second, rowOf(m_openProblem->first))});
    } else if (!m_connected) {
        o = connect(why);
    }
    while (o == Outcome::Done && !m_pending.empty()) {
        o = apply(m_pending.front(), why);
        if (o == Outcome::Done) m_pending.popFront();
    }
    if (o == Outcome::Done) {
        m_pending.cleared();
        noteFiles();
        // Only the problem under way may still be named by an old handle.
        std::map<int64_t, int64_t> keep;
        if (m_openProblem && rowOf(m_openProblem->first) != m_openProblem->first)
            keep[m_openProblem->first] = rowOf(m_openProblem->first);
        m_rows = std::move(keep);
    } else if (o == Outcome::Blocked) {
        m_pending.blocked(now());
    } else {
        m_pending.clear();
        fail(why);
    }
    m_flushing = false;
}

int64_t Journal::recordPosed(const PosedRecord &p)
{
    if (!m_on) return 0;
    const int64_t handle = m_nextWaiting--;
    // Open before it is written: a file found deleted meanwhile gets it again.
    m_openProblem = std::make_pair(handle, p);
    write({insertProblem(p, handle)});
    if (!m_on) return 0;
    m_openProblem->first = rowOf(handle);
    return m_openProblem->first;
}

void Journal::recordAnswer(int64_t problem, const AnswerRecord &a)
{
    if (!m_on || problem == 0) return;
    const int32_t coins = a.Finishes ? a.Coins : a.SilverTaken ? -1 : 0;
    JournalWrite w = {{InsertAnswer,
                       {qint64(problem), a.Step, a.Value, a.Correct ? 1 : 0, a.HintShown ? 1 : 0,
                        qint64(a.Ms), isoTime(a.At), coins,
                        a.Mistake.isEmpty() ? QVariant() : QVariant(a.Mistake), a.Worked ? 1 : 0},
                       {0}},
                      {UpdateProblem,
                       {a.Player, a.PlayerName, a.Correct ? 0 : 1, a.HintShown ? 1 : 0,
                        a.Finishes ? QVariant(isoTime(a.At)) : QVariant(), a.Finishes ? a.Coins : 0,
                        qint64(problem)},
                       {6}}};
    write(std::move(w));
    if (a.Finishes && m_openProblem && m_openProblem->first == problem) m_openProblem.reset();
}

std::vector<ProblemRow> Journal::problems(int32_t player, const QDateTime &since) const
{
    std::vector<ProblemRow> rows;
    if (!canRead()) return rows;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral(
            "SELECT p.id, p.player, p.player_name, p.operation, p.operand1, p.operand2, p.type, "
            "p.step_mode, p.posed_at, p.finished_at, p.wrong, p.hints, p.coins, "
            "(SELECT count(*) FROM answers a WHERE a.problem = p.id), "
            "(SELECT count(*) FROM answers a WHERE a.problem = p.id AND a.correct), "
            "(SELECT coalesce(sum(a.ms), 0) FROM answers a WHERE a.problem = p.id), %1 "
            "FROM problems p WHERE p.player = ? AND p.posed_at >= ? ORDER BY p.posed_at, p.id")
            .arg(m_answerCoins ? QLatin1String("(SELECT count(*) FROM answers a WHERE "
                                               "a.problem = p.id AND a.coins < 0)")
                               : QLatin1String("0")));
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
        r.AnswerMs = q.value(15).toLongLong();
        r.Taken = q.value(16).toInt();
        rows.push_back(std::move(r));
    }
    return rows;
}

QStringList Journal::rawHeader()
{
    return {
        QStringLiteral("problem"),     QStringLiteral("player"),      QStringLiteral("player_name"),
        QStringLiteral("operation"),   QStringLiteral("operand1"),    QStringLiteral("operand2"),
        QStringLiteral("type"),        QStringLiteral("step_mode"),   QStringLiteral("posed_at"),
        QStringLiteral("finished_at"), QStringLiteral("wrong"),       QStringLiteral("hints"),
        QStringLiteral("coins"),       QStringLiteral("answer"),      QStringLiteral("step"),
        QStringLiteral("value"),       QStringLiteral("correct"),     QStringLiteral("hint_shown"),
        QStringLiteral("ms"),          QStringLiteral("at"),          QStringLiteral("mistake"),
        QStringLiteral("worked"),      QStringLiteral("answer_coins")};
}

QList<QStringList> Journal::rawRows(int32_t player, const QDateTime &since) const
{
    QList<QStringList> rows;
    if (!canRead()) return rows;
    QSqlQuery q(database());
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral(
            "SELECT p.id, p.player, p.player_name, p.operation, p.operand1, p.operand2, p.type, "
            "p.step_mode, p.posed_at, p.finished_at, p.wrong, p.hints, p.coins, a.id, a.step, "
            "a.value, a.correct, a.hint_shown, a.ms, a.at, %1, %2, %3 FROM problems p "
            "LEFT JOIN answers a ON a.problem = p.id WHERE p.player = ? AND p.posed_at >= ? "
            "ORDER BY p.posed_at, p.id, a.id")
            .arg(m_answerMistakes ? QLatin1String("a.mistake") : QLatin1String("NULL"),
                 m_answerMistakes ? QLatin1String("a.worked") : QLatin1String("NULL"),
                 m_answerCoins ? QLatin1String("a.coins") : QLatin1String("NULL")));
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
                           {qint64(rowOf(problem))});
    if (!exec(q) || !q.next()) return std::nullopt;
    return reviewRecord(q);
}

bool Journal::cleanReview(int64_t problem) const
{
    if (!m_on) return false;
    QSqlQuery q = prepared(database(), "SELECT review = 1 AND wrong = 0 FROM problems WHERE id = ?",
                           {qint64(rowOf(problem))});
    return exec(q) && q.next() && q.value(0).toInt() != 0;
}

void Journal::markPosedAsReview(int64_t item, int64_t problem)
{
    if (!m_on || problem == 0) return;
    write({{"UPDATE problems SET review = 1 WHERE id = ?", {qint64(problem)}, {0}},
           {"UPDATE review SET last_problem = ? WHERE id = ?",
            {qint64(problem), qint64(item)},
            {0}}});
}

void Journal::keepReview(int64_t problem, const std::optional<ReviewState> &state)
{
    if (!m_on || problem == 0) return;
    const qint64 row = problem;
    JournalWrite w = {
        {"UPDATE OR REPLACE review SET player = (SELECT player FROM problems WHERE id = ?) WHERE "
         "last_problem = ? AND player IS NOT (SELECT player FROM problems WHERE id = ?)",
         {row, row, row},
         {0, 1, 2}}};
    if (!state)
        w.push_back({"DELETE FROM review WHERE last_problem = ?", {row}, {0}});
    else
        w.push_back({"INSERT INTO review(player, operation, operand1, operand2, type, step_mode, "
                     "last_problem, counted_from, gap, clean) SELECT player, operation, operand1, "
                     "operand2, type, step_mode, ?, ?, ?, ? FROM problems WHERE id = ? "
                     "ON CONFLICT(player, operation, operand1, operand2) DO UPDATE SET type = "
                     "excluded.type, step_mode = excluded.step_mode, last_problem = "
                     "excluded.last_problem, counted_from = excluded.counted_from, gap = "
                     "excluded.gap, clean = excluded.clean",
                     {qint64(state->LastProblem), qint64(state->CountedFrom), state->Gap,
                      state->Clean, row},
                     {0, 1, 4}});
    write(std::move(w));
}
