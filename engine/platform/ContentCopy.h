#pragma once

// Copying the bytes of one open file into another, for the POSIX platform layer: copy_file_range
// where the kernel offers it between the two file systems, plain reads and writes otherwise, and
// the holes of a sparse file kept as holes (found with SEEK_DATA and SEEK_HOLE), as cp does.

#include <atomic>
#include <cstdint>
#include <functional>

namespace platform::posix {

enum class ContentCopy { Done, Failed, Stopped };

// Copies all of in into out, which is empty; both descriptors are at offset 0. cancelled (may be
// empty) is asked between chunks. sparse: in may have holes (fewer blocks allocated than its size says);
// its data ranges alone are copied and out gets in's size, its holes unwritten. Failed leaves errno.
// bytesDone (may be null) grows by every byte copied.
ContentCopy copyContent(int in, int out, bool sparse, const std::function<bool()>& cancelled,
                        std::atomic<uint64_t>* bytesDone = nullptr);

// True when the file's status says it may have holes: fewer 512-byte blocks allocated than its size
// needs. A compressed or inline file may say so too; the copy is the same then, only slower.
bool mayHaveHoles(int64_t size, int64_t blocks);

} // namespace platform::posix
