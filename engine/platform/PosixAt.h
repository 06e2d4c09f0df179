#pragma once

// POSIX helpers shared by the platform layer and the engine's own file stream: a descriptor that is
// closed on every way out, and a path taken apart so that the *at calls accept it at any length.

#include <string>

namespace platform::posix {

// Closes a descriptor on every path out, keeping errno as the failure left it.
class FdGuard
{
public:
    explicit FdGuard(int fd = -1) : m_fd(fd) { }
    ~FdGuard() { reset(); }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return m_fd; }
    int release();
    void reset(int fd = -1);

private:
    int m_fd;
};

// A path as the *at calls take it. The system refuses a path of PATH_MAX bytes or more as a whole
// (ENAMETOOLONG), so a longer one is walked: its leading directories are opened piece by piece, each
// piece relative to the directory before, and the call gets the last directory's descriptor and the
// rest of the path. A shorter path costs nothing: the current directory's marker and the path itself.
class AtPath
{
public:
    // native must outlive this object. False (errno set) when a leading directory cannot be opened.
    bool open(const std::string& native);
    int dir() const { return m_dir.get() >= 0 ? m_dir.get() : m_cwd; }
    const char* name() const { return m_name; }

private:
    int m_cwd = -100; // AT_FDCWD, without pulling <fcntl.h> into every user
    FdGuard m_dir;
    const char* m_name = nullptr;
};

} // namespace platform::posix
