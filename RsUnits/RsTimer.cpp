#include "RsUnits/RsTimer.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// The worker of one run of the timer. Its calls to the main thread go through a one-slot mailbox:
// the worker puts the call there, posts a wake-up to the timer and sleeps until the call has been
// served. The main thread serves it from that wake-up, or directly while it waits for the worker
// to end, so a stop never deadlocks against a pending tick.
class TRsTimerThread {
public:
    enum class Call { None, Tick, Stop };

    TRsTimerThread(TRsTimer* timer, quint32 interval, quint32 autoStopTime, quint32 initialDelayTime)
        : m_timer(timer), m_autoStopTime(autoStopTime), m_initialDelayTime(initialDelayTime), m_interval(interval)
    {
        m_thread = std::thread([this] { execute(); });
    }
    ~TRsTimerThread()
    {
        Terminate();
        if (m_thread.joinable())
            m_thread.join();
    }

    void Terminate()
    {
        {
            std::lock_guard lock(m_mutex);
            m_terminated.store(true);
        }
        m_wake.notify_all();
    }
    bool Terminated() const { return m_terminated.load(); }
    bool Finished() const
    {
        std::lock_guard lock(m_mutex);
        return m_finished;
    }
    void UnbindStopEvent() { m_stopEventBound.store(false); }

    // Takes the waiting call out of the mailbox; None when there is none.
    Call Take()
    {
        std::lock_guard lock(m_mutex);
        const Call call = m_pending;
        m_pending = Call::None;
        return call;
    }
    void Served()
    {
        {
            std::lock_guard lock(m_mutex);
            m_served = true;
        }
        m_wake.notify_all();
    }
    // Main thread: sleeps until a call waits or the worker has ended; true when it has ended.
    bool WaitForCallOrEnd()
    {
        std::unique_lock lock(m_mutex);
        m_mainWake.wait(lock, [this] { return m_pending != Call::None || m_finished; });
        return m_pending == Call::None && m_finished;
    }
    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    TRsTimer* const m_timer;
    std::atomic<quint32> m_autoStopTime;
    std::atomic<quint32> m_initialDelayTime;
    std::atomic<quint32> m_interval;

private:
    void execute()
    {
        using Clock = std::chrono::steady_clock;
        if (m_interval.load() == 0) {
            Terminate();
        } else {
            const Clock::time_point start = Clock::now();
            while (!m_terminated.load() && m_timer->m_enabled.load()) {
                {
                    std::unique_lock lock(m_mutex);
                    const auto deadline = Clock::now() + std::chrono::milliseconds(m_interval.load());
                    // Only a full interval leads to a tick; a stop request ends the wait at once.
                    if (m_wake.wait_until(lock, deadline, [this] { return m_terminated.load(); }))
                        continue;
                }
                const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
                const quint32 delay = m_initialDelayTime.load();
                const quint32 autoStop = m_autoStopTime.load();
                if (delay > 0 && elapsed < static_cast<long long>(delay))
                    continue;
                if (autoStop > 0 && elapsed > static_cast<long long>(autoStop)) {
                    Terminate();
                    break;
                }
                synchronize(Call::Tick);
            }
        }
        if (m_stopEventBound.load())
            synchronize(Call::Stop);
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_mainWake.notify_all();
    }

    void synchronize(Call call)
    {
        {
            std::lock_guard lock(m_mutex);
            m_pending = call;
            m_served = false;
        }
        m_mainWake.notify_all();
        TRsTimer* timer = m_timer;
        QMetaObject::invokeMethod(timer, [timer] { timer->serveCalls(); }, Qt::QueuedConnection);
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_served; });
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;     // the worker sleeps on it
    std::condition_variable m_mainWake; // the main thread sleeps on it while it waits for the end
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_stopEventBound{true};
    Call m_pending = Call::None;
    bool m_served = false;
    bool m_finished = false;
    std::thread m_thread;
};

TRsTimer::TRsTimer(QObject* parent) : QObject(parent) {}

TRsTimer::~TRsTimer()
{
    // No OnStopTimer while the timer goes away; pending ticks are served and do nothing.
    m_destroying = true;
    std::vector<std::unique_ptr<TRsTimerThread>> threads = std::move(m_retired);
    if (m_thread)
        threads.push_back(std::move(m_thread));
    for (const auto& thread : threads) {
        thread->UnbindStopEvent();
        thread->Terminate();
    }
    for (const auto& thread : threads)
        waitForThread(thread.get());
}

std::unique_ptr<TRsTimerThread> TRsTimer::startThread()
{
    return std::make_unique<TRsTimerThread>(this, m_interval, m_autoStopTime, m_initialDelayTime);
}

void TRsTimer::SetEnabled(bool value)
{
    if (value == m_enabled.load())
        return;
    m_enabled.store(value);
    reapRetired();
    if (m_thread) {
        std::unique_ptr<TRsTimerThread> thread = std::move(m_thread);
        thread->Terminate();
        if (m_handlerDepth > 0) {
            // Called from a handler: the worker waits for that handler to return, so waiting
            // for it here would never end. It ends on its own and is freed later.
            m_retired.push_back(std::move(thread));
        } else {
            waitForThread(thread.get());
        }
    }
    // A handler run while waiting may have switched the timer again and started a worker.
    if (m_enabled.load() && !m_thread)
        m_thread = startThread();
}

void TRsTimer::SetInterval(quint32 value)
{
    m_interval = value;
    if (m_thread && !m_thread->Finished())
        m_thread->m_interval.store(value);
}

void TRsTimer::SetAutoStopTime(quint32 value)
{
    m_autoStopTime = value;
    if (m_thread && !m_thread->Finished())
        m_thread->m_autoStopTime.store(value);
}

void TRsTimer::SetInitialDelayTime(quint32 value)
{
    m_initialDelayTime = value;
    if (m_thread && !m_thread->Finished())
        m_thread->m_initialDelayTime.store(value);
}

void TRsTimer::DoTimer()
{
    if (m_destroying || !m_calling || m_calling->Terminated())
        return;
    ++m_handlerDepth;
    emit OnTimer(this);
    --m_handlerDepth;
}

void TRsTimer::doStopTimer(TRsTimerThread* thread)
{
    if (m_destroying)
        return;
    ++m_handlerDepth;
    emit OnStopTimer(this);
    --m_handlerDepth;
    // After a stop by time the timer reads as switched off. Only the current worker decides
    // that: an earlier one ending late must not switch off its successor.
    if (thread == m_thread.get() && m_autoStopTime != 0 && m_enabled.load())
        m_enabled.store(false);
}

bool TRsTimer::serveOne(TRsTimerThread* thread)
{
    const TRsTimerThread::Call call = thread->Take();
    if (call == TRsTimerThread::Call::None)
        return false;
    TRsTimerThread* const outer = m_calling;
    m_calling = thread;
    if (call == TRsTimerThread::Call::Tick)
        DoTimer();
    else
        doStopTimer(thread);
    m_calling = outer;
    thread->Served();
    return true;
}

void TRsTimer::serveCalls()
{
    // Handlers may start and stop workers, so look the workers up again after every call.
    for (;;) {
        bool served = false;
        if (m_thread)
            served = serveOne(m_thread.get());
        for (size_t i = 0; !served && i < m_retired.size(); ++i)
            served = serveOne(m_retired[i].get());
        if (!served)
            break;
    }
    if (m_handlerDepth == 0)
        reapRetired();
}

void TRsTimer::waitForThread(TRsTimerThread* thread)
{
    while (!thread->WaitForCallOrEnd())
        serveOne(thread);
    thread->Join();
}

void TRsTimer::reapRetired()
{
    std::erase_if(m_retired, [](const std::unique_ptr<TRsTimerThread>& thread) { return thread->Finished(); });
}
