// The POSIX implementation of the platform layer.

#include "engine/platform/ContentCopy.h"
#include "engine/platform/PathCodec.h"
#include "engine/platform/Platform.h"
#include "engine/platform/PosixAt.h"
#include "engine/platform/StoppableCall.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

using posix::AtPath;
using posix::FdGuard;

thread_local Error t_lastError;

// Records errno as the thread's last error and returns false, so failures read "return fail();".
bool fail()
{
    setLastError(errno);
    return false;
}

bool fail(int code)
{
    setLastError(code);
    return false;
}

struct DirCloser
{
    void operator()(DIR* d) const
    {
        const int saved = errno;
        ::closedir(d);
        errno = saved;
    }
};
using DirPtr = std::unique_ptr<DIR, DirCloser>;

bool encode(PathView path, std::string& out)
{
    if (!codec::encodeStrict(path, out))
        return fail();
    if (out.empty())
        return fail(ENOENT);
    return true;
}

// Encodes a path and takes it apart for the *at calls (any length).
bool encodeAt(PathView path, std::string& native, AtPath& at)
{
    return encode(path, native) && (at.open(native) || fail());
}

uint32_t attributeWord(const struct stat& st, bool hidden)
{
    uint32_t word = uint32_t(st.st_mode & 07777) << 16;
    if (S_ISDIR(st.st_mode))
        word |= kAttrDirectory;
    else if (S_ISREG(st.st_mode))
        word |= kAttrArchive;
    if (!(st.st_mode & S_IWUSR))
        word |= kAttrReadOnly;
    if (hidden)
        word |= kAttrHidden;
    return word;
}

void fillFromStat(const struct stat& st, bool hidden, DirEntry& out)
{
    out.attributes = attributeWord(st, hidden);
    out.modified.seconds = st.st_mtim.tv_sec;
    out.modified.nanoseconds = int32_t(st.st_mtim.tv_nsec);
    out.size = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
    out.device = uint64_t(st.st_dev);
    out.inode = uint64_t(st.st_ino);
}

// Classifies an entry whose own (not followed) status is `own`. A link is resolved with `followed`
// (which stat-ing the target filled, or failed to: dangling). Returns the kind.
void classify(const struct stat& own, const struct stat* target, bool followLinks, bool hidden,
              DirEntry& out)
{
    out.isLink = S_ISLNK(own.st_mode);
    if (!S_ISLNK(own.st_mode)) {
        fillFromStat(own, hidden, out);
        out.kind = S_ISDIR(own.st_mode) ? EntryKind::Directory
                   : S_ISREG(own.st_mode) ? EntryKind::File
                                          : EntryKind::Other;
        return;
    }
    if (!target) { // dangling
        fillFromStat(own, hidden, out);
        out.attributes &= ~kAttrArchive;
        out.kind = EntryKind::Other;
        return;
    }
    fillFromStat(*target, hidden, out);
    if (S_ISDIR(target->st_mode)) {
        if (followLinks) {
            out.kind = EntryKind::Directory;
        } else {
            // The link is an entry of its own: its identity, not its target's, so that nothing
            // that walks the tree mistakes it for the directory it points to.
            out.kind = EntryKind::DirectoryLink;
            out.device = uint64_t(own.st_dev);
            out.inode = uint64_t(own.st_ino);
        }
    } else if (S_ISREG(target->st_mode)) {
        out.kind = EntryKind::File;
    } else {
        out.kind = EntryKind::Other;
    }
}

bool isHiddenName(std::string_view name)
{
    return !name.empty() && name.front() == '.';
}

std::string_view lastComponent(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void trimErrorText(std::u16string& text)
{
    while (!text.empty() && (text.back() <= u' ' || text.back() == u'.'))
        text.pop_back();
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

bool removeTreeAt(int parentFd, const char* name);

// Empties an open directory, never following a link. The listing owns the directory's descriptor,
// so a deep tree holds one descriptor per level.
bool removeContents(DIR* dir)
{
    const int dirFd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (!e) {
            if (errno != 0)
                return fail();
            break;
        }
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(dirFd, n, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return fail();
            isDir = S_ISDIR(st.st_mode);
        }
        if (isDir) {
            if (!removeTreeAt(dirFd, n))
                return false;
        } else if (::unlinkat(dirFd, n, 0) != 0) {
            return fail();
        }
    }
    return true;
}

bool removeTreeAt(int parentFd, const char* name)
{
    constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    FdGuard fd(::openat(parentFd, name, kOpenFlags));
    if (fd.get() < 0 && errno == EACCES) {
        // A directory without owner permissions cannot be listed; it is being removed anyway.
        ::fchmodat(parentFd, name, S_IRWXU, 0);
        fd.reset(::openat(parentFd, name, kOpenFlags));
    }
    if (fd.get() < 0) {
        if (errno == ENOTDIR || errno == ELOOP) // became a link or a file meanwhile: remove it itself
            return ::unlinkat(parentFd, name, 0) == 0 || fail();
        return fail();
    }
    struct stat st;
    if (::fstat(fd.get(), &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(fd.get(), st.st_mode | S_IRWXU);
    DirPtr dir(::fdopendir(fd.get()));
    if (!dir)
        return fail();
    fd.release();
    if (!removeContents(dir.get()))
        return false;
    dir.reset();
    return ::unlinkat(parentFd, name, AT_REMOVEDIR) == 0 || fail();
}

bool withinTwoSeconds(const struct timespec& a, const struct timespec& b)
{
    const int64_t apart = (int64_t(a.tv_sec) - int64_t(b.tv_sec)) * 1'000'000'000 + (a.tv_nsec - b.tv_nsec);
    return apart > -2'000'000'000 && apart < 2'000'000'000;
}

// The file system refuses permission bits as such (FAT, exFAT, many FUSE and network file systems),
// as opposed to refusing them to this user: EPERM counts only for a file this process owns (or as
// the super-user, whom no ownership check stops).
bool refusesPermissions(int err, uid_t owner)
{
    return err == ENOSYS || err == EOPNOTSUPP || (err == EPERM && (owner == ::geteuid() || ::geteuid() == 0));
}

} // namespace

Error lastError()
{
    return t_lastError;
}

Path errorText(int code)
{
    char buffer[256];
    // GNU strerror_r returns the text, which need not be in the buffer.
    const char* text = ::strerror_r(code, buffer, sizeof buffer);
    Path result;
    codec::appendDecoded(text ? std::string_view(text) : std::string_view(), result);
    trimErrorText(result);
    return result;
}

void setLastError(int code)
{
    t_lastError.code = code;
    t_lastError.text = errorText(code);
}

bool enumerateDirectory(PathView directory, bool followLinks,
                        const std::function<bool(const DirEntry&)>& onEntry, const EntryErrorFunction& onError)
{
    std::string native;
    AtPath at;
    if (!encodeAt(directory, native, at))
        return false;
    FdGuard fd(::openat(at.dir(), at.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return fail();
    // Read with getdents64 rather than readdir: the directory stream would cost an extra system
    // call and allocation per directory, which shows on trees of many small directories. The buffer
    // is per call because a callback may list another directory from inside this one.
    constexpr std::size_t kBufferSize = 32 * 1024;
    const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    DirEntry entry;         // reused: the name keeps its capacity from entry to entry
    entry.name.reserve(256);
    struct stat own;
    struct stat target;
    for (;;) {
        const ssize_t filled = ::getdents64(fd.get(), buffer.get(), kBufferSize);
        if (filled < 0)
            return fail();
        if (filled == 0)
            return true;
        for (ssize_t offset = 0; offset < filled;) {
            const auto* e = reinterpret_cast<const struct dirent64*>(buffer.get() + offset);
            offset += e->d_reclen;
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            const std::string_view name(n);
            if (::fstatat(fd.get(), n, &own, AT_SYMLINK_NOFOLLOW) != 0) {
                // Removed between listing and status: it is no longer there. Any other failure (a
                // directory that may be read but not searched) hides an entry that does exist.
                if (errno != ENOENT && onError) {
                    const int code = errno;
                    entry.name.clear();
                    codec::appendDecoded(name, entry.name);
                    onError(entry.name, code);
                }
                continue;
            }
            const struct stat* resolved = nullptr;
            if (S_ISLNK(own.st_mode)) {
                if (::fstatat(fd.get(), n, &target, 0) == 0) {
                    resolved = &target;
                } else if (errno != ENOENT && errno != ENOTDIR && errno != ELOOP && onError) {
                    // Not dangling: its target exists but cannot be looked at.
                    const int code = errno;
                    entry.name.clear();
                    codec::appendDecoded(name, entry.name);
                    onError(entry.name, code);
                    continue;
                }
            }
            entry.name.clear();
            codec::appendDecoded(name, entry.name);
            classify(own, resolved, followLinks, isHiddenName(name), entry);
            if (!onEntry(entry))
                return true;
        }
    }
}

bool statPath(PathView path, bool followLinks, DirEntry& out)
{
    std::string native;
    AtPath at;
    if (!encodeAt(path, native, at))
        return false;
    struct stat own;
    if (::fstatat(at.dir(), at.name(), &own, AT_SYMLINK_NOFOLLOW) != 0)
        return fail();
    struct stat target;
    const struct stat* resolved = nullptr;
    if (S_ISLNK(own.st_mode) && ::fstatat(at.dir(), at.name(), &target, 0) == 0)
        resolved = &target;
    const std::string_view name = lastComponent(native);
    out.name.clear();
    codec::appendDecoded(name, out.name);
    classify(own, resolved, followLinks, isHiddenName(name) && name != "." && name != "..", out);
    return true;
}

bool isExistingDirectory(PathView path, bool followLinks)
{
    std::string native;
    AtPath at;
    if (!encodeAt(path, native, at))
        return false;
    struct stat st;
    if (::fstatat(at.dir(), at.name(), &st, followLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return fail();
    if (!S_ISDIR(st.st_mode))
        return fail(ENOTDIR);
    return true;
}

bool setAttributes(PathView path, uint32_t attributes)
{
    std::string native;
    AtPath at;
    if (!encodeAt(path, native, at))
        return false;
    mode_t mode = mode_t((attributes >> 16) & 07777);
    if (mode == 0) {
        // A word without permission bits (one made by hand, such as "archive only") says only
        // whether the owner may write: keep the rest of the mode.
        struct stat st;
        if (::fstatat(at.dir(), at.name(), &st, 0) != 0)
            return fail();
        mode = st.st_mode & 07777;
        if (attributes & kAttrReadOnly)
            mode &= ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
        else
            mode |= S_IWUSR;
    }
    return ::fchmodat(at.dir(), at.name(), mode, 0) == 0 || fail();
}

bool setPermissions(PathView path, uint32_t mode)
{
    std::string native;
    AtPath at;
    if (!encodeAt(path, native, at))
        return false;
    return ::fchmodat(at.dir(), at.name(), mode_t(mode & 07777), 0) == 0 || fail();
}

PermissionResult setPermissionsIfKept(PathView path, uint32_t mode)
{
    std::string native;
    AtPath at;
    if (!encodeAt(path, native, at))
        return PermissionResult::Failed;
    if (::fchmodat(at.dir(), at.name(), mode_t(mode & 07777), 0) == 0)
        return PermissionResult::Kept;
    const int err = errno;
    struct stat st;
    if (::fstatat(at.dir(), at.name(), &st, 0) != 0)
        return fail(), PermissionResult::Failed;
    if (refusesPermissions(err, st.st_uid))
        return PermissionResult::NotKept;
    return fail(err), PermissionResult::Failed;
}

bool makeWritable(PathView path)
{
    return setOwnerWritable(path, true);
}

bool setOwnerWritable(PathView path, bool writable)
{
    std::string native;
    AtPath at;
    if (!encodeAt(path, native, at))
        return false;
    struct stat st;
    if (::fstatat(at.dir(), at.name(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail();
    // A link has no permissions of its own (replacing or removing it needs only the directory's),
    // and changing its target would touch a file outside the tree.
    if (S_ISLNK(st.st_mode) || bool(st.st_mode & S_IWUSR) == writable)
        return true;
    const mode_t mode = writable ? ((st.st_mode & 07777) | S_IWUSR) : ((st.st_mode & 07777) & ~mode_t(S_IWUSR));
    return ::fchmodat(at.dir(), at.name(), mode, 0) == 0 || fail();
}

LiftResult liftDirectoryForWriting(PathView path, uint32_t& previousMode)
{
    std::string native;
    AtPath at;
    if (!encodeAt(path, native, at))
        return LiftResult::Failed;
    struct stat st;
    if (::fstatat(at.dir(), at.name(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(), LiftResult::Failed;
    if (!S_ISDIR(st.st_mode)) // a link is never changed: its target may lie outside the tree
        return LiftResult::Unchanged;
    // Asked of the system rather than read from the bits: the super-user may write anyway.
    if (::faccessat(at.dir(), at.name(), W_OK | X_OK, AT_EACCESS) == 0)
        return LiftResult::Unchanged;
    if (st.st_uid != ::geteuid())
        return LiftResult::Unchanged; // not ours to change: the step itself will say why it failed
    previousMode = uint32_t(st.st_mode & 07777);
    if (::fchmodat(at.dir(), at.name(), (st.st_mode & 07777) | S_IWUSR | S_IXUSR, 0) != 0)
        return fail(), LiftResult::Failed;
    return LiftResult::Lifted;
}

bool createDirectories(PathView path)
{
    std::string native;
    if (!encode(path, native))
        return false;
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    struct stat st;
    {
        AtPath at;
        if (at.open(native) && ::fstatat(at.dir(), at.name(), &st, 0) == 0)
            return S_ISDIR(st.st_mode) || fail(ENOTDIR);
    }
    // Create each missing level from the first one that is missing.
    std::size_t pos = native.front() == '/' ? 1 : 0;
    for (;;) {
        const std::size_t slash = native.find('/', pos);
        const bool last = slash == std::string::npos;
        const std::string part = last ? native : native.substr(0, slash);
        if (!part.empty()) {
            AtPath at;
            if (!at.open(part))
                return fail();
            if (::mkdirat(at.dir(), at.name(), 0777) != 0) {
                const int err = errno;
                if (err != EEXIST)
                    return fail(err);
                if (::fstatat(at.dir(), at.name(), &st, 0) != 0 || !S_ISDIR(st.st_mode))
                    return fail(ENOTDIR);
            }
        }
        if (last)
            return true;
        pos = slash + 1;
    }
}

bool deleteFile(PathView path)
{
    std::string native;
    AtPath at;
    if (!encodeAt(path, native, at))
        return false;
    return ::unlinkat(at.dir(), at.name(), 0) == 0 || fail();
}

bool removeDirectory(PathView path)
{
    std::string native;
    AtPath at;
    if (!encodeAt(path, native, at))
        return false;
    return ::unlinkat(at.dir(), at.name(), AT_REMOVEDIR) == 0 || fail();
}

bool removeDirectoryTree(PathView path)
{
    std::string native;
    if (!encode(path, native))
        return false;
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    AtPath at;
    if (!at.open(native))
        return fail();
    struct stat st;
    if (::fstatat(at.dir(), at.name(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail();
    if (!S_ISDIR(st.st_mode)) // a link (or file) goes itself, never its target
        return ::unlinkat(at.dir(), at.name(), 0) == 0 || fail();
    return removeTreeAt(at.dir(), at.name());
}

bool isCopyTemporaryName(PathView name)
{
    constexpr std::u16string_view prefix = kCopyTemporaryPrefix;
    if (name.size() != prefix.size() + kCopyTemporaryRandomLength || name.substr(0, prefix.size()) != prefix)
        return false;
    for (const char16_t c : name.substr(prefix.size())) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')))
            return false;
    }
    return true;
}

namespace {

CopyResult copyFileNow(PathView source, PathView destination, const std::function<bool()>& cancelled, CopyNotes& notes,
                       std::atomic<uint64_t>* bytesDone)
{
    std::string src;
    std::string dst;
    if (!encode(source, src) || !encode(destination, dst))
        return CopyResult::Failed;

    // Non-blocking: opening a FIFO for reading would otherwise wait for a writer forever.
    AtPath srcAt;
    if (!srcAt.open(src))
        return fail(), CopyResult::Failed;
    FdGuard in(::openat(srcAt.dir(), srcAt.name(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (in.get() < 0)
        return fail(), CopyResult::Failed;
    struct stat st;
    if (::fstat(in.get(), &st) != 0)
        return fail(), CopyResult::Failed;
    if (!S_ISREG(st.st_mode))
        return fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL), CopyResult::Failed;
    ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // The temporary file lives beside the destination, in the same directory as the final name, so
    // the rename stays on one file system; both are named relative to that directory's descriptor.
    // Its name follows a fixed pattern (isCopyTemporaryName) so that one left by a killed run is
    // known for what it is at the next run.
    const auto slash = dst.rfind('/');
    const std::string parent = slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : dst.substr(0, slash));
    const std::string leaf = slash == std::string::npos ? dst : dst.substr(slash + 1);
    AtPath parentAt;
    if (!parentAt.open(parent))
        return fail(), CopyResult::Failed;
    FdGuard dir(::openat(parentAt.dir(), parentAt.name(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return fail(), CopyResult::Failed;
    std::string temp;
    codec::appendEncoded(kCopyTemporaryPrefix, temp);
    const std::size_t randomAt = temp.size();
    temp.append(kCopyTemporaryRandomLength, 'X');
    FdGuard out;
    {
        static constexpr char kChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        thread_local uint64_t state = uint64_t(::getpid()) * 0x9E3779B97F4A7C15ull ^ uint64_t(std::time(nullptr))
                                      ^ uint64_t(reinterpret_cast<uintptr_t>(&state));
        for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
            for (std::size_t i = 0; i < kCopyTemporaryRandomLength; ++i) {
                state ^= state << 13; // xorshift: the name need only be unlikely to be taken
                state ^= state >> 7;
                state ^= state << 17;
                temp[randomAt + i] = kChars[state % (sizeof kChars - 1)];
            }
            out.reset(::openat(dir.get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (out.get() < 0 && errno != EEXIST)
                break;
        }
    }
    if (out.get() < 0)
        return fail(), CopyResult::Failed;

    auto discard = [&](int err) {
        out.reset();
        ::unlinkat(dir.get(), temp.c_str(), 0);
        setLastError(err);
    };

    const posix::ContentCopy copied =
        posix::copyContent(in.get(), out.get(), posix::mayHaveHoles(st.st_size, st.st_blocks), cancelled, bytesDone);
    if (copied == posix::ContentCopy::Stopped) {
        discard(ECANCELED);
        return CopyResult::Stopped;
    }
    if (copied == posix::ContentCopy::Failed) {
        discard(errno);
        return CopyResult::Failed;
    }
    // Content and time are the backup; permission bits are kept where the file system has them.
    if (::fchmod(out.get(), st.st_mode & 07777) != 0) {
        if (!refusesPermissions(errno, ::geteuid())) {
            discard(errno);
            return CopyResult::Failed;
        }
        notes.permissionsNotKept = true;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out.get(), times) != 0) {
        discard(errno);
        return CopyResult::Failed;
    }
    const int fd = out.release();
    if (::close(fd) != 0) { // a delayed write error (full disk over NFS) shows here
        const int err = errno;
        ::unlinkat(dir.get(), temp.c_str(), 0);
        setLastError(err);
        return CopyResult::Failed;
    }
    if (cancelled()) {
        ::unlinkat(dir.get(), temp.c_str(), 0);
        setLastError(ECANCELED);
        return CopyResult::Stopped;
    }
    if (::renameat(dir.get(), temp.c_str(), dir.get(), leaf.c_str()) != 0) {
        const int err = errno;
        ::unlinkat(dir.get(), temp.c_str(), 0);
        setLastError(err);
        return CopyResult::Failed;
    }
    // What the copy's time reads back as: a file system may stamp a renamed file with the time of the
    // rename (the FUSE FAT driver does), and the copy would then look changed at every run. A time
    // further off than any resolution explains is set again on the final name.
    struct stat back;
    if (::fstatat(dir.get(), leaf.c_str(), &back, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(back.st_mode)
        && !withinTwoSeconds(back.st_mtim, st.st_mtim))
        ::utimensat(dir.get(), leaf.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return CopyResult::Copied;
}

} // namespace

CopyResult copyFile(PathView source, PathView destination, const std::atomic<bool>* stopFlag, CopyNotes* notes,
                    const std::shared_ptr<std::atomic<uint64_t>>& bytesDone)
{
    const StopTest stop = [stopFlag] { return stopFlag && stopFlag->load(std::memory_order_relaxed); };
    if (!mayNeverAnswer(directoryOf(source), stop) && !mayNeverAnswer(directoryOf(destination), stop)) {
        CopyNotes here;
        const CopyResult result = copyFileNow(source, destination, stop, here, bytesDone.get());
        if (notes)
            *notes = here;
        return result;
    }
    // On the helper thread: a share that stops answering cannot hold the run. The job owns its paths
    // and result, as it may outlive this call.
    struct Outcome
    {
        CopyResult result = CopyResult::Failed;
        CopyNotes notes;
    };
    const auto outcome = std::make_shared<Outcome>();
    const JobOutcome job = runStoppable(
        [src = Path(source), dst = Path(destination), outcome, bytesDone](const Cancellation& cancelled) {
            outcome->result = copyFileNow(src, dst, cancelled, outcome->notes, bytesDone.get());
        },
        stopFlag);
    if (job == JobOutcome::Abandoned)
        return CopyResult::Stopped;
    if (notes)
        *notes = outcome->notes;
    return outcome->result;
}

namespace {

// Days since 1899-12-30 with the time of day as fraction, from a broken-down local time.
double dateTimeOf(const struct tm& local, int32_t nanoseconds)
{
    const int64_t day = daysFromCivil(int64_t(local.tm_year) + 1900, unsigned(local.tm_mon + 1),
                                      unsigned(local.tm_mday))
                        - daysFromCivil(1899, 12, 30);
    const int64_t ms = (int64_t(local.tm_hour) * 3600 + local.tm_min * 60 + local.tm_sec) * 1000
                       + nanoseconds / 1000000;
    const double fraction = double(ms) / 86400000.0;
    // Before the epoch day the whole part counts down while the time of day still counts up.
    return day >= 0 ? double(day) + fraction : double(day) - fraction;
}

int64_t floorDay(int64_t seconds)
{
    return seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
}

// The same from seconds already shifted to local time, by plain arithmetic.
double dateTimeOfLocalSeconds(int64_t localSeconds, int32_t nanoseconds)
{
    const int64_t unixDay = floorDay(localSeconds);
    const int64_t secondOfDay = localSeconds - unixDay * 86400;
    const int64_t day = unixDay + 25569; // 1970-01-01 is day 25569
    const double fraction = double(secondOfDay * 1000 + nanoseconds / 1000000) / 86400000.0;
    return day >= 0 ? double(day) + fraction : double(day) - fraction;
}

} // namespace

double toLocalDateTime(const FileTime& time)
{
    struct tm local;
    const time_t seconds = time_t(time.seconds);
    if (!::localtime_r(&seconds, &local))
        return 0.0;
    return dateTimeOf(local, time.nanoseconds);
}

double LocalTimeConverter::convert(const FileTime& time)
{
    const int64_t day = floorDay(time.seconds);
    Slot& slot = m_slots[size_t(day) & (m_slots.size() - 1)];
    if (slot.day != day) {
        slot.day = day;
        slot.uniform = false;
        // The day is uniform when its first and last second both come out of localtime exactly as
        // the arithmetic with one offset gives them (no change of offset, no leap second between).
        const time_t first = time_t(day * 86400);
        const time_t last = time_t(day * 86400 + 86399);
        struct tm a;
        struct tm b;
        if (::localtime_r(&first, &a) && ::localtime_r(&last, &b) && a.tm_gmtoff == b.tm_gmtoff) {
            slot.offset = a.tm_gmtoff;
            slot.uniform = dateTimeOf(a, 0) == dateTimeOfLocalSeconds(int64_t(first) + slot.offset, 0)
                           && dateTimeOf(b, 0) == dateTimeOfLocalSeconds(int64_t(last) + slot.offset, 0);
        }
    }
    if (!slot.uniform)
        return toLocalDateTime(time);
    return dateTimeOfLocalSeconds(time.seconds + slot.offset, time.nanoseconds);
}

Path currentDirectory()
{
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            fail();
            return Path();
        }
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return fromNative(buffer);
}

} // namespace platform
