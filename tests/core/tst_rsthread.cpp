#include "engine/RsThread.h"

#include "app/LangExtra.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// Calls the main thread again and again until it is asked to stop.
class SyncLoopWorker final : public TRsThread
{
public:
    explicit SyncLoopWorker(std::atomic<int>* counter)
        : m_counter(counter)
    {
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

// Queues lines (every third for the run log too), handing them over when due; the last ones are
// left for the end of the body.
class LineWorker final : public TRsThread
{
public:
    LineWorker(int count, TRsLogList* logList)
        : m_count(count)
    {
        SetLogList(logList);
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
    }

private:
    int m_count;
};

class QuickWorker final : public TRsThread
{
public:
    ~QuickWorker() override { StopThread(); }

protected:
    void Execute() override {}
};

// Writes a line for its first item, then fails in a way no step of its own traps.
class FailingWorker final : public TRsThread
{
public:
    FailingWorker(bool foreign, TRsLogList* logList)
        : m_foreign(foreign)
    {
        SetLogList(logList);
    }
    ~FailingWorker() override { StopThread(); }

protected:
    void Execute() override
    {
        AddLogLine(u"item 1"_s, true);
        if (m_foreign)
            throw 42;
        throw std::runtime_error("out of memory");
    }

private:
    bool m_foreign;
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
    void escapedErrorBecomesFailedItemLine_data();
    void escapedErrorBecomesFailedItemLine();
    void stopRunsNoOtherEvents();
    void processMessagesReturnsWhenQueueIsEmpty();
    void processMessagesStopsOnBreak();
};

void TestRsThread::stopWhileWorkerWaitsForMainThread()
{
    std::atomic<int> counter{0};
    auto* worker = new SyncLoopWorker(&counter);
    worker->start();
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
    worker->start();
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
    worker->start();
    // Wait for the body without serving events, so the termination event is still queued.
    while (!worker->Finished())
        QThread::msleep(1);
    StopAndFreeThread(worker);
    QCoreApplication::processEvents();
    QVERIFY(!ran);
}

void TestRsThread::linesKeepOrderAndReachLogListAndDoneComesLast()
{
    TRsLogList logList;
    QStringList pane;
    bool done = false;
    bool linesAfterDone = false;
    auto* worker = new LineWorker(5000, &logList);
    int batches = 0;
    connect(worker, &TRsThread::linesAdded, this, [&](const QStringList& lines) {
        pane += lines;
        ++batches;
        if (done)
            linesAfterDone = true;
    });
    connect(worker, &TRsThread::done, this, [&] { done = true; });
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
    QVERIFY(!linesAfterDone);
    QCOMPARE(pane.size(), 5000);
    for (int i = 0; i < 5000; ++i)
        QCOMPARE(pane.at(i), QString::number(i));
    QCOMPARE(logList.size(), 1667);
    QCOMPARE(logList.at(1), u"3"_s);
    QVERIFY2(batches < 100, "lines must be handed over in batches");
    StopAndFreeThread(worker);
}

void TestRsThread::escapedErrorBecomesFailedItemLine_data()
{
    QTest::addColumn<bool>("foreign");
    QTest::addColumn<QString>("reason");
    QTest::newRow("standard exception") << false << u"out of memory"_s;
    QTest::newRow("anything else") << true << u"?"_s;
}

// An error that leaves the body must not end the worker like a success: it is a failed item with
// its own line, and done() still comes.
void TestRsThread::escapedErrorBecomesFailedItemLine()
{
    QFETCH(bool, foreign);
    QFETCH(QString, reason);
    TRsLogList logList;
    QStringList pane;
    auto* worker = new FailingWorker(foreign, &logList);
    connect(worker, &TRsThread::linesAdded, this, [&pane](const QStringList& lines) { pane += lines; });
    QSignalSpy done(worker, &TRsThread::done);
    worker->start();
    QTRY_COMPARE(done.count(), 1);
    const QStringList expected{u"item 1"_s, LogErrorInternal + u' ' + reason};
    QCOMPARE(pane, expected);
    QCOMPARE(logList.toStringList(), expected);
    QCOMPARE(worker->ErrorLineCount(), 1);
    StopAndFreeThread(worker);
}

// Stopping a worker serves its calls and nothing else: a command or timer queued meanwhile runs
// only after the stop, never in the middle of it.
void TestRsThread::stopRunsNoOtherEvents()
{
    std::atomic<int> counter{0};
    auto* worker = new SyncLoopWorker(&counter);
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(counter.load() > 3, 5000);
    bool other = false;
    QMetaObject::invokeMethod(this, [&other] { other = true; }, Qt::QueuedConnection);
    StopAndFreeThread(worker);
    QVERIFY(!other);
    QCoreApplication::processEvents();
    QVERIFY(other);
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

QTEST_GUILESS_MAIN(TestRsThread)
#include "tst_rsthread.moc"
