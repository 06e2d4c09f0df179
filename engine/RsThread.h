#pragma once

#include "model/RsLogList.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

// The stop test handed to every scan, collection, execution and digest step: true means the run is
// to stop. It may be empty; callers test that before calling it.
using TBreakFunction = std::function<bool()>;

// True when the stop test is assigned and answers true.
bool IsBreakRequested(const TBreakFunction& breakFunction);

// Base of the engine's workers. The worker runs Execute() on its own thread; everything that touches
// the main thread's data goes through Synchronize(), which runs a call on the main thread while the
// worker waits. A worker is constructed, connected, then started (start()): nothing it reports can
// be missed. It says that it has finished in one way only, done().
class TRsThread : public QThread
{
    Q_OBJECT

public:
    explicit TRsThread(QObject* parent = nullptr);
    // Stops the worker (terminate request) and waits for it, serving its main-thread calls. Derived
    // classes call StopThread() in their own destructor, before their members go away.
    ~TRsThread() override;

    // The terminate request: the body tests it between items and ends early.
    void Terminate();
    bool Terminated() const;
    // True once the body has returned.
    bool Finished() const;
    // Error lines this worker has produced so far (an item that failed). Safe from any thread.
    int ErrorLineCount() const { return m_errorLines.load(); }
    // Waits for the end of the body while serving the worker's main-thread calls (no deadlock
    // against Synchronize), without running an event loop: nothing else happens meanwhile.
    void WaitFor();
    // Terminate request and WaitFor, when the body is still running.
    void StopThread();

    // Runs on the main thread after the body has returned, unless it was cleared before that.
    std::function<void()> OnTerminate;

Q_SIGNALS:
    // The worker has finished: emitted on the main thread once the body has returned (normally, on a
    // stop or through an error) and its last lines were handed over, right after OnTerminate.
    void done();
    // Lines for the log pane, in the order the worker produced them (on the main thread). Those of
    // them meant for the run log too were appended to the run log in the same step, just before.
    void linesAdded(const QStringList& lines);

protected:
    virtual void Execute() = 0;
    // Runs method on the main thread and waits for it. Called on the worker thread only.
    void Synchronize(const std::function<void()>& method);

    // ---- Log lines, handed to the main thread in batches (one blocking call per line would cost
    // seconds on a large tree). The run log may be null.
    void SetLogList(TRsLogList* logList) { m_logList = logList; }
    // Queues a line for the pane and, with toLogList, for the run log. isError marks the line of a
    // failed item; the run driver counts them (an unattended run reports them in its exit status).
    void AddLogLine(const QString& line, bool toLogList, bool isError = false);
    // True when the queued lines should reach the main thread now: many are waiting, or the oldest
    // has waited long enough for the user to notice.
    bool FlushDue() const;
    // On the main thread: runs extra (may be empty), then hands over the queued lines.
    void FlushLogLines(const std::function<void()>& extra = {});

private:
    friend void StopAndFreeRsThread(TRsThread* worker);
    void run() final;
    // On the main thread: runs the call a worker waits for in Synchronize(), if one is waiting.
    void ServeSynchronize();
    // On the main thread, after the body: the last lines, the termination event, then done().
    void ServeTermination();
    // On the main thread: appends the queued lines to the run log and emits them.
    void DeliverLogLines();

    // The hand-over between worker and main thread goes through a standard mutex and condition
    // variables: every write made on one side before the hand-over is visible on the other after it.
    std::mutex m_syncMutex;
    std::condition_variable m_syncDone;
    // Wakes WaitFor() when a call is waiting or the body has returned.
    std::condition_variable m_syncWaiting;
    const std::function<void()>* m_syncMethod = nullptr;
    bool m_syncServed = false;

    TRsLogList* m_logList = nullptr;
    QStringList m_paneLines;
    QList<bool> m_toLogList;
    QElapsedTimer m_sinceFlush;

    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_finished{false};
    bool m_terminationServed = false; // main thread only
    std::atomic<int> m_errorLines{0};
};

// Stops a worker and frees it: detaches its termination event, sets the terminate request when it is
// still running, waits for it while serving its main-thread calls, hands over the lines it still
// had (they reach the pane and the run log, as lines after a stop do), deletes it and sets the
// pointer to null. A null pointer is accepted.
void StopAndFreeRsThread(TRsThread* worker);
template <typename T>
void StopAndFreeThread(T*& thread)
{
    TRsThread* worker = thread;
    thread = nullptr; // the field that refers to it is cleared at once
    StopAndFreeRsThread(worker);
}

// Dispatches the events waiting in the main thread's queue and returns once it is empty, or as soon
// as the stop test answers true after an event was handled. It never waits for new events.
void ProcessMessagesUntilBreak(const TBreakFunction& breakFunction);
