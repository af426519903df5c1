#include "progress/ClassLink.h"

#include "platform/Clock.h"
#include "platform/Errors.h"
#include "platform/TextFiles.h"

#include <QDateTime>
#include <QDir>
#include <QTimer>
#include <random>

// The seat's time as the sending thread may read it: the machine's clock, moved by how far
// the game's clock stood from it when the game's thread last looked.
class ClassLink::SeatClock : public Clock
{
public:
    uint32_t tickCount() override { return 0; }
    int64_t utcMilliseconds() override
    {
        return QDateTime::currentMSecsSinceEpoch() + m_offsetMs.load();
    }
    void follow(Clock &game)
    {
        m_offsetMs = game.utcMilliseconds() - QDateTime::currentMSecsSinceEpoch();
    }

private:
    std::atomic<int64_t> m_offsetMs{0};
};

class ClassLink::Worker : public QObject
{
public:
    Worker(ClassLink &link, ClassSettings settings, QString journalPath, Clock &clock,
           const ClassTiming &timing)
        : m_link(link), m_settings(std::move(settings)), m_journalPath(std::move(journalPath)),
          m_clock(clock), m_timing(timing),
          m_random(static_cast<unsigned>(qHash(m_settings.target())))
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &Worker::round);
    }

    void begin()
    {
        // Made here, so its connections belong to this thread.
        m_sender =
            std::make_unique<ClassSender>(m_settings, m_journalPath, m_clock, m_timing.batchRows);
        m_timer.start(0);
    }

    void wake()
    {
        // While the server is away, new rows wait for the next try like the old ones.
        if (m_failures == 0 && m_sender) m_timer.start(0);
    }

private:
    void round()
    {
        QThread *thread = QThread::currentThread();
        const ClassRound r =
            m_sender->sendPending([thread] { return thread->isInterruptionRequested(); });
        int delay = m_timing.pollMs;
        if (r.outcome == ClassRound::Sent) {
            m_failures = 0;
        } else if (r.outcome == ClassRound::Broken && m_failures == 0) {
            // A server restarted under a kept connection is most likely back already.
            m_failures = 1;
            delay = 0;
        } else {
            delay = retryDelay(m_failures++, r.outcome == ClassRound::Refused
                                                 ? m_timing.longestRefusedMs
                                                 : m_timing.longestRetryMs);
        }
        m_link.m_canRead = m_sender->canReadClass();
        m_link.roundFinished(r);
        if (!thread->isInterruptionRequested()) m_timer.start(delay);
    }

    int retryDelay(int failures, int longest)
    {
        int64_t ms = m_timing.firstRetryMs;
        for (int i = 0; i < failures && ms < longest; ++i)
            ms *= 2;
        ms = std::min<int64_t>(ms, longest);
        std::uniform_int_distribution<int64_t> spread(ms * 3 / 4, ms * 5 / 4);
        return static_cast<int>(spread(m_random));
    }

    ClassLink &m_link;
    ClassSettings m_settings;
    QString m_journalPath;
    Clock &m_clock;
    ClassTiming m_timing;
    std::minstd_rand m_random;
    QTimer m_timer{this};
    std::unique_ptr<ClassSender> m_sender;
    int m_failures = 0;
};

std::unique_ptr<ClassLink> ClassLink::start(const QString &setFolder, Reporter &reporter,
                                            Clock &clock, const ClassTiming &timing)
{
    const QString path = ClassSettings::fileIn(setFolder);
    if (path.isEmpty()) return nullptr;
    if (ClassSettings::readableByOthers(path))
        reporter.showError(tr("全班的设置文件 %1 别的用户也能打开，里面的密码会被看到。\n"
                              "请老师把它改成只有自己能读：chmod 600 %1")
                               .arg(QDir::toNativeSeparators(path)));
    QString why;
    std::optional<ClassSettings> settings = ClassSettings::read(path, &why);
    if (!settings) {
        reporter.showError(why + tr("\n这次的做题记录只留在这台电脑上。"));
        return nullptr;
    }
    const QString journal = resolvePath(QDir(setFolder).filePath(QStringLiteral("Progress.db")));
    return std::make_unique<ClassLink>(std::move(*settings), journal, reporter, clock, timing);
}

ClassLink::ClassLink(ClassSettings settings, const QString &journalPath, Reporter &reporter,
                     Clock &clock, const ClassTiming &timing)
    : m_settings(std::move(settings)), m_reporter(reporter), m_gameClock(clock),
      m_seatClock(std::make_unique<SeatClock>()),
      m_worker(new Worker(*this, m_settings, journalPath, *m_seatClock, timing))
{
    m_seatClock->follow(m_gameClock);
    m_thread.setObjectName(QStringLiteral("class journal"));
    m_worker->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->begin(); }, Qt::QueuedConnection);
}

ClassLink::~ClassLink()
{
    m_thread.requestInterruption();
    // Deleted on its own thread, after the round in flight: its connections live there.
    QMetaObject::invokeMethod(
        m_worker,
        [w = m_worker] {
            delete w;
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
}

void ClassLink::wake()
{
    m_seatClock->follow(m_gameClock);
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->wake(); }, Qt::QueuedConnection);
}

ClassLink::Status ClassLink::status() const
{
    QMutexLocker lock(&m_mutex);
    return m_status;
}

void ClassLink::roundFinished(const ClassRound &round)
{
    {
        QMutexLocker lock(&m_mutex);
        m_status.outcome = round.outcome;
        m_status.rowsSent += round.rowsSent;
        ++m_status.rounds;
        m_status.error = round.error;
    }
    emit roundDone();
    if (round.outcome != ClassRound::Refused) return;
    // The box belongs to the window's thread; the link may be gone by the time it gets there.
    const QString why = round.error;
    QMetaObject::invokeMethod(
        this,
        [this, why] {
            if (m_told) return;
            m_told = true;
            m_reporter.showError(tr("全班的服务器没有让这台电脑送做题记录：\n%1\n"
                                    "请老师检查 Class.ini 里的用户名和密码。\n"
                                    "做题记录先留在这台电脑上，改好以后会自动补送。")
                                     .arg(why));
        },
        Qt::QueuedConnection);
}
