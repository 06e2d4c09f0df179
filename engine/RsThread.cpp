#include "engine/RsThread.h"

#include "app/LangExtra.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

using namespace Qt::StringLiterals;

#if defined(__SANITIZE_THREAD__)
// Qt is not built with ThreadSanitizer: its own locks are invisible to it, so what Qt does inside
// itself (QThread waking its waiters after the body has returned, Qt Test's watchdog) would be
// reported as races. Qt's library calls are left out; our code, where the workers and the main
// thread meet through a standard mutex, stays fully checked.
extern "C" const char* __tsan_default_suppressions()
{
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Test.so.6\n"
           "race:QWaitCondition::wakeAll\n";
}
#endif

bool IsBreakRequested(const TBreakFunction& breakFunction)
{
    return breakFunction && breakFunction();
}

TRsThread::TRsThread(QObject* parent)
    : QThread(parent)
{
}

TRsThread::~TRsThread()
{
    OnTerminate = nullptr;
    StopThread();
}

void TRsThread::StopThread()
{
    if (isRunning()) {
        Terminate();
        WaitFor();
    }
    wait();
    // The body released this mutex last, after posting its termination event: taking it here
    // orders everything the worker did before whatever the caller does next (freeing it included).
    std::lock_guard<std::mutex> lock(m_syncMutex);
}

void TRsThread::Terminate()
{
    m_terminated.store(true);
}

bool TRsThread::Terminated() const
{
    return m_terminated.load();
}

bool TRsThread::Finished() const
{
    return m_finished.load();
}

void TRsThread::WaitFor()
{
    if (QThread::currentThread() == this)
        return;
    if (QThread::currentThread() != thread()) {
        wait();
        return;
    }
    // The worker may be blocked in Synchronize(): its calls are served right here, one after the
    // other, until the body has returned. No event loop runs, so no command, timer or other
    // worker's call can happen in the middle of a stop.
    std::unique_lock<std::mutex> lock(m_syncMutex);
    while (!m_finished.load()) {
        m_syncWaiting.wait(lock, [this] { return m_finished.load() || (m_syncMethod && !m_syncServed); });
        if (m_syncMethod && !m_syncServed) {
            const std::function<void()>* method = m_syncMethod;
            lock.unlock();
            (*method)(); // the worker waits meanwhile
            lock.lock();
            m_syncServed = true;
            m_syncDone.notify_all();
        }
    }
    lock.unlock();
    wait();
}

void TRsThread::Synchronize(const std::function<void()>& method)
{
    if (QThread::currentThread() == thread()) {
        method();
        return;
    }
    std::unique_lock<std::mutex> lock(m_syncMutex);
    m_syncMethod = &method;
    m_syncServed = false;
    m_syncWaiting.notify_all();
    QMetaObject::invokeMethod(this, &TRsThread::ServeSynchronize, Qt::QueuedConnection);
    m_syncDone.wait(lock, [this] { return m_syncServed; });
    m_syncMethod = nullptr;
}

void TRsThread::ServeSynchronize()
{
    const std::function<void()>* method = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_syncMutex);
        // WaitFor() may have served the call already; this event then finds nothing to do.
        if (m_syncServed)
            return;
        method = m_syncMethod;
    }
    if (!method)
        return;
    (*method)(); // the worker waits meanwhile, so the call may use the worker's data freely
    {
        std::lock_guard<std::mutex> lock(m_syncMutex);
        m_syncServed = true;
    }
    m_syncDone.notify_all();
}

void TRsThread::DeliverLogLines()
{
    if (m_paneLines.isEmpty())
        return;
    if (m_logList) {
        for (qsizetype i = 0; i < m_paneLines.size(); ++i) {
            if (m_toLogList.at(i))
                m_logList->append(m_paneLines.at(i));
        }
    }
    const QStringList lines = std::exchange(m_paneLines, {});
    m_toLogList.clear();
    Q_EMIT linesAdded(lines);
}

void TRsThread::ServeTermination()
{
    if (m_terminationServed)
        return;
    m_terminationServed = true;
    {
        std::lock_guard<std::mutex> lock(m_syncMutex); // orders everything the body did before this
    }
    DeliverLogLines();
    if (OnTerminate)
        OnTerminate();
    Q_EMIT done();
}

void TRsThread::AddLogLine(const QString& line, bool toLogList, bool isError)
{
    if (isError)
        m_errorLines.fetch_add(1);
    if (m_paneLines.isEmpty())
        m_sinceFlush.start();
    m_paneLines.append(line);
    m_toLogList.append(toLogList);
}

bool TRsThread::FlushDue() const
{
    constexpr qsizetype kBatchLines = 1000;
    constexpr qint64 kBatchMilliseconds = 100;
    return m_paneLines.size() >= kBatchLines
           || (!m_paneLines.isEmpty() && m_sinceFlush.elapsed() >= kBatchMilliseconds);
}

void TRsThread::FlushLogLines(const std::function<void()>& extra)
{
    if (m_paneLines.isEmpty() && !extra)
        return;
    Synchronize([this, &extra] {
        if (extra)
            extra();
        DeliverLogLines();
    });
}

void TRsThread::run()
{
    // Whatever escapes a worker's own per-item traps (an allocation that failed, a fault in a step)
    // ends the body; it must not end like a success: it becomes an error line that counts as a
    // failed item.
    QString failure;
    try {
        Execute();
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    } catch (...) {
        failure = u"?"_s;
    }
    if (!failure.isNull()) {
        try {
            AddLogLine(LogErrorInternal + u' ' + failure, true, true);
        } catch (...) {
            m_errorLines.fetch_add(1); // the line could not be made; the count still tells
        }
    }
    // The termination event runs on the main thread once the event loop gets to it (or in
    // StopAndFreeThread, whichever comes first); a worker freed before that never runs it.
    std::lock_guard<std::mutex> lock(m_syncMutex);
    m_finished.store(true);
    m_syncWaiting.notify_all();
    QMetaObject::invokeMethod(this, &TRsThread::ServeTermination, Qt::QueuedConnection);
}

void StopAndFreeRsThread(TRsThread* worker)
{
    if (!worker)
        return;
    worker->OnTerminate = nullptr;
    if (!worker->Finished())
        worker->Terminate();
    worker->StopThread();
    // Nobody waits for the end of a worker that is freed, so it says nothing more; its last lines
    // are kept all the same.
    worker->DeliverLogLines();
    delete worker;
}

void ProcessMessagesUntilBreak(const TBreakFunction& breakFunction)
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return;
    // Without WaitForMoreEvents the dispatcher handles what is queued and returns at once.
    while (dispatcher->processEvents(QEventLoop::AllEvents)) {
        if (IsBreakRequested(breakFunction))
            return;
    }
}
