#pragma once

// A call into the file system can wait for as long as the file system does not answer: a network
// share that went away, a FUSE driver that hangs, a disk that retries for minutes. No signal ends
// such a wait (NFS and FUSE wait "killable", so only the death of the process does). So the calls
// that read a file run on a helper thread while the calling thread waits for them and keeps an eye
// on its stop test: after a stop the caller is free again within a second, and the job, which sees
// its cancel flag, ends by itself whenever the system lets it go.

#include "engine/platform/Platform.h"

#include <atomic>
#include <functional>
#include <memory>

namespace platform {

// Asked by the job between its steps (on the helper thread) and, while the job is silent, by the
// caller: it must be safe to ask from either thread.
using StopTest = std::function<bool()>;

namespace detail {
struct StoppableShared;
}

// What a job asks between its steps: true once the caller's stop test answered true, or once the
// caller left the job behind. Cheap enough to ask once per chunk of a copy, not once per byte.
class Cancellation
{
public:
    explicit Cancellation(std::shared_ptr<detail::StoppableShared> shared) : m_shared(std::move(shared)) { }
    bool operator()() const;

private:
    std::shared_ptr<detail::StoppableShared> m_shared;
};

// The job. It must own everything it touches (capture by value, results through a shared_ptr):
// once abandoned it may run on after the caller has returned.
using StoppableJob = std::function<void(const Cancellation& cancelled)>;

enum class JobOutcome {
    Finished,  // the job returned (whatever it found)
    Abandoned, // still busy half a second after the stop: the caller went on without it
};

// Runs job on the calling thread's helper thread and waits for it. A job that asks its Cancellation
// asks stop (may be empty) through it, on the helper; for a job that has not asked for a fifth of a
// second the caller asks stop itself. A job that has not returned half a second after the stop is
// abandoned. The job's last platform error (lastError) becomes the
// caller's; an exception it throws is thrown again here. An abandoned job leaves ECANCELED as the
// caller's last error.
JobOutcome runStoppable(StoppableJob job, const StopTest& stop);

// The same with a stop flag (may be null).
JobOutcome runStoppable(StoppableJob job, const std::atomic<bool>* stopFlag);

// True when a call on a file in directory might never return: the directory lies on a network or
// FUSE file system, or its file system did not say what it is (asked through runStoppable, so the
// question cannot hang either). A local disk answers, if only with an error, and its files are read
// on the calling thread: a helper costs a hand-over per call, which a copy of many small files
// would feel. The answer is remembered per thread for the last few directories asked.
bool mayNeverAnswer(PathView directory, const StopTest& stop);

// The directory part of a path ("." for a bare name, "/" for a name at the root).
PathView directoryOf(PathView path);

} // namespace platform
