#pragma once

// What a backup needs to know about the file system that holds a path: whether its files are real
// (a pseudo file system such as proc makes their content up as it is read, and some never end),
// whether it keeps permission bits (FAT, exFAT and NTFS through FUSE have none), and how finely and
// over which years it keeps modification times (FAT: two seconds from 1980 to 2107; ext4 with
// 128-byte inodes: whole seconds up to 2038).

#include "engine/platform/Platform.h"

#include <cstdint>
#include <string>

namespace platform {

struct TimeKeeping
{
    // The step between two times the file system can hold, in nanoseconds (1: kept exactly).
    int64_t resolutionNs = 1;
    // Times outside [earliest, latest] are not kept as given (set to the nearest end, or worse).
    bool bounded = false;
    FileTime earliest;
    FileTime latest;
};

enum class TimesKnown : uint8_t {
    No,        // nothing says: the caller may judge by what the copies' times read back as
    FromType,  // the file system's type fixes them
    FromProbe, // a time written and read back showed them
};

struct FileSystemKind
{
    bool found = false;       // the path's file system could be asked; nothing below counts otherwise
    uint64_t magic = 0;       // statfs's f_type
    std::string typeName;     // as the mount table names it ("ext4", "vfat", "fuse.fusefat"); may be empty
    bool pseudo = false;      // its files' content is made up as they are read
    bool keepsPermissions = true;
    TimesKnown timesKnown = TimesKnown::No;
    TimeKeeping times;
};

// True for the f_type of a pseudo file system (proc, sysfs, debugfs, cgroup, ...).
bool isPseudoFileSystemType(uint64_t magic);

// True when path (links followed) lies on a pseudo file system. One statfs: cheap enough to ask once
// for every mount a scan crosses. False when it cannot be asked (the error is recorded).
bool isOnPseudoFileSystem(PathView path);

// The file system of path (links followed): statfs, the mount table's type for its device, and what
// that type is known to keep. Does not probe (see probeTimeKeeping).
FileSystemKind describeFileSystem(PathView path);

// Learns how the file system of directory keeps times by setting times on an unnamed temporary file
// there (O_TMPFILE: nothing appears in the directory and its own times stay as they are) and reading
// them back. False (error recorded) where the file system or the directory's permissions refuse it.
bool probeTimeKeeping(PathView directory, TimeKeeping& out);

} // namespace platform
