#include "engine/platform/StoppableCall.h"

#include "engine/platform/Platform.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace platform {

namespace detail {

// What the caller and its helper share. A helper whose job was abandoned keeps it alive until the
// job returns, then ends; the caller starts a new helper for its next job.
struct StoppableShared
{
    std::mutex mutex;
    std::condition_variable wake;
    StoppableJob job;
    bool hasJob = false;
    bool jobDone = false;
    bool quit = false;
    bool abandoned = false;
    // The caller's stop test while the caller waits (it lives in the caller's frame); null otherwise.
    const StopTest* stop = nullptr;
    std::atomic<bool> cancel{false};
    // When the job last asked (steady clock, ns): a job that keeps asking sees a stop by itself.
    std::atomic<int64_t> lastAsked{0};
    int lastErrorCode = 0;
    std::exception_ptr exception;
};

} // namespace detail

using detail::StoppableShared;

namespace {

int64_t steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

bool Cancellation::operator()() const
{
    if (m_shared->cancel.load(std::memory_order_relaxed))
        return true;
    m_shared->lastAsked.store(steadyNow(), std::memory_order_relaxed);
    const std::lock_guard lock(m_shared->mutex);
    if (m_shared->abandoned || (m_shared->stop && *m_shared->stop && (*m_shared->stop)()))
        m_shared->cancel.store(true);
    return m_shared->cancel.load(std::memory_order_relaxed);
}

namespace {

using namespace std::chrono_literals;

// How often the waiting caller looks at the job; how long a job may go without asking before the
// caller asks the stop test for it (a job that keeps asking is the only one to ask, so the test is
// asked once per step, as it would be without a helper); and how long a cancelled job is given to
// end by itself (a copy asks between chunks; only a job stuck in the system takes longer).
constexpr auto kStopPoll = 40ms;
constexpr auto kSilence = 200ms;
constexpr auto kGrace = 500ms;

void helperLoop(std::shared_ptr<StoppableShared> shared)
{
    const Cancellation cancelled(shared);
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->hasJob || shared->quit; });
        if (shared->quit)
            return;
        StoppableJob job = std::move(shared->job);
        shared->hasJob = false;
        lock.unlock();
        std::exception_ptr exception;
        setLastError(0);
        try {
            job(cancelled);
        } catch (...) {
            exception = std::current_exception();
        }
        const int code = lastError().code;
        job = nullptr; // what it owns goes now, on this thread, not with the next job
        lock.lock();
        shared->lastErrorCode = code;
        shared->exception = exception;
        shared->jobDone = true;
        if (shared->abandoned)
            return;
        shared->wake.notify_all();
    }
}

// One helper per calling thread, made on first use. A process forked from this one has no helper
// thread of its own: its copy of the object is left alone (it refers to a thread that does not exist
// there) and a new helper is made.
class Helper
{
public:
    Helper() : m_pid(::getpid()), m_shared(std::make_shared<StoppableShared>()), m_thread(helperLoop, m_shared) { }
    ~Helper()
    {
        if (!m_thread.joinable()) // abandoned: its thread ends after its job
            return;
        {
            const std::lock_guard lock(m_shared->mutex);
            m_shared->quit = true;
        }
        m_shared->wake.notify_all();
        m_thread.join();
    }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;

    bool belongsToThisProcess() const { return m_pid == ::getpid(); }
    const std::shared_ptr<StoppableShared>& shared() const { return m_shared; }
    // Called with the shared mutex held: the job is left to finish by itself, its thread ends after.
    void abandon()
    {
        m_shared->abandoned = true;
        m_shared->stop = nullptr;
        m_thread.detach();
    }

private:
    pid_t m_pid;
    std::shared_ptr<StoppableShared> m_shared;
    std::thread m_thread;
};

struct HelperSlot
{
    Helper* helper = nullptr;
    ~HelperSlot()
    {
        if (helper && helper->belongsToThisProcess())
            delete helper;
    }
};

thread_local HelperSlot t_slot;

Helper& threadHelper()
{
    if (t_slot.helper && !t_slot.helper->belongsToThisProcess())
        t_slot.helper = nullptr; // inherited through fork: its thread is not here
    if (!t_slot.helper)
        t_slot.helper = new Helper;
    return *t_slot.helper;
}

} // namespace

JobOutcome runStoppable(StoppableJob job, const StopTest& stop)
{
    Helper& helper = threadHelper();
    const std::shared_ptr<StoppableShared> shared = helper.shared();
    std::unique_lock lock(shared->mutex);
    shared->job = std::move(job);
    shared->hasJob = true;
    shared->jobDone = false;
    shared->stop = stop ? &stop : nullptr;
    shared->cancel.store(false);
    shared->lastAsked.store(steadyNow());
    shared->exception = nullptr;
    shared->wake.notify_all();
    std::chrono::steady_clock::time_point deadline;
    bool stopped = false;
    while (!shared->jobDone) {
        shared->wake.wait_for(lock, kStopPoll);
        if (shared->jobDone)
            break;
        if (!stopped) {
            const bool silent = steadyNow() - shared->lastAsked.load() >= std::chrono::nanoseconds(kSilence).count();
            if (!shared->cancel.load() && !(silent && stop && stop()))
                continue;
            stopped = true;
            shared->cancel.store(true);
            deadline = std::chrono::steady_clock::now() + kGrace;
        } else if (std::chrono::steady_clock::now() >= deadline) {
            helper.abandon();
            lock.unlock();
            delete t_slot.helper; // the object only: the detached thread holds the shared part
            t_slot.helper = nullptr;
            setLastError(ECANCELED);
            return JobOutcome::Abandoned;
        }
    }
    shared->stop = nullptr;
    const int code = shared->lastErrorCode;
    const std::exception_ptr exception = shared->exception;
    shared->exception = nullptr;
    lock.unlock();
    setLastError(code);
    if (exception)
        std::rethrow_exception(exception);
    return JobOutcome::Finished;
}

JobOutcome runStoppable(StoppableJob job, const std::atomic<bool>* stopFlag)
{
    if (!stopFlag)
        return runStoppable(std::move(job), StopTest());
    return runStoppable(std::move(job), StopTest([stopFlag] { return stopFlag->load(std::memory_order_relaxed); }));
}

} // namespace platform
