#pragma once

// A file stream on a plain descriptor with a read cache, and the small stream base it derives from.

#include "engine/RsFileUtils.h"

#include <QString>

#include <cstdint>

// File-mode word: the create value, or an access (low two bits) combined with a sharing part.
inline constexpr quint16 fmCreate = 0xFF00;
inline constexpr quint16 fmOpenRead = 0x0000;
inline constexpr quint16 fmOpenWrite = 0x0001;
inline constexpr quint16 fmOpenReadWrite = 0x0002;
inline constexpr quint16 fmShareExclusive = 0x0010;
inline constexpr quint16 fmShareDenyWrite = 0x0020;
inline constexpr quint16 fmShareDenyRead = 0x0030;
inline constexpr quint16 fmShareDenyNone = 0x0040;

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// ReadBuffer or WriteBuffer moved fewer bytes than asked ("Stream read error", "Stream write error").
class ERsStreamError : public ERsError
{
public:
    using ERsError::ERsError;
};

// Opening, positioning, size or truncation of a cached file stream failed; the error carries the
// system's reason (it is also the thread's last error).
class ERsCachedFileStreamError : public ERsError
{
public:
    using ERsError::ERsError;
};

// A stream of bytes with a 64-bit position and size.
class TRsStream
{
public:
    virtual ~TRsStream();

    virtual qint64 GetSize() = 0;
    virtual void SetSize(qint64 newSize) = 0;
    // Returns the bytes moved, possibly fewer than asked (0 at the end or on failure).
    virtual qint32 Read(void* buffer, qint32 count) = 0;
    // The system's error code of the last read that failed; 0 when none did (a short read was the
    // end of the data).
    virtual int ReadError() const { return 0; }
    virtual qint32 Write(const void* buffer, qint32 count) = 0;
    virtual qint64 Seek(qint64 offset, TSeekOrigin origin) = 0;

    qint64 Position() { return Seek(0, soCurrent); }
    void SetPosition(qint64 position) { Seek(position, soBeginning); }
    qint64 Size() { return GetSize(); }

    // Move exactly count bytes or raise ERsStreamError.
    void ReadBuffer(void* buffer, qint32 count);
    void WriteBuffer(const void* buffer, qint32 count);
    // Copies count bytes from Source's position (count 0: all of Source, from its start) and returns
    // the count copied.
    qint64 CopyFrom(TRsStream& Source, qint64 Count);
};

class TRsCachedFileStream : public TRsStream
{
public:
    // Opens fileName according to the file-mode word AMode with a read cache of ACacheSize bytes.
    // Only regular files are opened (a FIFO would block a reader forever, a directory has no bytes).
    // POSIX has no share modes: the sharing part is accepted and not enforced.
    TRsCachedFileStream(const QString& AFileName, quint16 AMode, qint32 ACacheSize);
    ~TRsCachedFileStream() override;
    TRsCachedFileStream(const TRsCachedFileStream&) = delete;
    TRsCachedFileStream& operator=(const TRsCachedFileStream&) = delete;

    qint64 GetSize() override;
    void SetSize(qint64 newSize) override;
    qint32 Read(void* buffer, qint32 count) override;
    int ReadError() const override { return FReadError; }
    qint32 Write(const void* buffer, qint32 count) override;
    qint64 Seek(qint64 offset, TSeekOrigin origin) override;

    int Handle() const { return FHandle; }
    const QString& FileName() const { return FFileName; }
    // How many times the cache was filled from the file: each fill is one positioning and one read.
    qint64 RefillCount() const { return m_refillCount; }

private:
    [[noreturn]] void raise(const char16_t* format) const;
    bool refill();

    int FHandle = -1;
    int FReadError = 0;
    QString FFileName;
    qint64 FSize = 0;
    int FFileAccessMode = 0; // open(2) flags for the access and creation
    quint32 FShareMode = 0;  // the sharing part as given: kept for what it documents, not enforced
    int FCreationMode = 0;   // O_CREAT | O_TRUNC for the create mode
    unsigned char* FCache = nullptr;
    qint32 FCacheSize = 0;
    qint64 FCurrentPosition = 0;
    qint64 FCacheStart = 0;
    qint64 FCacheEnd = 0;
    qint64 m_refillCount = 0;
};
