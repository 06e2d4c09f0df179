// What Linux tells about the file system that holds a path.

#include "engine/platform/FileSystemKind.h"

#include "engine/platform/PathCodec.h"
#include "engine/platform/PosixAt.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {

namespace {

using posix::AtPath;
using posix::FdGuard;

// Encodes a path and takes it apart for the *at calls; false with the error recorded.
bool openAt(PathView path, std::string& native, AtPath& at)
{
    if (!codec::encodeStrict(path, native)) {
        setLastError(errno);
        return false;
    }
    if (native.empty()) {
        setLastError(ENOENT);
        return false;
    }
    if (!at.open(native)) {
        setLastError(errno);
        return false;
    }
    return true;
}

// An open descriptor of the path itself (following links), for fstatfs and friends.
int openPath(PathView path)
{
    std::string native;
    AtPath at;
    if (!openAt(path, native, at))
        return -1;
    const int fd = ::openat(at.dir(), at.name(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        setLastError(errno);
    return fd;
}

// The mount table's type for a device ("ext4", "fuse.fusefat"); empty when none is listed.
std::string mountTypeOf(dev_t device)
{
    std::ifstream table("/proc/self/mountinfo");
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "%u:%u", ::major(device), ::minor(device));
    std::string line;
    while (std::getline(table, line)) {
        // "36 35 98:0 /root /mnt rw,noatime master:1 - ext3 /dev/root rw": the third field is the
        // device, the first after " - " the type.
        std::string_view rest(line);
        for (int field = 0; field < 2; ++field) {
            const auto space = rest.find(' ');
            if (space == std::string_view::npos)
                break;
            rest.remove_prefix(space + 1);
        }
        const auto end = rest.find(' ');
        if (rest.substr(0, end) != wanted)
            continue;
        const auto dash = line.find(" - ");
        if (dash == std::string::npos)
            continue;
        const std::string_view after = std::string_view(line).substr(dash + 3);
        return std::string(after.substr(0, after.find(' ')));
    }
    return {};
}

constexpr uint64_t kMsdosMagic = 0x4d44;
constexpr uint64_t kExfatMagic = 0x2011BAB0;
constexpr uint64_t kNtfsMagic = 0x5346544e; // the old driver and ntfs3
constexpr uint64_t kFuseMagic = 0x65735546;

// A local calendar time as the system's time; FAT keeps local times, so its range ends are local.
FileTime localTime(int year, int month, int day, int hour, int minute, int second)
{
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return FileTime{int64_t(::mktime(&t)), 0};
}

// FAT and exFAT: local times from 1980 to the end of 2107; FAT in steps of two seconds.
void keepAsFat(FileSystemKind& kind, int64_t resolutionNs)
{
    kind.keepsPermissions = false;
    kind.timesKnown = TimesKnown::FromType;
    kind.times.resolutionNs = resolutionNs;
    kind.times.bounded = true;
    kind.times.earliest = localTime(1980, 1, 1, 0, 0, 0);
    kind.times.latest = localTime(2107, 12, 31, 23, 59, 58);
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// What the type is known to keep. Types not named here keep permissions, and their times are
// learnt by probing or from the copies.
void applyType(FileSystemKind& kind)
{
    const std::string_view name = kind.typeName;
    if (kind.magic == kMsdosMagic || name == "vfat" || name == "msdos" || name == "fuse.fusefat") {
        keepAsFat(kind, 2'000'000'000);
    } else if (kind.magic == kExfatMagic || name == "exfat") {
        keepAsFat(kind, 10'000'000);
    } else if (name == "fuse.exfat" || name == "fuse.exfat-fuse") {
        keepAsFat(kind, 2'000'000'000); // the FUSE drivers do not all keep the hundredths
    } else if (kind.magic == kNtfsMagic || name == "ntfs" || name == "ntfs3") {
        kind.keepsPermissions = false;
        kind.timesKnown = TimesKnown::FromType;
        kind.times.resolutionNs = 100;
    } else if (startsWith(name, "fuseblk") || name == "fuse.ntfs-3g" || name == "fuse.ntfs") {
        // ntfs-3g and the FUSE exFAT driver mount as fuseblk: neither keeps permission bits by default.
        kind.keepsPermissions = false;
    }
}

int64_t totalNs(const FileTime& t)
{
    return t.seconds * 1'000'000'000 + t.nanoseconds;
}

bool sameTime(const FileTime& a, const FileTime& b)
{
    return a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
}

// Sets both times of the open file and reads the modification time back.
bool roundTrip(int fd, const FileTime& time, FileTime& back)
{
    const struct timespec times[2] = {{time_t(time.seconds), long(time.nanoseconds)},
                                      {time_t(time.seconds), long(time.nanoseconds)}};
    struct stat st;
    if (::futimens(fd, times) != 0 || ::fstat(fd, &st) != 0)
        return false;
    back = FileTime{int64_t(st.st_mtim.tv_sec), int32_t(st.st_mtim.tv_nsec)};
    return true;
}

} // namespace

bool isPseudoFileSystemType(uint64_t magic)
{
    switch (magic) {
    case 0x9fa0:     // proc
    case 0x62656572: // sysfs
    case 0x64626720: // debugfs
    case 0x74726163: // tracefs
    case 0x73636673: // securityfs
    case 0x27e0eb:   // cgroup
    case 0x63677270: // cgroup2
    case 0x1cd1:     // devpts
    case 0xcafe4a11: // bpf
    case 0x6165676C: // pstore
    case 0x62656570: // configfs
    case 0xde5e81e4: // efivarfs
    case 0x42494e4d: // binfmt_misc
    case 0x65735543: // fusectl
    case 0x19800202: // mqueue
    case 0xf97cff8c: // selinuxfs
    case 0x43415d53: // smackfs
    case 0x6e736673: // nsfs
    case 0x67596969: // rpc_pipefs
    case 0x6e667364: // nfsd
        return true;
    default:
        return false;
    }
}

bool isOnPseudoFileSystem(PathView path)
{
    const FdGuard fd(openPath(path));
    if (fd.get() < 0)
        return false;
    struct statfs fs;
    if (::fstatfs(fd.get(), &fs) != 0) {
        setLastError(errno);
        return false;
    }
    return isPseudoFileSystemType(uint64_t(fs.f_type));
}

FileSystemKind describeFileSystem(PathView path)
{
    FileSystemKind kind;
    const FdGuard fd(openPath(path));
    if (fd.get() < 0)
        return kind;
    struct statfs fs;
    struct stat st;
    if (::fstatfs(fd.get(), &fs) != 0 || ::fstat(fd.get(), &st) != 0) {
        setLastError(errno);
        return kind;
    }
    kind.found = true;
    kind.magic = uint64_t(fs.f_type);
    kind.pseudo = isPseudoFileSystemType(kind.magic);
    kind.typeName = mountTypeOf(st.st_dev);
    if (kind.typeName.empty() && kind.magic == kFuseMagic)
        kind.typeName = "fuse";
    applyType(kind);
    return kind;
}

bool probeTimeKeeping(PathView directory, TimeKeeping& out)
{
    std::string native;
    AtPath at;
    if (!openAt(directory, native, at))
        return false;
    const FdGuard fd(::openat(at.dir(), at.name(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
        setLastError(errno);
        return false;
    }
    // An odd second with a fraction finer than any resolution: what comes back shows the step.
    const FileTime fine{1'600'000'001, 987'654'321};
    // Two times beyond what small time fields hold (2200 and 1800).
    const FileTime late{7'258'118'400, 0};
    const FileTime early{-5'364'662'400, 0};
    FileTime fineBack;
    FileTime lateBack;
    FileTime earlyBack;
    if (!roundTrip(fd.get(), fine, fineBack) || !roundTrip(fd.get(), late, lateBack)
        || !roundTrip(fd.get(), early, earlyBack)) {
        setLastError(errno);
        return false;
    }
    TimeKeeping keeping;
    const int64_t lost = totalNs(fine) - totalNs(fineBack);
    keeping.resolutionNs = 0;
    // The kernel cuts a time down to the file system's step; a driver that rounds is accepted too.
    for (const int64_t step : {int64_t(1), int64_t(100), int64_t(1'000), int64_t(1'000'000), int64_t(10'000'000),
                               int64_t(1'000'000'000), int64_t(2'000'000'000)}) {
        if (lost >= 0 && lost < step && totalNs(fineBack) % step == 0) {
            keeping.resolutionNs = step;
            break;
        }
    }
    for (const int64_t step : {int64_t(1'000'000), int64_t(1'000'000'000), int64_t(2'000'000'000)}) {
        if (keeping.resolutionNs == 0 && lost > -step && lost < step)
            keeping.resolutionNs = step;
    }
    if (keeping.resolutionNs == 0) {
        setLastError(ERANGE); // nothing like a time came back: learn nothing from it
        return false;
    }
    // A time cut to the range comes back as its end; one that comes back as anything else (a field
    // that wrapped) tells no end, and the range stays open on that side.
    keeping.earliest = FileTime{INT64_MIN / 1'000'000'000, 0};
    keeping.latest = FileTime{INT64_MAX / 1'000'000'000, 0};
    if (!sameTime(lateBack, late) && totalNs(lateBack) > totalNs(fine) && totalNs(lateBack) < totalNs(late)) {
        keeping.bounded = true;
        keeping.latest = lateBack;
    }
    if (!sameTime(earlyBack, early) && totalNs(earlyBack) < totalNs(fine) && totalNs(earlyBack) > totalNs(early)) {
        keeping.bounded = true;
        keeping.earliest = earlyBack;
    }
    out = keeping;
    return true;
}

} // namespace platform
