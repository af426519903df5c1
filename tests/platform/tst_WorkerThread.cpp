#include "platform/WorkerThread.h"

#include <QtTest>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

class tst_WorkerThread : public QObject
{
    Q_OBJECT
private slots:
    void runsJobsInOrderOffTheCaller();
    void goingAwayWaitsForTheJobRunningAndDropsTheRest();
};

// One job after the other, on a thread that is not the caller's; a job that throws does not
// stop the ones after it.
void tst_WorkerThread::runsJobsInOrderOffTheCaller()
{
    WorkerThread worker;
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    for (int i = 0; i < 20; ++i) {
        if (i == 7) worker.post([] { throw std::runtime_error("broken drawing"); });
        worker.post([&, i] {
            order.push_back(i);
            threads.push_back(std::this_thread::get_id());
        });
    }
    worker.waitIdle();
    QCOMPARE(order.size(), size_t(20));
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(order[i], i);
        QVERIFY(threads[i] != std::this_thread::get_id());
    }
}

// The game closing while a drawing is read: the reading ends, nothing after it starts.
void tst_WorkerThread::goingAwayWaitsForTheJobRunningAndDropsTheRest()
{
    std::atomic<bool> release{false}, firstDone{false}, secondRan{false};
    auto worker = std::make_unique<WorkerThread>();
    std::atomic<bool> started{false};
    worker->post([&] {
        started = true;
        while (!release)
            std::this_thread::yield();
        firstDone = true;
    });
    worker->post([&] { secondRan = true; });
    while (!started)
        std::this_thread::yield();
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        release = true;
    });
    worker.reset();
    releaser.join();
    QVERIFY(firstDone);
    QVERIFY(!secondRan);
}

QTEST_GUILESS_MAIN(tst_WorkerThread)
#include "tst_WorkerThread.moc"
