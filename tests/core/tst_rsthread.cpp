#include "engine/RsThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

// Calls the main thread again and again until it is asked to stop.
class SyncLoopWorker final : public TRsThread
{
public:
    explicit SyncLoopWorker(std::atomic<int>* counter)
        : m_counter(counter)
    {
        start();
    }
    ~SyncLoopWorker() override { StopThread(); }
    Qt::HANDLE mainThreadSeen = nullptr;

protected:
    void Execute() override
    {
        while (!Terminated())
            Synchronize([this] {
                mainThreadSeen = QThread::currentThreadId();
                m_counter->fetch_add(1);
            });
    }

private:
    std::atomic<int>* m_counter;
};

// Queues lines (every third for the run log too), then ends with its done step.
class LineWorker final : public TRsThread
{
public:
    LineWorker(int count, QStringList* logList, bool* doneFlag)
        : m_count(count)
        , m_doneFlag(doneFlag)
    {
        SetLogList(logList);
        start();
    }
    ~LineWorker() override { StopThread(); }

protected:
    void Execute() override
    {
        for (int i = 0; i < m_count; ++i) {
            AddLogLine(QString::number(i), i % 3 == 0);
            if (FlushDue())
                FlushLogLines();
        }
        FlushLogLines();
        SignalDone([this] { *m_doneFlag = true; });
    }

private:
    int m_count;
    bool* m_doneFlag;
};

class QuickWorker final : public TRsThread
{
public:
    QuickWorker() { start(); }
    ~QuickWorker() override { StopThread(); }

protected:
    void Execute() override {}
};

} // namespace

class TestRsThread : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stopWhileWorkerWaitsForMainThread();
    void terminationEventRunsOnMainThreadAfterBody();
    void stopAndFreeFinishedThreadSkipsTerminationEvent();
    void linesKeepOrderAndReachLogListAndDoneComesLast();
    void processMessagesReturnsWhenQueueIsEmpty();
    void processMessagesStopsOnBreak();
    void waitLoopWakesOnSignal();
};

void TestRsThread::stopWhileWorkerWaitsForMainThread()
{
    std::atomic<int> counter{0};
    auto* worker = new SyncLoopWorker(&counter);
    // Let it make some calls, served by the event loop.
    QTRY_VERIFY_WITH_TIMEOUT(counter.load() > 10, 5000);
    QCOMPARE(worker->mainThreadSeen, QThread::currentThreadId());
    // The worker is almost always blocked in Synchronize now: a plain wait() would deadlock.
    QElapsedTimer timer;
    timer.start();
    TRsThread* base = worker;
    StopAndFreeThread(worker);
    QVERIFY(worker == nullptr);
    Q_UNUSED(base);
    QVERIFY2(timer.elapsed() < 5000, "StopAndFreeThread must serve the worker's calls while it waits");
}

void TestRsThread::terminationEventRunsOnMainThreadAfterBody()
{
    auto* worker = new QuickWorker;
    Qt::HANDLE seenOn = nullptr;
    bool finishedWhenRun = false;
    worker->OnTerminate = [&] {
        seenOn = QThread::currentThreadId();
        finishedWhenRun = worker->Finished();
    };
    QTRY_VERIFY_WITH_TIMEOUT(seenOn != nullptr, 5000);
    QCOMPARE(seenOn, QThread::currentThreadId());
    QVERIFY(finishedWhenRun);
    StopAndFreeThread(worker);
}

void TestRsThread::stopAndFreeFinishedThreadSkipsTerminationEvent()
{
    auto* worker = new QuickWorker;
    bool ran = false;
    worker->OnTerminate = [&ran] { ran = true; };
    // Wait for the body without serving events, so the termination event is still queued.
    while (!worker->Finished())
        QThread::msleep(1);
    StopAndFreeThread(worker);
    QCoreApplication::processEvents();
    QVERIFY(!ran);
}

void TestRsThread::linesKeepOrderAndReachLogListAndDoneComesLast()
{
    QStringList logList;
    QStringList pane;
    bool done = false;
    bool linesAfterDone = false;
    auto* worker = new LineWorker(5000, &logList, &done);
    int batches = 0;
    connect(worker, &TRsThread::linesAdded, this, [&](const QStringList& lines) {
        pane += lines;
        ++batches;
        if (done)
            linesAfterDone = true;
    });
    bool doneSignal = false;
    connect(worker, &TRsThread::done, this, [&] { doneSignal = done; });
    TRsWaitLoop wait([&] { return doneSignal; });
    wait.WakeOn(worker, &TRsThread::done);
    wait.Exec();
    QVERIFY(!linesAfterDone);
    QCOMPARE(pane.size(), 5000);
    for (int i = 0; i < 5000; ++i)
        QCOMPARE(pane.at(i), QString::number(i));
    QCOMPARE(logList.size(), 1667);
    QCOMPARE(logList.at(1), u"3"_s);
    QVERIFY2(batches < 100, "lines must be handed over in batches");
    StopAndFreeThread(worker);
}

void TestRsThread::processMessagesReturnsWhenQueueIsEmpty()
{
    int handled = 0;
    for (int i = 0; i < 5; ++i)
        QMetaObject::invokeMethod(this, [&handled] { ++handled; }, Qt::QueuedConnection);
    ProcessMessagesUntilBreak(TBreakFunction());
    QCOMPARE(handled, 5);
    // An empty queue returns at once instead of waiting for events.
    QElapsedTimer timer;
    timer.start();
    ProcessMessagesUntilBreak(TBreakFunction());
    QVERIFY(timer.elapsed() < 1000);
}

void TestRsThread::processMessagesStopsOnBreak()
{
    int handled = 0;
    // Each event is posted from the previous one, so the queue never empties by itself.
    std::function<void()> chain = [&] {
        ++handled;
        if (handled < 1000)
            QMetaObject::invokeMethod(this, chain, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(this, chain, Qt::QueuedConnection);
    ProcessMessagesUntilBreak([&handled] { return handled >= 3; });
    QVERIFY(handled >= 3);
    QVERIFY(handled < 1000);
    QTRY_COMPARE(handled, 1000);
}

void TestRsThread::waitLoopWakesOnSignal()
{
    bool flag = false;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [&flag] { flag = true; });
    TRsWaitLoop wait([&flag] { return flag; });
    wait.WakeOn(&timer, &QTimer::timeout);
    timer.start(20);
    QElapsedTimer elapsed;
    elapsed.start();
    wait.Exec();
    QVERIFY(flag);
    QVERIFY2(elapsed.elapsed() < 150, "the wait must end on the signal, not on its safety-net timer");
}

QTEST_GUILESS_MAIN(TestRsThread)
#include "tst_rsthread.moc"
