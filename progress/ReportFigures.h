#pragma once

#include "progress/Fluency.h"
#include "progress/SkillFigures.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class Journal;
struct ProblemRow;

// The figures of the parents' report, computed from the journal's rows without a window.

enum class ReportPeriod { Last7Days, Last30Days, Everything };

// How often a fact was right: never tried, mostly wrong (under half), mixed, mostly right
// (four in five or more).
enum class Mastery { NeverTried, MostlyWrong, Mixed, MostlyRight };

struct FactCell
{
    QString Text;
    int Tries = 0;
    int Right = 0;
    Mastery State = Mastery::NeverTried;
    // The fact the cell stands for, and how readily it comes when the report judges that.
    int32_t Operation = 0;
    int32_t A = 0;
    int32_t B = 0;
    std::optional<Fluency> Speed;
};

struct MissedFact
{
    int32_t Operation = 0;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    QString Text;
    int Wrong = 0;
};

struct OperationFigures
{
    int Solved = 0;
    // Problems with a verdict (finished, or missed somewhere), and those finished without a
    // mistake: the share that counts, as a problem of three steps is one problem.
    int Tried = 0;
    int FirstTry = 0;
    // Every step's answer counts here: a second, labelled figure.
    int Answers = 0;
    int RightAnswers = 0;
    // Median of the child's own time on a solved problem (its steps' answer times); -1
    // without any.
    int64_t MedianMs = -1;
};

// What one bar of the charts stands for.
enum class BucketUnit { Day, Week, Month };

// A stretch of the period on the charts: one day, or a week or month for long periods.
struct ReportBucket
{
    QDate First;
    QDate Last;
    QString Label;
    int Solved = 0;
    std::array<int64_t, 4> MedianMs{-1, -1, -1, -1};
};

struct ReportFigures
{
    int Solved = 0;
    int Tried = 0;
    int FirstTry = 0;
    int Answers = 0;
    int RightAnswers = 0;
    int HintProblems = 0;
    // Silver coins paid for solved problems, and taken for wrong answers.
    int64_t Coins = 0;
    int64_t Taken = 0;
    int64_t NetCoins() const { return Coins - Taken; }
    std::array<OperationFigures, 4> Operations;
    BucketUnit Unit = BucketUnit::Day;
    std::vector<ReportBucket> Buckets;
    // At most ten, most wrong answers first.
    std::vector<MissedFact> Missed;
    // Row-major grids: 9 x 9 for a×b (a, b from 1), 10 x 10 for a+b (a, b from 0), and
    // 10 x 10 for (s+d)−s with row s and column d, the take-away of each addition fact.
    std::vector<FactCell> TimesTable;
    std::vector<FactCell> Addition;
    std::vector<FactCell> Subtraction;
    // Levels, what to practise next, and the facts' fluency, from the skill model.
    SkillFigures Skills;

    // Nothing was answered in the period.
    bool Empty() const { return Answers == 0; }
};

// The steps of a value axis from 0 up to at least top: 1, 2 or 5 times a power of ten, at
// most six of them.
struct AxisScale
{
    double Step = 1;
    double Max = 1;
    int Ticks() const { return static_cast<int>(Max / Step + 0.5) + 1; }
};
AxisScale RoundAxis(double top);

// Silver coins as the game shows them, 100 silver to a gold: "1个金币23个银币".
QString CoinText(int64_t silver);

// "7×8", "13−6", "56÷7", "38+45".
QString FactText(int32_t operation, int32_t a, int32_t b);
// Chinese name of an operation code.
QString OperationName(int32_t operation);
Mastery MasteryOf(int tries, int right);

// The start of the period in local days, as a UTC time; null for everything.
QDateTime PeriodStart(ReportPeriod period, const QDateTime &now);
ReportFigures ComputeFigures(const std::vector<ProblemRow> &rows, ReportPeriod period,
                             const QDateTime &now);
ReportFigures LoadFigures(const Journal &journal, int32_t player, ReportPeriod period,
                          const QDateTime &now);
// Puts the skill model's figures in, the fluency on the grids' cells.
void ApplySkills(ReportFigures &figures, const SkillFigures &skills);

// Rows as CSV in UTF-8 with a byte-order mark (so a spreadsheet reads the Chinese as such): a
// header line, CR LF line ends, fields quoted where needed. A text that a spreadsheet would
// run as a formula is written with a leading apostrophe.
QByteArray CsvText(const QStringList &header, const QList<QStringList> &rows);
// The journal's raw rows as a parent reads them: times in local time with their offset, and
// the operation's name in a column beside its code.
QByteArray ParentCsv(const QStringList &header, const QList<QStringList> &rows);
