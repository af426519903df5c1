#include "progress/ClassFigures.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <map>
#include <memory>

namespace {

// A time as the seat wrote it, moved by how far the seat's clock was off when it sent the
// row (the server's received_at against the seat's sent_at).
QString serverTime(const char *column)
{
    return QStringLiteral("(%1::timestamptz + (p.received_at - p.sent_at::timestamptz))")
        .arg(QLatin1String(column));
}

QString sinceText(const QDateTime &since)
{
    return since.isValid() ? Journal::isoTime(since) : QStringLiteral("-infinity");
}

// A connection of the calling thread for one read, gone when it ends.
class Reader
{
public:
    explicit Reader(const ClassSettings &s)
    {
        static std::atomic<int> serial{0};
        m_name = QStringLiteral("class-reader-%1").arg(++serial);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(s.host);
        db.setPort(s.port);
        db.setDatabaseName(s.database);
        db.setUserName(s.user);
        db.setPassword(s.password);
        db.setConnectOptions(s.connectOptions());
        if (!db.open()) m_error = db.lastError().text();
        if (s.password.size() >= 3) m_error.replace(s.password, QStringLiteral("***"));
    }
    ~Reader()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    // The query run, or null with the reason in error.
    std::unique_ptr<QSqlQuery> run(const QString &sql, const QVariantList &bind, QString *error)
    {
        if (m_error.isEmpty()) {
            auto q = std::make_unique<QSqlQuery>(QSqlDatabase::database(m_name, false));
            q->setForwardOnly(true);
            q->prepare(sql);
            for (const QVariant &v : bind)
                q->addBindValue(v);
            if (q->exec()) return q;
            m_error = q->lastError().text();
        }
        if (error) *error = m_error.trimmed();
        return nullptr;
    }

private:
    QString m_name;
    QString m_error;
};

// Rows of the class posed since then by the server's clock; received_at comes after that
// and narrows the search to the newer rows.
const char *const PeriodFilter = "p.class = ? AND p.received_at >= ?::timestamptz AND %1 >= "
                                 "?::timestamptz";

QDateTime fromMs(const QVariant &v)
{
    return v.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(v.toLongLong(), Qt::UTC);
}

int64_t median(std::vector<int64_t> values)
{
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs work on a thread of its own; done gets the result on context's thread, unless context
// is gone by then.
template <class Result>
void runAside(QObject *context, std::function<Result()> work, std::function<void(Result)> done)
{
    auto result = std::make_shared<Result>();
    QThread *thread = QThread::create([result, work] { *result = work(); });
    QObject::connect(thread, &QThread::finished, context,
                     [result, done] { done(std::move(*result)); });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::LowPriority);
}

} // namespace

ClassFigures computeClassFigures(const std::vector<ClassProblem> &problems, ReportPeriod period,
                                 const QDateTime &now)
{
    ClassFigures f;
    std::map<std::pair<QString, int32_t>, std::vector<ProblemRow>> byChild;
    std::vector<ProblemRow> all;
    for (const ClassProblem &p : problems) {
        byChild[{p.seat, p.row.Player}].push_back(p.row);
        all.push_back(p.row);
    }
    QString lastSeat;
    for (auto &[key, rows] : byChild) {
        std::stable_sort(rows.begin(), rows.end(), [](const ProblemRow &a, const ProblemRow &b) {
            return a.PosedAt < b.PosedAt;
        });
        ClassChild c;
        c.seat = key.first;
        c.player = key.second;
        c.name = rows.back().PlayerName;
        c.problems = static_cast<int>(rows.size());
        std::vector<int64_t> times;
        for (const ProblemRow &r : rows) {
            if (r.Answers > 0) ++c.tried;
            if (r.FinishedAt.isValid() && r.Wrong == 0) ++c.firstTry;
            if (r.FinishedAt.isValid())
                times.push_back(std::max<int64_t>(0, r.PosedAt.msecsTo(r.FinishedAt)));
        }
        c.solved = static_cast<int>(times.size());
        c.medianMs = median(std::move(times));
        c.figures = ComputeFigures(rows, period, now);
        if (c.seat != lastSeat) ++f.seats;
        lastSeat = c.seat;
        f.children.push_back(std::move(c));
    }
    f.missed = ComputeFigures(all, period, now).Missed;
    return f;
}

std::vector<ClassProblem> loadClassProblems(const ClassSettings &settings, const QDateTime &since,
                                            QString *error)
{
    std::vector<ClassProblem> out;
    Reader reader(settings);
    const QString posed = serverTime("p.posed_at");
    auto q = reader.run(
        QStringLiteral(
            "SELECT p.seat, p.local_id, p.player, p.player_name, p.operation, p.operand1, "
            "p.operand2, p.type, p.step_mode, (extract(epoch FROM %1) * 1000)::bigint, "
            "(extract(epoch FROM %2) * 1000)::bigint, p.wrong, p.hints, p.coins, "
            "count(a.local_id), count(a.local_id) FILTER (WHERE a.correct = 1) "
            "FROM problems p LEFT JOIN answers a ON a.class = p.class AND a.seat = p.seat AND "
            "a.journal = p.journal AND a.problem = p.local_id WHERE %3 "
            "GROUP BY p.class, p.seat, p.journal, p.local_id ORDER BY p.seat, %1")
            .arg(posed, serverTime("p.finished_at"), QString::fromLatin1(PeriodFilter).arg(posed)),
        {settings.className, sinceText(since), sinceText(since)}, error);
    if (!q) return out;
    while (q->next()) {
        ClassProblem p;
        p.seat = q->value(0).toString();
        ProblemRow &r = p.row;
        r.Id = q->value(1).toLongLong();
        r.Player = q->value(2).toInt();
        r.PlayerName = q->value(3).toString();
        r.Operation = q->value(4).toInt();
        r.Operand1 = q->value(5).toInt();
        r.Operand2 = q->value(6).toInt();
        r.Type = q->value(7).toString();
        r.StepMode = q->value(8).toInt() != 0;
        r.PosedAt = fromMs(q->value(9));
        r.FinishedAt = fromMs(q->value(10));
        r.Wrong = q->value(11).toInt();
        r.Hints = q->value(12).toInt();
        r.Coins = q->value(13).toInt();
        r.Answers = q->value(14).toInt();
        r.RightAnswers = q->value(15).toInt();
        out.push_back(std::move(p));
    }
    return out;
}

QStringList classRawHeader()
{
    return QStringList{QStringLiteral("seat")} + Journal::rawHeader();
}

QList<QStringList> loadClassRawRows(const ClassSettings &settings, const QDateTime &since,
                                    QString *error)
{
    QList<QStringList> out;
    Reader reader(settings);
    const QString posed = serverTime("p.posed_at");
    auto iso = [](const QString &t) {
        return QStringLiteral("to_char(%1 AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')")
            .arg(t);
    };
    auto q = reader.run(
        QStringLiteral(
            "SELECT p.seat, p.local_id, p.player, p.player_name, p.operation, p.operand1, "
            "p.operand2, p.type, p.step_mode, %1, %2, p.wrong, p.hints, p.coins, a.local_id, "
            "a.step, a.value, a.correct, a.hint_shown, a.ms, %3 FROM problems p "
            "LEFT JOIN answers a ON a.class = p.class AND a.seat = p.seat AND "
            "a.journal = p.journal AND a.problem = p.local_id WHERE %4 "
            "ORDER BY p.seat, %5, p.local_id, a.local_id")
            .arg(iso(posed), iso(serverTime("p.finished_at")), iso(serverTime("a.at")),
                 QString::fromLatin1(PeriodFilter).arg(posed), posed),
        {settings.className, sinceText(since), sinceText(since)}, error);
    if (!q) return out;
    const int columns = static_cast<int>(classRawHeader().size());
    while (q->next()) {
        QStringList row;
        for (int i = 0; i < columns; ++i)
            row << (q->isNull(i) ? QString() : q->value(i).toString());
        out << row;
    }
    return out;
}

ClassFiguresLoader::ClassFiguresLoader(ClassSettings settings, QObject *parent)
    : QObject(parent), m_settings(std::move(settings))
{
}

void ClassFiguresLoader::loadFigures(ReportPeriod period, const QDateTime &now)
{
    struct Loaded
    {
        ClassFigures figures;
        QString error;
    };
    const ClassSettings settings = m_settings;
    runAside<Loaded>(
        this,
        [settings, period, now] {
            Loaded l;
            const auto problems = loadClassProblems(settings, PeriodStart(period, now), &l.error);
            if (l.error.isEmpty()) l.figures = computeClassFigures(problems, period, now);
            return l;
        },
        [this](Loaded l) {
            if (l.error.isEmpty())
                emit figuresLoaded(l.figures);
            else
                emit failed(l.error);
        });
}

void ClassFiguresLoader::loadRawRows(ReportPeriod period, const QDateTime &now)
{
    using Loaded = std::pair<QList<QStringList>, QString>;
    const ClassSettings settings = m_settings;
    runAside<Loaded>(
        this,
        [settings, period, now] {
            Loaded l;
            l.first = loadClassRawRows(settings, PeriodStart(period, now), &l.second);
            return l;
        },
        [this](Loaded l) {
            if (l.second.isEmpty())
                emit rawRowsLoaded(l.first);
            else
                emit failed(l.second);
        });
}
