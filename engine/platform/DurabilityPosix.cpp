#include "engine/platform/Durability.h"

#include "engine/platform/PathCodec.h"
#include "engine/platform/PosixAt.h"
#include "engine/platform/StoppableCall.h"

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using posix::AtPath;
using posix::FdGuard;

// Opens path for reading (links followed) without waiting for a writer (a FIFO) or taking a
// terminal; -1 with the error recorded.
int openForReading(PathView path, int extraFlags)
{
    std::string native;
    if (!codec::encodeStrict(path, native)) {
        setLastError(errno);
        return -1;
    }
    AtPath at;
    if (native.empty() || !at.open(native)) {
        setLastError(native.empty() ? ENOENT : errno);
        return -1;
    }
    const int fd = ::openat(at.dir(), at.name(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | extraFlags);
    if (fd < 0)
        setLastError(errno);
    return fd;
}

} // namespace

bool syncFileSystem(PathView path, const std::atomic<bool>* stopFlag)
{
    const FdGuard fd(openForReading(path, O_DIRECTORY));
    if (fd.get() < 0)
        return false;
    // The job owns its own descriptor: an abandoned flush may outlive this call.
    const int own = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0);
    if (own < 0) {
        setLastError(errno);
        return false;
    }
    auto ok = std::make_shared<bool>(false);
    const JobOutcome outcome = runStoppable(
        [own, ok](const Cancellation&) {
            *ok = ::syncfs(own) == 0;
            if (!*ok)
                setLastError(errno);
            ::close(own);
        },
        stopFlag);
    return outcome == JobOutcome::Finished && *ok;
}

bool dropCachedData(PathView file)
{
    const FdGuard fd(openForReading(file, 0));
    if (fd.get() < 0)
        return false;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        setLastError(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        setLastError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        return false;
    }
    // Only clean pages can be dropped: writing them out and waiting for it makes them so, and
    // reports a write the device refused. sync_file_range does that without what fdatasync adds (a
    // journal commit and a flush of the device's cache, per file: a verification of many files would
    // pay one each), which the task's one syncfs at its end provides. Where it is not offered,
    // fdatasync. Pages another process has mapped stay; a read then shows what that process sees.
    constexpr unsigned kWriteAndWait = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    if (::sync_file_range(fd.get(), 0, 0, kWriteAndWait) != 0) {
        const bool offered = errno != ESPIPE && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP;
        if (offered || ::fdatasync(fd.get()) != 0) {
            setLastError(errno);
            return false;
        }
    }
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
    return true;
}

} // namespace platform
