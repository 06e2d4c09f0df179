#include "engine/platform/ContentCopy.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::posix {

namespace {

constexpr size_t kCopyChunk = 8u << 20;  // copy_file_range per call: a stop ends within one
constexpr size_t kCopyBuffer = 1u << 20; // read/write fallback buffer

// copy_file_range is not offered between these file systems (or for this kind of file): the
// caller goes on with reads and writes.
bool copyRangeRefused(int err, bool copiedAny)
{
    return err == EXDEV || err == ENOSYS || err == EOPNOTSUPP || err == EINVAL || err == EBADF || err == ETXTBSY
           || (!copiedAny && err == EPERM);
}

class Copier
{
public:
    Copier(int in, int out, const std::function<bool()>& cancelled, std::atomic<uint64_t>* bytesDone)
        : m_in(in), m_out(out), m_cancelled(cancelled), m_bytesDone(bytesDone)
    {
    }

    // Copies [from, to) (to < 0: up to the end of the file) at the same offsets of both files.
    // Returns the offset reached, or -1 (Failed or Stopped, see state()).
    int64_t copyRange(int64_t from, int64_t to)
    {
        int64_t at = from;
        while (to < 0 || at < to) {
            if (m_cancelled && m_cancelled()) {
                m_state = ContentCopy::Stopped;
                return -1;
            }
            const size_t want = to < 0 ? kCopyChunk : size_t(std::min<int64_t>(to - at, int64_t(kCopyChunk)));
            const ssize_t n = m_useCopyRange ? copyRangeChunk(at, want) : readWriteChunk(at, want);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (m_useCopyRange && copyRangeRefused(errno, m_copiedAny)) {
                    m_useCopyRange = false;
                    continue;
                }
                m_state = ContentCopy::Failed;
                return -1;
            }
            if (n == 0)
                break; // the file ended early (it shrank meanwhile): what is there is copied
            m_copiedAny = true;
            at += n;
            if (m_bytesDone)
                m_bytesDone->fetch_add(uint64_t(n), std::memory_order_relaxed);
        }
        return at;
    }

    ContentCopy state() const { return m_state; }

private:
    ssize_t copyRangeChunk(int64_t at, size_t want)
    {
        loff_t inOffset = at;
        loff_t outOffset = at;
        return ::copy_file_range(m_in, &inOffset, m_out, &outOffset, want, 0);
    }

    ssize_t readWriteChunk(int64_t at, size_t want)
    {
        if (!m_buffer)
            m_buffer.reset(new char[kCopyBuffer]);
        const ssize_t n = ::pread(m_in, m_buffer.get(), std::min(want, kCopyBuffer), off_t(at));
        if (n <= 0)
            return n;
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::pwrite(m_out, m_buffer.get() + written, size_t(n - written), off_t(at + written));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            written += w;
        }
        return n;
    }

    int m_in;
    int m_out;
    const std::function<bool()>& m_cancelled;
    std::atomic<uint64_t>* m_bytesDone;
    bool m_useCopyRange = true;
    bool m_copiedAny = false;
    std::unique_ptr<char[]> m_buffer;
    ContentCopy m_state = ContentCopy::Done;
};

} // namespace

bool mayHaveHoles(int64_t size, int64_t blocks)
{
    return blocks * 512 < size;
}

ContentCopy copyContent(int in, int out, bool sparse, const std::function<bool()>& cancelled,
                        std::atomic<uint64_t>* bytesDone)
{
    Copier copier(in, out, cancelled, bytesDone);
    if (!sparse)
        return copier.copyRange(0, -1) < 0 ? copier.state() : ContentCopy::Done;
    int64_t at = 0;
    for (;;) {
        const off_t data = ::lseek(in, off_t(at), SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                break; // no data after this: the rest is a hole up to the end
            if (at == 0 && (errno == EINVAL || errno == EOPNOTSUPP))
                return copier.copyRange(0, -1) < 0 ? copier.state() : ContentCopy::Done;
            return ContentCopy::Failed;
        }
        const off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0)
            return ContentCopy::Failed;
        if (copier.copyRange(int64_t(data), int64_t(hole)) < 0)
            return copier.state();
        at = int64_t(hole);
    }
    // The size as the file has it now; a trailing hole is made by extending, never written.
    struct stat st;
    if (::fstat(in, &st) != 0 || ::ftruncate(out, st.st_size) != 0)
        return ContentCopy::Failed;
    return ContentCopy::Done;
}

} // namespace platform::posix
