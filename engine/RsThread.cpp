#include "engine/RsThread.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

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
    QCoreApplication* app = QCoreApplication::instance();
    const bool onMainThread = app && QThread::currentThread() == app->thread();
    if (!onMainThread || QThread::currentThread() == this) {
        if (QThread::currentThread() != this)
            wait();
        return;
    }
    // The worker may be blocked in Synchronize(): keep serving it in a nested loop that wakes when
    // the thread ends. User input is left queued so that no command runs in the middle of a stop.
    QEventLoop loop;
    connect(this, &TRsThread::bodyFinished, &loop, &QEventLoop::quit);
    // bodyFinished() is posted together with setting m_finished, so once the flag is seen clear
    // here the signal is still ahead of us and will reach the loop.
    if (!m_finished.load())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
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
    QMetaObject::invokeMethod(this, &TRsThread::ServeSynchronize, Qt::QueuedConnection);
    m_syncDone.wait(lock, [this] { return m_syncServed; });
    m_syncMethod = nullptr;
}

void TRsThread::ServeSynchronize()
{
    const std::function<void()>* method = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_syncMutex);
        method = m_syncMethod;
    }
    if (method)
        (*method)(); // the worker waits meanwhile, so the call may use the worker's data freely
    {
        std::lock_guard<std::mutex> lock(m_syncMutex);
        m_syncServed = true;
    }
    m_syncDone.notify_all();
}

void TRsThread::ServeTermination()
{
    {
        std::lock_guard<std::mutex> lock(m_syncMutex); // orders everything the body did before this
    }
    if (OnTerminate)
        OnTerminate();
    Q_EMIT bodyFinished();
}

void TRsThread::SignalDone(const std::function<void()>& setFlag)
{
    Synchronize([this, &setFlag] {
        if (setFlag)
            setFlag();
        Q_EMIT done();
    });
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
        if (m_paneLines.isEmpty())
            return;
        if (m_logList) {
            for (qsizetype i = 0; i < m_paneLines.size(); ++i) {
                if (m_toLogList.at(i))
                    m_logList->append(m_paneLines.at(i));
            }
        }
        Q_EMIT linesAdded(m_paneLines);
    });
    m_paneLines.clear();
    m_toLogList.clear();
}

void TRsThread::run()
{
    try {
        Execute();
    } catch (...) {
        // A worker's own steps trap their errors per item; whatever still escapes ends the body
        // without taking the program down.
    }
    // The termination event runs on the main thread once the event loop gets to it; a worker freed
    // before that never runs it (the queued call dies with its context object).
    std::lock_guard<std::mutex> lock(m_syncMutex);
    m_finished.store(true);
    QMetaObject::invokeMethod(this, &TRsThread::ServeTermination, Qt::QueuedConnection);
}

void StopAndFreeRsThread(TRsThread* worker)
{
    if (!worker)
        return;
    worker->OnTerminate = nullptr;
    if (!worker->Finished()) {
        worker->Terminate();
        worker->WaitFor();
    }
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

TRsWaitLoop::TRsWaitLoop(std::function<bool()> until, QObject* parent)
    : QObject(parent)
    , m_until(std::move(until))
{
}

void TRsWaitLoop::Exec()
{
    if (m_until())
        return;
    QEventLoop loop;
    QTimer safetyNet;
    safetyNet.setInterval(200);
    connect(&safetyNet, &QTimer::timeout, this, &TRsWaitLoop::Check);
    safetyNet.start();
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
}

void TRsWaitLoop::Check()
{
    if (m_loop && m_until())
        m_loop->quit();
}
