#pragma once

// Getting written data onto the storage device, and reading it back from there. A backup that said
// it finished must survive the drive being unplugged right after, and a verification must read what
// the device holds, not the copy the page cache still keeps of what was written.

#include "engine/platform/Platform.h"

#include <atomic>

namespace platform {

// Writes everything the file system holding path has not yet written to its device, and waits for
// it (syncfs: one call for the whole file system, not one flush per file). A stop (stopFlag, may be
// null) frees the caller within a second; the flush itself goes on in the system. False with the
// error recorded: the device reported a write error (EIO, ENOSPC, ...), or ECANCELED after a stop.
bool syncFileSystem(PathView path, const std::atomic<bool>* stopFlag);

// Writes one file's data out to its device and drops its pages from the page cache, so that the
// next read of it comes from the device. Not a durable flush (see syncFileSystem). False with the
// error recorded when the file cannot be opened or its data cannot be written.
bool dropCachedData(PathView file);

} // namespace platform
