#include "app/RsLogLines.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>

namespace {

// Large enough that the allocator hands each chunk straight back to the system when the lines
// go, small enough that the unused end of the last one does not matter.
constexpr std::size_t ChunkBytes = 256 * 1024;
// Lines per group: a line is rebuilt from the group's first line, so this bounds the work of a read.
constexpr qsizetype GroupLines = 16;
// Unpacked chunks kept: the screen's lines and a scroll's worth either side.
constexpr std::size_t UnpackedChunks = 4;
// The quickest level: log text packs well even so, and a full chunk is packed while lines arrive.
constexpr int PackLevel = 1;

std::size_t varintSize(std::size_t value)
{
    std::size_t size = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++size;
    }
    return size;
}

unsigned char* writeVarint(unsigned char* out, std::size_t value)
{
    while (value >= 0x80) {
        *out++ = static_cast<unsigned char>(value | 0x80);
        value >>= 7;
    }
    *out++ = static_cast<unsigned char>(value);
    return out;
}

std::size_t readVarint(const unsigned char*& in)
{
    std::size_t value = 0;
    int shift = 0;
    for (;;) {
        const unsigned char b = *in++;
        value |= std::size_t(b & 0x7F) << shift;
        if (!(b & 0x80))
            return value;
        shift += 7;
    }
}

// UTF-8, except that a surrogate without its partner is written as the three bytes its value
// would take, so that decoding gives back exactly the code units that came in.
void encodeLine(QStringView line, std::vector<char>& out)
{
    out.resize(std::size_t(line.size()) * 3);
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    const char16_t* p = line.utf16();
    const char16_t* const end = p + line.size();
    while (p < end) {
        const char16_t c = *p++;
        if (c < 0x80) {
            *o++ = static_cast<unsigned char>(c);
        } else if (c < 0x800) {
            *o++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            const char32_t u = QChar::surrogateToUcs4(c, *p++);
            *o++ = static_cast<unsigned char>(0xF0 | (u >> 18));
            *o++ = static_cast<unsigned char>(0x80 | ((u >> 12) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
        } else {
            *o++ = static_cast<unsigned char>(0xE0 | (c >> 12));
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(std::size_t(o - reinterpret_cast<unsigned char*>(out.data())));
}

// Only bytes written by encodeLine are ever decoded, so they need no checks.
qsizetype utf16Length(const char* bytes, std::size_t size)
{
    qsizetype length = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        length += (b & 0xC0) != 0x80;
        length += b >= 0xF0;
    }
    return length;
}

char16_t* decodeLine(const char* bytes, std::size_t size, char16_t* out)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes);
    const auto* const end = s + size;
    while (s < end) {
        const unsigned c = *s;
        if (c < 0x80) {
            *out++ = char16_t(c);
            s += 1;
        } else if (c < 0xE0) {
            *out++ = char16_t(((c & 0x1F) << 6) | (s[1] & 0x3F));
            s += 2;
        } else if (c < 0xF0) {
            *out++ = char16_t(((c & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
            s += 3;
        } else {
            const char32_t u = ((c & 0x07) << 18) | ((s[1] & 0x3F) << 12) | ((s[2] & 0x3F) << 6) | (s[3] & 0x3F);
            *out++ = QChar::highSurrogate(u);
            *out++ = QChar::lowSurrogate(u);
            s += 4;
        }
    }
    return out;
}

QString decodeLine(const char* bytes, std::size_t size)
{
    QString line(utf16Length(bytes, size), Qt::Uninitialized);
    decodeLine(bytes, size, reinterpret_cast<char16_t*>(line.data()));
    return line;
}

} // namespace

struct TRsLogLines::Chunk {
    explicit Chunk(std::size_t bytes)
        : data(new char[bytes])
        , capacity(bytes)
    {
    }

    // The bytes as written; empty once packed.
    std::unique_ptr<char[]> data;
    std::size_t capacity;
    std::size_t used = 0;
    QByteArray packed;
};

TRsLogLines::TRsLogLines() = default;
TRsLogLines::~TRsLogLines() = default;

char* TRsLogLines::reserve(std::size_t bytes, bool& newChunk)
{
    newChunk = m_chunks.empty() || m_chunks.back()->capacity - m_chunks.back()->used < bytes;
    if (newChunk) {
        if (!m_chunks.empty())
            seal(*m_chunks.back());
        m_chunks.push_back(std::make_unique<Chunk>(std::max(ChunkBytes, bytes)));
    }
    Chunk& chunk = *m_chunks.back();
    char* at = chunk.data.get() + chunk.used;
    chunk.used += bytes;
    return at;
}

void TRsLogLines::seal(Chunk& chunk)
{
    QByteArray packed = qCompress(reinterpret_cast<const uchar*>(chunk.data.get()), qsizetype(chunk.used), PackLevel);
    // Kept as it is when packing gains little.
    if (packed.isEmpty() || std::size_t(packed.size()) >= chunk.used - chunk.used / 8)
        return;
    packed.squeeze();
    chunk.packed = std::move(packed);
    chunk.data.reset();
    chunk.capacity = 0;
}

const char* TRsLogLines::bytesOf(std::uint32_t index) const
{
    const Chunk& chunk = *m_chunks[index];
    if (chunk.data)
        return chunk.data.get();
    const auto found = std::find_if(m_unpacked.begin(), m_unpacked.end(),
                                    [index](const auto& unpacked) { return unpacked.first == index; });
    if (found != m_unpacked.end()) {
        std::rotate(m_unpacked.begin(), found, found + 1);
    } else {
        if (m_unpacked.size() >= UnpackedChunks)
            m_unpacked.pop_back();
        m_unpacked.insert(m_unpacked.begin(), {index, qUncompress(chunk.packed)});
    }
    return m_unpacked.front().second.constData();
}

void TRsLogLines::Append(QStringView line)
{
    encodeLine(line, m_encoded);
    const std::size_t size = m_encoded.size();
    bool whole = m_groups.empty() || m_count - m_groups.back().firstLine >= GroupLines;
    std::size_t shared = 0;
    if (!whole) {
        const std::size_t limit = std::min(size, m_previous.size());
        const auto mismatch = std::mismatch(m_encoded.begin(), m_encoded.begin() + std::ptrdiff_t(limit),
                                            m_previous.begin());
        shared = std::size_t(mismatch.first - m_encoded.begin());
    }
    std::size_t record = varintSize(shared) + varintSize(size - shared) + size - shared;
    // A group never spans two chunks: a line that starts a chunk starts a group and is stored whole.
    if (!whole && m_chunks.back()->capacity - m_chunks.back()->used < record) {
        whole = true;
        shared = 0;
        record = varintSize(0) + varintSize(size) + size;
    }
    bool newChunk = false;
    auto* out = reinterpret_cast<unsigned char*>(reserve(record, newChunk));
    if (whole) {
        const Chunk& chunk = *m_chunks.back();
        m_groups.push_back({m_count, std::uint32_t(m_chunks.size() - 1), std::uint32_t(chunk.used - record)});
    }
    out = writeVarint(out, shared);
    out = writeVarint(out, size - shared);
    if (size > shared)
        std::memcpy(out, m_encoded.data() + shared, size - shared);
    m_previous.swap(m_encoded);
    ++m_count;
    m_totalLength += line.size();
}

void TRsLogLines::Clear()
{
    // Swapped with empty ones, so the memory really goes back.
    std::vector<std::unique_ptr<Chunk>>().swap(m_chunks);
    std::vector<Group>().swap(m_groups);
    std::vector<char>().swap(m_previous);
    std::vector<char>().swap(m_encoded);
    std::vector<std::pair<std::uint32_t, QByteArray>>().swap(m_unpacked);
    m_count = 0;
    m_totalLength = 0;
}

const TRsLogLines::Group& TRsLogLines::groupOf(qsizetype line) const
{
    const auto after = std::upper_bound(m_groups.begin(), m_groups.end(), line,
                                        [](qsizetype l, const Group& g) { return l < g.firstLine; });
    return *(after - 1);
}

template<typename Sink>
void TRsLogLines::forEachLine(qsizetype first, qsizetype last, Sink&& sink) const
{
    if (first > last || first < 0 || last >= m_count)
        return;
    const Group* group = &groupOf(first);
    const Group* const groupsEnd = m_groups.data() + m_groups.size();
    std::vector<char> line;
    const unsigned char* at = nullptr;
    for (qsizetype index = group->firstLine; index <= last; ++index) {
        if (group < groupsEnd && index == group->firstLine) {
            at = reinterpret_cast<const unsigned char*>(bytesOf(group->chunk)) + group->offset;
            ++group;
        }
        const std::size_t shared = readVarint(at);
        const std::size_t rest = readVarint(at);
        line.resize(shared);
        line.insert(line.end(), at, at + rest);
        at += rest;
        if (index >= first && !sink(line.data(), line.size()))
            return;
    }
}

void TRsLogLines::ForEachLine(qsizetype first, qsizetype last, const std::function<bool(QStringView)>& sink) const
{
    QString line;
    forEachLine(first, last, [&](const char* bytes, std::size_t size) {
        line.resize(utf16Length(bytes, size));
        decodeLine(bytes, size, reinterpret_cast<char16_t*>(line.data()));
        return sink(line);
    });
}

QString TRsLogLines::Line(qsizetype index) const
{
    QString text;
    forEachLine(index, index, [&text](const char* bytes, std::size_t size) {
        text = decodeLine(bytes, size);
        return false;
    });
    return text;
}

qsizetype TRsLogLines::LineLength(qsizetype index) const
{
    qsizetype length = 0;
    forEachLine(index, index, [&length](const char* bytes, std::size_t size) {
        length = utf16Length(bytes, size);
        return false;
    });
    return length;
}

QString TRsLogLines::Text(qsizetype firstLine, qsizetype firstColumn, qsizetype lastLine, qsizetype lastColumn) const
{
    if (m_count == 0)
        return QString();
    firstLine = qBound<qsizetype>(0, firstLine, m_count - 1);
    lastLine = qBound<qsizetype>(0, lastLine, m_count - 1);
    if (lastLine < firstLine)
        return QString();
    firstColumn = qMax<qsizetype>(0, firstColumn);
    lastColumn = qMax<qsizetype>(0, lastColumn);
    if (firstLine == lastLine) {
        const QString line = Line(firstLine);
        return lastColumn > firstColumn ? line.mid(firstColumn, lastColumn - firstColumn) : QString();
    }

    const QString head = Line(firstLine).mid(firstColumn);
    const QString lastText = Line(lastLine);
    const QString tail = lastText.left(lastColumn);
    // The size is known before anything is decoded, so the text is allocated once: a copy of a
    // whole long log would otherwise pass through several growing copies of itself.
    qint64 size = head.size() + 1 + tail.size();
    if (firstLine == 0 && firstColumn == 0 && lastLine == m_count - 1 && tail.size() == lastText.size()) {
        size = m_totalLength + (m_count - 1);
    } else {
        forEachLine(firstLine + 1, lastLine - 1, [&size](const char* bytes, std::size_t n) {
            size += utf16Length(bytes, n) + 1;
            return true;
        });
    }
    QString text(qsizetype(size), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    out = std::copy(head.utf16(), head.utf16() + head.size(), out);
    *out++ = u'\n';
    forEachLine(firstLine + 1, lastLine - 1, [&out](const char* bytes, std::size_t n) {
        out = decodeLine(bytes, n, out);
        *out++ = u'\n';
        return true;
    });
    std::copy(tail.utf16(), tail.utf16() + tail.size(), out);
    return text;
}

QString TRsLogLines::Text() const
{
    if (m_count == 0)
        return QString();
    return Text(0, 0, m_count - 1, LineLength(m_count - 1));
}

qsizetype TRsLogLines::MemoryUsed() const
{
    std::size_t bytes = sizeof(*this) + m_chunks.capacity() * sizeof(m_chunks[0]) +
                        m_groups.capacity() * sizeof(Group) + m_previous.capacity() + m_encoded.capacity();
    for (const auto& chunk : m_chunks)
        bytes += sizeof(Chunk) + chunk->capacity + std::size_t(chunk->packed.capacity());
    for (const auto& unpacked : m_unpacked)
        bytes += std::size_t(unpacked.second.capacity());
    return qsizetype(bytes);
}
