#include "progress/ClassSchema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace {

// A numbered step of the server's schema, run once in the migrating transaction. A new
// version is a new step at the end, never an edit of an old one: servers out there ran it.
struct Step
{
    int version;
    std::vector<const char *> statements;
};

const std::vector<Step> &steps()
{
    static const std::vector<Step> all = {
        {1,
         {"CREATE TABLE problems(class text NOT NULL, seat text NOT NULL, journal text NOT NULL, "
          "local_id bigint NOT NULL, player integer, player_name text, operation integer, "
          "operand1 integer, operand2 integer, type text, step_mode integer, posed_at text, "
          "finished_at text, wrong integer, hints integer, coins integer, review integer, "
          "sent_at text NOT NULL, received_at timestamptz NOT NULL DEFAULT now(), "
          "PRIMARY KEY(class, seat, journal, local_id))",
          "CREATE TABLE answers(class text NOT NULL, seat text NOT NULL, journal text NOT NULL, "
          "local_id bigint NOT NULL, problem bigint, step integer, value integer, "
          "correct integer, hint_shown integer, ms bigint, at text, sent_at text NOT NULL, "
          "received_at timestamptz NOT NULL DEFAULT now(), "
          "PRIMARY KEY(class, seat, journal, local_id))",
          "CREATE INDEX answers_by_problem ON answers(class, seat, journal, problem)",
          "CREATE INDEX problems_by_time ON problems(class, received_at)",
          // How far a journal's rows of a table have arrived, for seats that may not read
          // the tables themselves.
          "CREATE FUNCTION class_sent_upto(tbl text, cls text, st text, jn text) RETURNS bigint "
          "LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path FROM CURRENT AS $$ "
          "DECLARE upto bigint; BEGIN "
          "EXECUTE format('SELECT max(local_id) FROM %I WHERE class = $1 AND seat = $2 AND "
          "journal = $3', tbl) INTO upto USING cls, st, jn; "
          "RETURN coalesce(upto, 0); END $$",
          "REVOKE ALL ON FUNCTION class_sent_upto(text, text, text, text) FROM PUBLIC"}},
        // What a wrong answer got wrong, whether its step was worked, and the coins it moved.
        {2,
         {"ALTER TABLE answers ADD COLUMN mistake text, ADD COLUMN worked integer, "
          "ADD COLUMN coins integer"}},
    };
    return all;
}

// Renewed by the owner on every connection, so seat roles made after the tables get them.
QString grants()
{
    return QStringLiteral(
               "DO $$ BEGIN IF EXISTS (SELECT FROM pg_roles WHERE rolname = '%1') THEN "
               "GRANT SELECT ON class_schema TO %1; "
               "GRANT INSERT ON problems, answers TO %1; "
               "GRANT EXECUTE ON FUNCTION class_sent_upto(text, text, text, text) TO %1; "
               "END IF; END $$")
        .arg(QLatin1String(ClassSchema::seatGroup));
}

struct Failed
{
    QString why;
};

QVariant value(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) throw Failed{q.lastError().text()};
    return q.next() ? q.value(0) : QVariant();
}

void run(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) throw Failed{q.lastError().text()};
}

int migrate(QSqlDatabase &db)
{
    if (!db.transaction()) throw Failed{db.lastError().text()};
    try {
        run(db, QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('sumsprout class schema'))"));
        run(db,
            QStringLiteral("CREATE TABLE IF NOT EXISTS class_schema(version integer NOT NULL)"));
        QVariant found = value(db, QStringLiteral("SELECT max(version) FROM class_schema"));
        if (found.isNull()) run(db, QStringLiteral("INSERT INTO class_schema VALUES(0)"));
        int version = found.toInt();
        for (const Step &step : steps()) {
            if (step.version <= version) continue;
            for (const char *sql : step.statements)
                run(db, QString::fromUtf8(sql));
            version = step.version;
        }
        run(db, QStringLiteral("UPDATE class_schema SET version = %1").arg(version));
        run(db, grants());
        if (!db.commit()) throw Failed{db.lastError().text()};
        return version;
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace

namespace ClassSchema {

int version()
{
    return steps().back().version;
}

const std::vector<ClassTable> &tables()
{
    static const std::vector<ClassTable> all = {
        {"problems",
         "id",
         {{"player", "integer"},
          {"player_name", "text"},
          {"operation", "integer"},
          {"operand1", "integer"},
          {"operand2", "integer"},
          {"type", "text"},
          {"step_mode", "integer"},
          {"posed_at", "text"},
          {"finished_at", "text"},
          {"wrong", "integer"},
          {"hints", "integer"},
          {"coins", "integer"},
          {"review", "integer"}}},
        {"answers",
         "problem",
         {{"problem", "bigint"},
          {"step", "integer"},
          {"value", "integer"},
          {"correct", "integer"},
          {"hint_shown", "integer"},
          {"ms", "bigint"},
          {"at", "text"},
          {"mistake", "text"},
          {"worked", "integer"},
          {"coins", "integer"}}},
    };
    return all;
}

State prepare(QSqlDatabase &db)
{
    State s;
    try {
        const bool owner =
            value(db, QStringLiteral("SELECT has_schema_privilege(current_schema(), 'CREATE')"))
                .toBool();
        if (owner) {
            s.found = migrate(db);
        } else if (!value(db, QStringLiteral("SELECT to_regclass('class_schema')")).isNull()) {
            s.found = value(db, QStringLiteral("SELECT max(version) FROM class_schema")).toInt();
        }
        s.ready = s.found >= version();
        if (s.ready) {
            s.canRead = true;
            for (const ClassTable &t : tables())
                s.canRead = s.canRead &&
                            value(db, QStringLiteral("SELECT has_table_privilege('%1', 'SELECT')")
                                          .arg(QLatin1String(t.name)))
                                .toBool();
        }
    } catch (const Failed &f) {
        s.ready = false;
        s.canRead = false;
        s.error = f.why;
    }
    return s;
}

} // namespace ClassSchema
