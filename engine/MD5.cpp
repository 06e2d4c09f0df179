#include "engine/MD5.h"

#include "app/LangExtra.h"
#include "engine/RsCachedFileStream.h"
#include "engine/platform/Durability.h"
#include "engine/platform/StoppableCall.h"

#include <cerrno>

#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

inline quint32 load32(const unsigned char* p)
{
    quint32 v;
    std::memcpy(&v, p, 4);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

inline void store32(unsigned char* p, quint32 v)
{
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    std::memcpy(p, &v, 4);
}

inline quint32 rotl(quint32 v, int s)
{
    return (v << s) | (v >> (32 - s));
}

// The four auxiliary functions, in the forms that need the fewest operations.
#define MD5_F(b, c, d) ((d) ^ ((b) & ((c) ^ (d))))
#define MD5_G(b, c, d) ((c) ^ ((d) & ((b) ^ (c))))
#define MD5_H(b, c, d) ((b) ^ (c) ^ (d))
#define MD5_I(b, c, d) ((c) ^ ((b) | ~(d)))
#define MD5_STEP(f, a, b, c, d, x, t, s)                                                                     \
    a += f(b, c, d) + (x) + quint32(t);                                                                      \
    a = rotl(a, s) + (b)

void processBlocks(quint32 state[4], const unsigned char* p, size_t blocks)
{
    quint32 a = state[0];
    quint32 b = state[1];
    quint32 c = state[2];
    quint32 d = state[3];
    for (; blocks > 0; --blocks, p += 64) {
        quint32 x[16];
        for (int i = 0; i < 16; ++i)
            x[i] = load32(p + 4 * i);
        const quint32 aa = a, bb = b, cc = c, dd = d;

        MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478, 7);
        MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12);
        MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070db, 17);
        MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22);
        MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7);
        MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62a, 12);
        MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613, 17);
        MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501, 22);
        MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8, 7);
        MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12);
        MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17);
        MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7be, 22);
        MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122, 7);
        MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193, 12);
        MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438e, 17);
        MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821, 22);

        MD5_STEP(MD5_G, a, b, c, d, x[1], 0xf61e2562, 5);
        MD5_STEP(MD5_G, d, a, b, c, x[6], 0xc040b340, 9);
        MD5_STEP(MD5_G, c, d, a, b, x[11], 0x265e5a51, 14);
        MD5_STEP(MD5_G, b, c, d, a, x[0], 0xe9b6c7aa, 20);
        MD5_STEP(MD5_G, a, b, c, d, x[5], 0xd62f105d, 5);
        MD5_STEP(MD5_G, d, a, b, c, x[10], 0x02441453, 9);
        MD5_STEP(MD5_G, c, d, a, b, x[15], 0xd8a1e681, 14);
        MD5_STEP(MD5_G, b, c, d, a, x[4], 0xe7d3fbc8, 20);
        MD5_STEP(MD5_G, a, b, c, d, x[9], 0x21e1cde6, 5);
        MD5_STEP(MD5_G, d, a, b, c, x[14], 0xc33707d6, 9);
        MD5_STEP(MD5_G, c, d, a, b, x[3], 0xf4d50d87, 14);
        MD5_STEP(MD5_G, b, c, d, a, x[8], 0x455a14ed, 20);
        MD5_STEP(MD5_G, a, b, c, d, x[13], 0xa9e3e905, 5);
        MD5_STEP(MD5_G, d, a, b, c, x[2], 0xfcefa3f8, 9);
        MD5_STEP(MD5_G, c, d, a, b, x[7], 0x676f02d9, 14);
        MD5_STEP(MD5_G, b, c, d, a, x[12], 0x8d2a4c8a, 20);

        MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942, 4);
        MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681, 11);
        MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16);
        MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380c, 23);
        MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44, 4);
        MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11);
        MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16);
        MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23);
        MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4);
        MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11);
        MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16);
        MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05, 23);
        MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4);
        MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11);
        MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16);
        MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23);

        MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244, 6);
        MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97, 10);
        MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7, 15);
        MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039, 21);
        MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3, 6);
        MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10);
        MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47d, 15);
        MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1, 21);
        MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6);
        MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
        MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314, 15);
        MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21);
        MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82, 6);
        MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235, 10);
        MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
        MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391, 21);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

#undef MD5_F
#undef MD5_G
#undef MD5_H
#undef MD5_I
#undef MD5_STEP

constexpr qint32 kPieceSize = 4096;
// The digest reads through a 1 MiB cache: one system call per 256 pieces keeps the digest close to
// the speed of the block function even for files in the page cache.
constexpr qint32 kFileCacheSize = 1 << 20;

} // namespace

TMD5Context::TMD5Context() : m_state{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} { }

void TMD5Context::update(const void* data, size_t length)
{
    auto p = static_cast<const unsigned char*>(data);
    size_t used = size_t(m_length & 63);
    m_length += length;
    if (used != 0) {
        const size_t take = std::min(length, 64 - used);
        std::memcpy(m_buffer + used, p, take);
        used += take;
        p += take;
        length -= take;
        if (used < 64)
            return;
        processBlocks(m_state, m_buffer, 1);
    }
    const size_t blocks = length / 64;
    if (blocks != 0) {
        processBlocks(m_state, p, blocks);
        p += blocks * 64;
        length -= blocks * 64;
    }
    if (length != 0)
        std::memcpy(m_buffer, p, length);
}

TMD5Digest TMD5Context::finish()
{
    const quint64 bits = m_length * 8;
    size_t used = size_t(m_length & 63);
    m_buffer[used++] = 0x80;
    if (used > 56) {
        std::memset(m_buffer + used, 0, 64 - used);
        processBlocks(m_state, m_buffer, 1);
        used = 0;
    }
    std::memset(m_buffer + used, 0, 56 - used);
    store32(m_buffer + 56, quint32(bits));
    store32(m_buffer + 60, quint32(bits >> 32));
    processBlocks(m_state, m_buffer, 1);
    TMD5Digest digest;
    digest.A = m_state[0];
    digest.B = m_state[1];
    digest.C = m_state[2];
    digest.D = m_state[3];
    return digest;
}

TMD5Digest TMD5::HashBytes(const void* data, size_t length) const
{
    TMD5Context context;
    context.update(data, length);
    return context.finish();
}

TMD5Digest TMD5::HashString(const QString& AStr, std::optional<QStringConverter::Encoding> AEncoding) const
{
    QByteArray bytes;
    if (AEncoding) {
        QStringEncoder encoder(*AEncoding);
        bytes = encoder.encode(AStr);
    } else {
        bytes.reserve(AStr.size());
        for (qsizetype i = 0; i < AStr.size(); ++i) {
            const char16_t c = AStr[i].unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < AStr.size() && QChar::isLowSurrogate(AStr[i + 1].unicode()))
                ++i; // one character, one "?"
            bytes.append(c < 0x80 ? char(c) : '?');
        }
    }
    return HashBytes(bytes.constData(), size_t(bytes.size()));
}

QString TMD5::HashStringAsHex(const QString& AStr, std::optional<QStringConverter::Encoding> AEncoding) const
{
    return MD5DigestToHex(HashString(AStr, AEncoding));
}

TMD5Digest TMD5::HashStream(TRsStream& AStream, const TBreakFunction& ABreak, std::atomic<uint64_t>* bytesRead) const
{
    const qint64 saved = AStream.Position();
    unsigned char piece[kPieceSize];
    TMD5Context context;
    try {
        AStream.SetPosition(0);
        const qint64 size = AStream.Size();
        while (AStream.Position() != size) {
            const qint32 n = AStream.Read(piece, kPieceSize);
            if (n <= 0) {
                // The reason is taken here: a failed read has its own; a read that found the end
                // early means the file became shorter while it was read.
                if (const int code = AStream.ReadError())
                    throw ERsFileError(u"Stream read error"_s, code);
                throw ERsStreamError(u"Stream read error"_s, u'(' + LogReasonFileShrank + u')');
            }
            context.update(piece, size_t(n));
            if (bytesRead)
                bytesRead->fetch_add(uint64_t(n), std::memory_order_relaxed);
            if (ABreak && ABreak())
                break;
        }
    } catch (...) {
        AStream.SetPosition(saved);
        throw;
    }
    AStream.SetPosition(saved);
    return context.finish();
}

QString TMD5::HashStreamAsHex(TRsStream& AStream, const TBreakFunction& ABreak) const
{
    return MD5DigestToHex(HashStream(AStream, ABreak));
}

TMD5Digest GetFileMD5(const QString& fileName, const TMD5::TBreakFunction& ABreak, TDigestRead read,
                      const std::shared_ptr<std::atomic<uint64_t>>& bytesRead)
{
    const platform::PathView path(reinterpret_cast<const char16_t*>(fileName.utf16()), size_t(fileName.size()));
    const platform::StopTest stop = ABreak ? platform::StopTest(ABreak) : platform::StopTest();
    // Owns what it uses (a copy of the name, the counter): it may run on a helper after this call.
    auto digestOf = [fileName, read, bytesRead](const std::function<bool()>& stopped) {
        // A flush the device refused is the verification's finding; a file that cannot be opened
        // is reported by the stream below as for any read.
        if (read == TDigestRead::FromDevice
            && !platform::dropCachedData(
                platform::PathView(reinterpret_cast<const char16_t*>(fileName.utf16()), size_t(fileName.size())))) {
            const int code = platform::lastError().code;
            if (code == EIO || code == ENOSPC || code == EDQUOT)
                throw ERsCachedFileStreamError(u"Cannot write file to its device: "_s + fileName, ReasonText(code));
        }
        const TMD5 md5;
        TRsCachedFileStream stream(fileName, fmOpenRead | fmShareDenyWrite, kFileCacheSize);
        return md5.HashStream(stream, stopped, bytesRead.get());
    };
    if (!platform::mayNeverAnswer(platform::directoryOf(path), stop))
        return digestOf(ABreak);
    // On the helper thread: a share that stops answering cannot hold a stopped run. The job owns its
    // name and its result, as it may outlive this call; it asks ABreak after each piece.
    const auto digest = std::make_shared<TMD5Digest>();
    const platform::JobOutcome outcome = platform::runStoppable(
        [digestOf, digest](const platform::Cancellation& cancelled) {
            *digest = digestOf([&cancelled] { return cancelled(); });
        },
        stop);
    if (outcome == platform::JobOutcome::Abandoned)
        return TMD5Digest(); // the caller's stop flag is set: it discards the digest
    return *digest;
}

bool SameMD5Digest(const TMD5Digest& a, const TMD5Digest& b)
{
    return a.A == b.A && a.B == b.B && a.C == b.C && a.D == b.D;
}

QString MD5DigestToHex(const TMD5Digest& digest)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    unsigned char bytes[16];
    store32(bytes, digest.A);
    store32(bytes + 4, digest.B);
    store32(bytes + 8, digest.C);
    store32(bytes + 12, digest.D);
    QString hex(32, Qt::Uninitialized);
    QChar* out = hex.data();
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = QChar(kDigits[bytes[i] >> 4]);
        out[2 * i + 1] = QChar(kDigits[bytes[i] & 15]);
    }
    return hex;
}
