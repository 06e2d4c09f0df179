#include "engine/platform/StoppableCall.h"

#include "engine/platform/PathCodec.h"
#include "engine/platform/Platform.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>

#include <sys/statfs.h>
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

namespace {

// Network and FUSE file systems: their calls wait for a server or a driver that may be gone.
bool isRemoteType(uint64_t magic)
{
    switch (magic) {
    case 0x6969:     // NFS
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x517B:     // SMB
    case 0x65735546: // FUSE (sshfs, FAT and exFAT drivers, ...)
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
    case 0x6B414653: // kAFS
    case 0x73757245: // Coda
    case 0x564C:     // NCP
    case 0x47504653: // GPFS
    case 0x0BD00BD0: // Lustre
        return true;
    default:
        return false;
    }
}

struct DirectoryAnswer
{
    Path directory;
    bool mayNeverAnswer = true;
};

} // namespace

bool mayNeverAnswer(PathView directory, const StopTest& stop)
{
    // A copy alternates between a source and a destination directory; a few are enough.
    thread_local std::array<DirectoryAnswer, 4> t_known;
    thread_local size_t t_next = 0;
    for (const DirectoryAnswer& known : t_known) {
        if (!known.directory.empty() && known.directory == directory)
            return known.mayNeverAnswer;
    }
    const auto magic = std::make_shared<uint64_t>(0);
    const auto asked = std::make_shared<bool>(false);
    const JobOutcome outcome = runStoppable(
        [dir = Path(directory), magic, asked](const Cancellation&) {
            std::string native;
            struct statfs fs;
            if (codec::encodeStrict(dir, native) && !native.empty() && ::statfs(native.c_str(), &fs) == 0) {
                *magic = uint64_t(fs.f_type);
                *asked = true;
            }
        },
        stop);
    const bool answer = outcome != JobOutcome::Finished || !*asked || isRemoteType(*magic);
    if (outcome == JobOutcome::Finished && *asked) {
        DirectoryAnswer& slot = t_known[t_next++ % t_known.size()];
        slot.directory.assign(directory);
        slot.mayNeverAnswer = answer;
    }
    return answer;
}

PathView directoryOf(PathView path)
{
    const size_t slash = path.rfind(u'/');
    if (slash == PathView::npos)
        return u".";
    return slash == 0 ? PathView(u"/") : path.substr(0, slash);
}

JobOutcome runStoppable(StoppableJob job, const std::atomic<bool>* stopFlag)
{
    if (!stopFlag)
        return runStoppable(std::move(job), StopTest());
    return runStoppable(std::move(job), StopTest([stopFlag] { return stopFlag->load(std::memory_order_relaxed); }));
}

} // namespace platform
