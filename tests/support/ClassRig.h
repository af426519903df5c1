#pragma once

#include "PgCluster.h"
#include "TestSupport.h"
#include "platform/Clock.h"
#include "progress/ClassSettings.h"
#include "progress/Journal.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <memory>

struct ClassTable;

// A seat's wall clock, as far off the true time as it is told; safe from any thread.
class ShiftedClock : public Clock
{
public:
    uint32_t tickCount() override { return 0; }
    int64_t utcMilliseconds() override { return QDateTime::currentMSecsSinceEpoch() + offsetMs; }
    int64_t offsetMs = 0;
};

// A private server set up the way the README tells a school to: the README's SQL run as the
// superuser makes the teacher, the seat group, a seat user and the class's database.
class ClassServer
{
public:
    static constexpr const char *database = "class3b";
    static constexpr const char *teacherPassword = "teacher-pw";
    // Quotes, a comma, a semicolon and a space: all must pass Class.ini and libpq unchanged.
    static constexpr const char *seatPassword = "seat pw,7;3'51";

    // Empty when the server runs with the README's roles; otherwise why not.
    QString start();

    // Class.ini's values for a seat of className: logging in as the seat user, or as the
    // teacher when teacher is true.
    ClassSettings settings(const QString &className, const QString &seat,
                           bool teacher = false) const;
    // The server's rows of a table for a class and seat, ordered by local id: local_id and
    // the journal's columns, as text.
    QList<QVariantList> rows(const ClassTable &table, const QString &className,
                             const QString &seat) const;

    PgCluster cluster;
};

// One seat's Set/ folder with its journal, and a child playing in it.
class ClassSeat
{
public:
    explicit ClassSeat(const QDateTime &start = QDateTime::currentDateTimeUtc());

    QString setFolder() const;
    QString journalPath() const;
    void writeIni(const ClassSettings &s) const;

    // Plays problems: each posed, some answered wrong once, then answered right. With
    // finishLast false, the last is left with one wrong answer, still being played.
    void play(int problems, bool finishLast = true);
    // The journal's rows of a table, ordered by id: id and the server's columns, as text.
    QList<QVariantList> rows(const ClassTable &table) const;

    QTemporaryDir dir;
    CapturingReporter reporter;
    std::unique_ptr<Journal> journal;
    QDateTime now;

private:
    int m_played = 0;
};
