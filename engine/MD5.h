#pragma once

// The MD5 digest (RFC 1321) used to verify copies.

#include <QString>
#include <QStringConverter>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class TRsStream;

// The four MD5 state words after finalisation; stored little-endian they are the 16 digest bytes in
// their usual order. All zero: no digest was computed.
struct TMD5Digest
{
    quint32 A = 0;
    quint32 B = 0;
    quint32 C = 0;
    quint32 D = 0;

    bool isEmpty() const { return (A | B | C | D) == 0; }
};

// One digest in progress. Whole 64-byte blocks are processed straight from the caller's buffer;
// only a partial block is copied into the context.
class TMD5Context
{
public:
    TMD5Context();
    void update(const void* data, size_t length);
    TMD5Digest finish();

private:
    quint32 m_state[4];
    quint64 m_length = 0; // bytes fed so far
    unsigned char m_buffer[64];
};

// The digest functions. Holds no state: one instance may serve any number of digests.
class TMD5
{
public:
    using TBreakFunction = std::function<bool()>;

    // Bytes of AStr in AEncoding, or in 7-bit ASCII (a character outside it counts as "?") when none.
    TMD5Digest HashString(const QString& AStr, std::optional<QStringConverter::Encoding> AEncoding = std::nullopt) const;
    QString HashStringAsHex(const QString& AStr,
                            std::optional<QStringConverter::Encoding> AEncoding = std::nullopt) const;
    // The whole content of the stream, read from its start in 4096-byte pieces; the stream's position
    // is restored afterwards. When ABreak answers true after a piece, the digest of the part read so far
    // is returned (callers test their stop flag and discard it). A read that yields nothing before the
    // end raises an error that says why: the read's own failure (ERsFileError), or ERsStreamError
    // for a stream that ended early. bytesRead (may be null) grows by every piece read.
    TMD5Digest HashStream(TRsStream& AStream, const TBreakFunction& ABreak,
                          std::atomic<uint64_t>* bytesRead = nullptr) const;
    QString HashStreamAsHex(TRsStream& AStream, const TBreakFunction& ABreak) const;
    TMD5Digest HashBytes(const void* data, size_t length) const;
};

enum class TDigestRead {
    FromCache,  // whatever the system serves: the page cache where it holds the file
    FromDevice, // the file's data flushed and dropped from the cache first, so the device is read
};

// Digest of a file, read through the cached file stream (read, deny write). Raises
// ERsCachedFileStreamError when the file cannot be opened or read, or (FromDevice) its data cannot
// be written to its device, and HashStream's errors when it cannot be read to its end. The reads run
// on a helper thread: when ABreak answers true and a read does not return within half a second, the
// caller is freed and gets an empty digest. bytesRead (may be null) grows as the file is read; it is
// shared with the helper, which may outlive the call.
TMD5Digest GetFileMD5(const QString& fileName, const TMD5::TBreakFunction& ABreak,
                      TDigestRead read = TDigestRead::FromCache,
                      const std::shared_ptr<std::atomic<uint64_t>>& bytesRead = {});

// True when both digests have the same 16 bytes.
bool SameMD5Digest(const TMD5Digest& a, const TMD5Digest& b);

// 32 upper-case hexadecimal digits, two per digest byte in digest order (low byte of A first).
QString MD5DigestToHex(const TMD5Digest& digest);
