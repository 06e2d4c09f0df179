#include "engine/platform/PathCodec.h"

#include <cerrno>

namespace platform::codec {

namespace {

inline bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence starting at p (0 when it is not valid), and its code point.
inline int validSequence(const unsigned char* p, const unsigned char* end, char32_t& cp)
{
    const unsigned char b0 = p[0];
    const std::ptrdiff_t avail = end - p;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (avail < 2 || !isContinuation(p[1]))
            return 0;
        cp = (char32_t(b0 & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (avail < 3 || !isContinuation(p[1]) || !isContinuation(p[2]))
            return 0;
        if (b0 == 0xE0 && p[1] < 0xA0)
            return 0; // overlong
        if (b0 == 0xED && p[1] >= 0xA0)
            return 0; // an encoded surrogate
        cp = (char32_t(b0 & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (avail < 4 || !isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3]))
            return 0;
        if (b0 == 0xF0 && p[1] < 0x90)
            return 0; // overlong
        if (b0 == 0xF4 && p[1] >= 0x90)
            return 0; // above U+10FFFF
        cp = (char32_t(b0 & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) | (char32_t(p[2] & 0x3F) << 6)
             | (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

inline bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

inline bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

inline bool isEscape(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

} // namespace

void appendDecoded(std::string_view bytes, Path& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            out.push_back(char16_t(b));
            ++p;
            continue;
        }
        char32_t cp = 0;
        const int len = validSequence(p, end, cp);
        if (len == 0) {
            out.push_back(char16_t(0xDC00 + b));
            ++p;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
            p += len;
        } else {
            out.push_back(char16_t(cp));
            p += len;
        }
    }
}

void appendEncoded(PathView path, std::string& out)
{
    const std::size_t n = path.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = path[i];
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(path[i + 1])) {
            const char32_t cp = 0x10000 + ((char32_t(c - 0xD800) << 10) | char32_t(path[i + 1] - 0xDC00));
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
            ++i;
        } else if (isEscape(c)) {
            out.push_back(char(c & 0xFF));
        } else {
            // Any other BMP character, and a lone surrogate in the generalised 3-byte form.
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
}

bool encodeStrict(PathView path, std::string& out)
{
    out.clear();
    bool hasEscape = false;
    const std::size_t n = path.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = path[i];
        if (c == 0) {
            errno = EINVAL;
            return false;
        }
        if (c < 0xD800 || c > 0xDFFF)
            continue;
        if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(path[i + 1])) {
            ++i;
            continue;
        }
        if (!isEscape(c)) {
            errno = EILSEQ;
            return false;
        }
        hasEscape = true;
    }
    appendEncoded(path, out);
    if (hasEscape) {
        // Escaped bytes are only exact when they read back as escapes, not as a character.
        Path back;
        back.reserve(n);
        appendDecoded(out, back);
        if (back != path) {
            errno = EILSEQ;
            return false;
        }
    }
    return true;
}

} // namespace platform::codec

namespace platform {

std::string toNative(PathView path)
{
    std::string out;
    out.reserve(path.size() + path.size() / 2);
    codec::appendEncoded(path, out);
    return out;
}

Path fromNative(std::string_view bytes)
{
    Path out;
    out.reserve(bytes.size());
    codec::appendDecoded(bytes, out);
    return out;
}

} // namespace platform
