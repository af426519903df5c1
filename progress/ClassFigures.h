#pragma once

#include "progress/ClassSettings.h"
#include "progress/Journal.h"
#include "progress/ReportFigures.h"

#include <QObject>
#include <QString>
#include <vector>

// The teacher's view "全班": the figures of every child of a class, from the class server,
// computed without a window.

// A problem as the server holds it, its times put right by its seat's clock error.
struct ClassProblem
{
    QString seat;
    ProblemRow row;
};

// One child: a player at a seat.
struct ClassChild
{
    QString seat;
    int32_t player = 0;
    // The name the player had last.
    QString name;
    int problems = 0;
    // Answered at least once, and of those finished without a wrong answer.
    int tried = 0;
    int firstTry = 0;
    int solved = 0;
    // Median time from posing to finishing, over the solved problems; -1 without any.
    int64_t medianMs = -1;
    // The child's own report: grids, operations, missed facts.
    ReportFigures figures;
};

struct ClassFigures
{
    // By seat, then player.
    std::vector<ClassChild> children;
    // The facts the whole class misses most, at most ten.
    std::vector<MissedFact> missed;
    int seats = 0;

    bool empty() const { return children.empty(); }
};

ClassFigures computeClassFigures(const std::vector<ClassProblem> &problems, ReportPeriod period,
                                 const QDateTime &now);

// Blocking reads of the class's rows posed at or after since (all when null); empty with the
// reason in error when the server cannot be read. Run them off the window's thread.
std::vector<ClassProblem> loadClassProblems(const ClassSettings &settings, const QDateTime &since,
                                            QString *error);
// One row per answer as Journal::rawRows, with the seat in front.
QStringList classRawHeader();
QList<QStringList> loadClassRawRows(const ClassSettings &settings, const QDateTime &since,
                                    QString *error);

// Reads the server on a thread of its own and hands the result over on the owner's thread,
// so the game goes on while the server answers, or does not.
class ClassFiguresLoader : public QObject
{
    Q_OBJECT

public:
    explicit ClassFiguresLoader(ClassSettings settings, QObject *parent = nullptr);

    void loadFigures(ReportPeriod period, const QDateTime &now);
    void loadRawRows(ReportPeriod period, const QDateTime &now);

signals:
    void figuresLoaded(const ClassFigures &figures);
    void rawRowsLoaded(const QList<QStringList> &rows);
    void failed(const QString &why);

private:
    ClassSettings m_settings;
};
