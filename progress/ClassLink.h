#pragma once

#include "progress/ClassSender.h"
#include "progress/ClassSettings.h"

#include <QMutex>
#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

class Clock;
class Reporter;

// How often the link looks for new rows and how it waits for a server that is not there.
struct ClassTiming
{
    int pollMs = 1000;
    // The wait after the first failure, doubled after each further one up to longestRetryMs
    // (longestRefusedMs while the server refuses the seat), each drawn a quarter either way
    // so thirty seats do not all knock at once.
    int firstRetryMs = 1000;
    int longestRetryMs = 8000;
    int longestRefusedMs = 60000;
    int batchRows = 500;
};

// The game's end of the class journal: made with the game when Set/Class.ini exists, it
// sends on a thread of its own for as long as it lives. Recording never waits for it.
// Of everything that can go wrong it tells the child's screen one thing once: that the
// server refuses this seat, which only the teacher can put right. A server that is away, or
// has no tables until the teacher's machine first connects, is waited for quietly: seats are
// often switched on before the teacher's.
class ClassLink : public QObject
{
    Q_OBJECT

public:
    // The link for the Set folder's Class.ini, or null without one. A file that cannot be
    // used is reported once, and so is one that other users may read.
    static std::unique_ptr<ClassLink> start(const QString &setFolder, Reporter &reporter,
                                            Clock &clock, const ClassTiming &timing = {});

    // clock is the game's, read on the thread that makes the link and wakes it.
    ClassLink(ClassSettings settings, const QString &journalPath, Reporter &reporter, Clock &clock,
              const ClassTiming &timing = {});
    // Waits for the round in flight: a batch, or a connection attempt to a host that does
    // not answer (3 s); a network gone in the middle of a batch, 10 s at most.
    ~ClassLink() override;

    const ClassSettings &settings() const { return m_settings; }
    // Whether this user may read the whole class, so the teacher's view can be offered.
    bool canReadClass() const { return m_canRead; }

    struct Status
    {
        ClassRound::Outcome outcome = ClassRound::Sent;
        int64_t rowsSent = 0;
        int rounds = 0;
        QString error;
    };
    Status status() const;

public slots:
    // Something was recorded: send it soon, unless the link is waiting for the server.
    // Called on the game's thread.
    void wake();

signals:
    // After every round, on the link's own thread.
    void roundDone();

private:
    class Worker;
    class SeatClock;
    void roundFinished(const ClassRound &round);

    ClassSettings m_settings;
    Reporter &m_reporter;
    Clock &m_gameClock;
    std::unique_ptr<SeatClock> m_seatClock;
    QThread m_thread;
    Worker *m_worker;
    std::atomic<bool> m_canRead{false};
    bool m_told = false;
    mutable QMutex m_mutex;
    Status m_status;
};
