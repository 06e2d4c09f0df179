#include "engine/platform/PosixAt.h"

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <unistd.h>

namespace platform::posix {

static_assert(AT_FDCWD == -100, "AtPath keeps AT_FDCWD's value");

int FdGuard::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void FdGuard::reset(int fd)
{
    if (m_fd >= 0) {
        const int saved = errno;
        ::close(m_fd);
        errno = saved;
    }
    m_fd = fd;
}

bool AtPath::open(const std::string& native)
{
    m_dir.reset();
    std::size_t pos = 0;
    // Pieces stay well below the limit; each ends at a delimiter so that no name is cut.
    constexpr std::size_t kPiece = PATH_MAX - 256;
    while (native.size() - pos >= PATH_MAX) {
        std::size_t slash = native.rfind('/', pos + kPiece);
        if (slash == std::string::npos || slash < pos) {
            errno = ENAMETOOLONG;
            return false;
        }
        // A leading "/" opens the root itself.
        const std::string piece = slash == pos ? std::string("/") : native.substr(pos, slash - pos);
        const int fd = ::openat(dir(), piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        m_dir.reset(fd);
        pos = slash + 1;
        while (pos < native.size() && native[pos] == '/')
            ++pos;
    }
    m_name = native.c_str() + pos;
    return true;
}

} // namespace platform::posix
