#include "engine/RsCachedFileStream.h"

#include "engine/platform/PosixAt.h"

#include "engine/platform/PathCodec.h"
#include "engine/platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

TRsStream::~TRsStream() = default;

void TRsStream::ReadBuffer(void* buffer, qint32 count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw ERsStreamError(u"Stream read error"_s);
}

void TRsStream::WriteBuffer(const void* buffer, qint32 count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw ERsStreamError(u"Stream write error"_s);
}

qint64 TRsStream::CopyFrom(TRsStream& Source, qint64 Count)
{
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    if (Count <= 0)
        return Count;
    constexpr qint64 kMaxBuffer = 0xF000;
    const qint32 bufferSize = qint32(std::min(Count, kMaxBuffer));
    const std::unique_ptr<unsigned char[]> buffer(new unsigned char[size_t(bufferSize)]);
    qint64 remaining = Count;
    while (remaining > 0) {
        const qint32 n = qint32(std::min<qint64>(remaining, bufferSize));
        Source.ReadBuffer(buffer.get(), n);
        WriteBuffer(buffer.get(), n);
        remaining -= n;
    }
    return Count;
}

TRsCachedFileStream::TRsCachedFileStream(const QString& AFileName, quint16 AMode, qint32 ACacheSize)
    : FFileName(AFileName)
{
    if (AMode == fmCreate) {
        FFileAccessMode = O_RDWR;
        FShareMode = 0;
        FCreationMode = O_CREAT | O_TRUNC;
    } else {
        switch (AMode & 3) {
        case 0:
            FFileAccessMode = O_RDONLY;
            break;
        case 1:
            FFileAccessMode = O_WRONLY;
            break;
        default:
            FFileAccessMode = O_RDWR;
            break;
        }
        FShareMode = AMode & 0xF0;
        FCreationMode = 0;
    }

    // The name goes to open(2) in its exact byte form; no long-path prefix is needed here.
    std::string native;
    const platform::PathView path(reinterpret_cast<const char16_t*>(AFileName.utf16()), size_t(AFileName.size()));
    const bool encoded = platform::codec::encodeStrict(path, native);
    if (!encoded || native.empty()) {
        platform::setLastError(encoded ? ENOENT : errno);
        raise(u"Cannot open file: %1");
    }
    // Non-blocking so that a FIFO cannot hang the open; only regular files are kept.
    platform::posix::AtPath at; // a path of any length
    FHandle = at.open(native) ? ::openat(at.dir(), at.name(), FFileAccessMode | FCreationMode | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666) : -1;
    if (FHandle < 0) {
        platform::setLastError(errno);
        raise(u"Cannot open file: %1");
    }
    struct stat st;
    if (::fstat(FHandle, &st) != 0) {
        platform::setLastError(errno);
        ::close(FHandle);
        FHandle = -1;
        raise(u"GetFileSizeEx failed: %1");
    }
    if (!S_ISREG(st.st_mode)) {
        platform::setLastError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        ::close(FHandle);
        FHandle = -1;
        raise(u"Cannot open file: %1");
    }
    ::fcntl(FHandle, F_SETFL, ::fcntl(FHandle, F_GETFL) & ~O_NONBLOCK);
    if (FFileAccessMode != O_WRONLY)
        ::posix_fadvise(FHandle, 0, 0, POSIX_FADV_SEQUENTIAL);
    FSize = st.st_size;
    FCacheSize = std::max<qint32>(ACacheSize, 1);
    FCache = new unsigned char[size_t(FCacheSize)];
}

TRsCachedFileStream::~TRsCachedFileStream()
{
    delete[] FCache;
    if (FHandle >= 0)
        ::close(FHandle);
}

void TRsCachedFileStream::raise(const char16_t* format) const
{
    // Every caller set the failing call's code just before: the error carries it from here on.
    throw ERsCachedFileStreamError(QString::fromUtf16(format).arg(FFileName), ReasonText(platform::lastError().code));
}

qint64 TRsCachedFileStream::GetSize()
{
    return FSize;
}

void TRsCachedFileStream::SetSize(qint64 newSize)
{
    if (::lseek(FHandle, off_t(newSize), SEEK_SET) < 0) {
        platform::setLastError(errno);
        raise(u"SetFilePointerEx failed: %1");
    }
    if (::ftruncate(FHandle, off_t(newSize)) != 0) {
        platform::setLastError(errno);
        raise(u"SetEndOfFile failed: %1");
    }
    FCurrentPosition = newSize;
    FSize = newSize;
    // Bytes past the new end are gone; bytes before it may have changed size: start afresh.
    FCacheStart = FCacheEnd = 0;
}

// Fills the cache from the current position. False when nothing could be read (end or failure).
bool TRsCachedFileStream::refill()
{
    FCacheStart = FCurrentPosition;
    FCacheEnd = FCacheStart;
    if (::lseek(FHandle, off_t(FCacheStart), SEEK_SET) < 0) {
        platform::setLastError(errno);
        raise(u"SetFilePointerEx failed: %1");
    }
    ++m_refillCount;
    qint32 filled = 0;
    while (filled < FCacheSize) {
        const ssize_t n = ::read(FHandle, FCache + filled, size_t(FCacheSize - filled));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FReadError = errno;
            platform::setLastError(errno);
            break;
        }
        if (n == 0)
            break;
        filled += qint32(n);
    }
    FCacheEnd = FCacheStart + filled;
    return filled > 0;
}

qint32 TRsCachedFileStream::Read(void* buffer, qint32 count)
{
    auto out = static_cast<unsigned char*>(buffer);
    qint32 total = 0;
    while (count > 0) {
        if (FCurrentPosition < FCacheStart || FCurrentPosition >= FCacheEnd) {
            if (!refill())
                break;
        }
        const qint32 k = qint32(std::min<qint64>(count, FCacheEnd - FCurrentPosition));
        std::memcpy(out, FCache + (FCurrentPosition - FCacheStart), size_t(k));
        out += k;
        FCurrentPosition += k;
        total += k;
        count -= k;
    }
    return total;
}

qint32 TRsCachedFileStream::Write(const void* buffer, qint32 count)
{
    auto in = static_cast<const unsigned char*>(buffer);
    qint32 total = 0;
    while (total < count) {
        const ssize_t n = ::write(FHandle, in + total, size_t(count - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            platform::setLastError(errno);
            return total == 0 ? 0 : total;
        }
        total += qint32(n);
    }
    return total;
}

qint64 TRsCachedFileStream::Seek(qint64 offset, TSeekOrigin origin)
{
    switch (origin) {
    case soBeginning:
        FCurrentPosition = offset;
        break;
    case soCurrent:
        FCurrentPosition += offset;
        break;
    case soEnd:
        FCurrentPosition = FSize + offset;
        break;
    }
    return FCurrentPosition;
}
