#include "progress/ReportFigures.h"

#include <QCoreApplication>

#include "progress/Journal.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace {

int64_t median(std::vector<int64_t> values)
{
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QDate localDate(const QDateTime &t)
{
    return t.toLocalTime().date();
}

enum class Unit { Day, Week, Month };

std::vector<ReportBucket> makeBuckets(QDate first, QDate today)
{
    std::vector<ReportBucket> buckets;
    if (first > today) first = today;
    const qint64 span = first.daysTo(today) + 1;
    // About a month of bars at most, so the labels stay readable.
    const Unit unit = span <= 31 ? Unit::Day : span <= 31 * 7 ? Unit::Week : Unit::Month;
    QDate d = first;
    if (unit == Unit::Week) d = d.addDays(1 - d.dayOfWeek());
    if (unit == Unit::Month) d = QDate(d.year(), d.month(), 1);
    while (d <= today) {
        ReportBucket b;
        b.First = d;
        switch (unit) {
        case Unit::Day:
            b.Last = d;
            b.Label = d.toString(QStringLiteral("MM-dd"));
            break;
        case Unit::Week:
            b.Last = d.addDays(6);
            b.Label = QCoreApplication::translate("ReportFigures", "%1起").arg(d.toString(QStringLiteral("MM-dd")));
            break;
        case Unit::Month:
            b.Last = d.addMonths(1).addDays(-1);
            b.Label = d.toString(QStringLiteral("yyyy-MM"));
            break;
        }
        buckets.push_back(b);
        d = b.Last.addDays(1);
    }
    return buckets;
}

ReportBucket *bucketOf(std::vector<ReportBucket> &buckets, QDate d)
{
    auto it = std::upper_bound(buckets.begin(), buckets.end(), d,
                               [](QDate x, const ReportBucket &b) { return x < b.First; });
    if (it == buckets.begin()) return nullptr;
    --it;
    return d <= it->Last ? &*it : nullptr;
}

// A problem counts for its fact once it was finished or went wrong somewhere; it was right
// when it was finished without a wrong answer.
bool tried(const ProblemRow &r)
{
    return r.Answers > 0 && (r.FinishedAt.isValid() || r.Wrong > 0);
}

bool cleanlySolved(const ProblemRow &r)
{
    return r.FinishedAt.isValid() && r.Wrong == 0;
}

std::vector<FactCell> grid(int rows, int columns, int32_t operation, int first,
                           const std::map<std::tuple<int, int, int>, std::pair<int, int>> &facts)
{
    std::vector<FactCell> cells;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            int32_t a = r + first, b = c + first;
            // The take-away grid: row s, column d holds (s + d) − s.
            if (operation == 1) {
                a = r + c;
                b = r;
            }
            FactCell cell;
            cell.Text = FactText(operation, a, b);
            auto it = facts.find({operation, a, b});
            if (it != facts.end()) {
                cell.Tries = it->second.first;
                cell.Right = it->second.second;
            }
            cell.State = MasteryOf(cell.Tries, cell.Right);
            cells.push_back(cell);
        }
    }
    return cells;
}

bool looksLikeNumber(const QString &field)
{
    bool ok = false;
    field.toDouble(&ok);
    return ok;
}

QString csvField(QString field)
{
    if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()) &&
        !looksLikeNumber(field))
        field.prepend(QLatin1Char('\''));
    const bool quote = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                       field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r')) ||
                       field != field.trimmed();
    if (!quote) return field;
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

} // namespace

QString FactText(int32_t operation, int32_t a, int32_t b)
{
    static const QChar signs[4] = {QLatin1Char('+'), QChar(0x2212), QChar(0x00D7), QChar(0x00F7)};
    const QChar sign = operation >= 0 && operation < 4 ? signs[operation] : QLatin1Char('?');
    return QString::number(a) + sign + QString::number(b);
}

QString OperationName(int32_t operation)
{
    switch (operation) {
    case 0:
        return QCoreApplication::translate("ReportFigures", "加法");
    case 1:
        return QCoreApplication::translate("ReportFigures", "减法");
    case 2:
        return QCoreApplication::translate("ReportFigures", "乘法");
    case 3:
        return QCoreApplication::translate("ReportFigures", "除法");
    }
    return QString();
}

Mastery MasteryOf(int tries, int right)
{
    if (tries <= 0) return Mastery::NeverTried;
    if (2 * right < tries) return Mastery::MostlyWrong;
    if (5 * right >= 4 * tries) return Mastery::MostlyRight;
    return Mastery::Mixed;
}

QDateTime PeriodStart(ReportPeriod period, const QDateTime &now)
{
    if (period == ReportPeriod::Everything) return {};
    const QDate today = localDate(now);
    const QDate first = today.addDays(period == ReportPeriod::Last7Days ? -6 : -29);
    return QDateTime(first, QTime(0, 0), Qt::LocalTime).toUTC();
}

ReportFigures ComputeFigures(const std::vector<ProblemRow> &rows, ReportPeriod period,
                             const QDateTime &now)
{
    ReportFigures f;
    const QDate today = localDate(now);
    QDate first = today;
    if (period != ReportPeriod::Everything) {
        first = localDate(PeriodStart(period, now));
    } else {
        for (const ProblemRow &r : rows) {
            if (r.PosedAt.isValid()) first = std::min(first, localDate(r.PosedAt));
        }
    }
    f.Buckets = makeBuckets(first, today);

    std::array<std::vector<int64_t>, 4> durations;
    std::vector<std::array<std::vector<int64_t>, 4>> bucketDurations(f.Buckets.size());
    std::map<std::tuple<int, int, int>, int> wrong;
    std::map<std::tuple<int, int, int>, std::pair<int, int>> facts;
    for (const ProblemRow &r : rows) {
        if (r.Operation < 0 || r.Operation > 3) continue;
        OperationFigures &op = f.Operations[r.Operation];
        op.Answers += r.Answers;
        op.RightAnswers += r.RightAnswers;
        f.Answers += r.Answers;
        f.RightAnswers += r.RightAnswers;
        if (r.Hints > 0) ++f.HintProblems;
        const auto key = std::make_tuple(int(r.Operation), int(r.Operand1), int(r.Operand2));
        if (r.Wrong > 0) wrong[key] += r.Wrong;
        if (tried(r)) {
            auto &fact = facts[key];
            ++fact.first;
            if (cleanlySolved(r)) ++fact.second;
        }
        if (!r.FinishedAt.isValid()) continue;
        ++f.Solved;
        ++op.Solved;
        f.Coins += r.Coins;
        const int64_t ms = std::max<int64_t>(0, r.PosedAt.msecsTo(r.FinishedAt));
        durations[r.Operation].push_back(ms);
        if (ReportBucket *b = bucketOf(f.Buckets, localDate(r.FinishedAt))) {
            ++b->Solved;
            bucketDurations[b - f.Buckets.data()][r.Operation].push_back(ms);
        }
    }
    for (int op = 0; op < 4; ++op) {
        f.Operations[op].MedianMs = median(durations[op]);
        for (size_t i = 0; i < f.Buckets.size(); ++i)
            f.Buckets[i].MedianMs[op] = median(bucketDurations[i][op]);
    }

    for (const auto &[key, count] : wrong) {
        const auto [op, a, b] = key;
        f.Missed.push_back({op, a, b, FactText(op, a, b), count});
    }
    // Most wrong answers first; the map's order breaks ties.
    std::stable_sort(f.Missed.begin(), f.Missed.end(),
                     [](const MissedFact &x, const MissedFact &y) { return x.Wrong > y.Wrong; });
    if (f.Missed.size() > 10) f.Missed.resize(10);

    f.TimesTable = grid(9, 9, 2, 1, facts);
    f.Addition = grid(10, 10, 0, 0, facts);
    f.Subtraction = grid(10, 10, 1, 0, facts);
    return f;
}

ReportFigures LoadFigures(const Journal &journal, int32_t player, ReportPeriod period,
                          const QDateTime &now)
{
    return ComputeFigures(journal.problems(player, PeriodStart(period, now)), period, now);
}

QByteArray CsvText(const QStringList &header, const QList<QStringList> &rows)
{
    QString text;
    auto line = [&](const QStringList &fields) {
        QStringList out;
        for (const QString &f : fields)
            out << csvField(f);
        text += out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    line(header);
    for (const QStringList &row : rows)
        line(row);
    return text.toUtf8();
}
