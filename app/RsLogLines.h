#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A compact, append-only list of text lines, for logs of a million lines and more.
//
// A QString per line costs about three times the text itself, so the lines are kept as bytes in
// large chunks instead: each line in UTF-8 (a lone surrogate, which stands for a byte of a file name
// that is not UTF-8, is kept as its three-byte form, so every line comes back exactly as it was
// given), and each line stores only what differs from the line before it, since consecutive log
// lines mostly share their key text and directory. Every sixteenth line is stored whole, so reading
// any line decodes at most sixteen. A chunk that is full is compressed, and the few chunks read last
// are kept unpacked, so reading the lines on screen again and again costs nothing more.
//
// It needs QtCore only, so the run logs of the task lists can use it too. Reading fills that cache, so
// even the const functions belong to one thread.
class TRsLogLines {
public:
    TRsLogLines();
    ~TRsLogLines();
    TRsLogLines(const TRsLogLines&) = delete;
    TRsLogLines& operator=(const TRsLogLines&) = delete;

    // The line is kept as given: a line break inside it is an ordinary character here.
    void Append(QStringView line);
    void Clear();

    qsizetype Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    QString Line(qsizetype index) const;
    // Length of a line in UTF-16 code units, as QString::size() would give.
    qsizetype LineLength(qsizetype index) const;
    // Sum of all lines' lengths in UTF-16 code units (line breaks not counted).
    qint64 TotalLength() const { return m_totalLength; }

    // The text from column firstColumn of line firstLine up to column lastColumn of line lastLine
    // (exclusive), the lines joined by '\n'. Columns are UTF-16 positions and are clamped to their
    // line.
    QString Text(qsizetype firstLine, qsizetype firstColumn, qsizetype lastLine, qsizetype lastColumn) const;
    // Every line joined by '\n'.
    QString Text() const;
    // Hands lines first..last to sink in order, each decoded once (reading them one by one with
    // Line() decodes a group's lines again for each); sink returns false to stop.
    void ForEachLine(qsizetype first, qsizetype last, const std::function<bool(QStringView)>& sink) const;

    // Bytes held, for measurements.
    qsizetype MemoryUsed() const;

private:
    struct Chunk;
    // The first line of a run of lines decoded from one whole line on.
    struct Group {
        qsizetype firstLine;
        std::uint32_t chunk;
        std::uint32_t offset;
    };

    const Group& groupOf(qsizetype line) const;
    const char* bytesOf(std::uint32_t chunk) const;
    void seal(Chunk& chunk);
    // Decodes the lines of the group of `first` from its start, handing lines first..last (bytes, as
    // stored) to sink in order; sink returns false to stop.
    template<typename Sink>
    void forEachLine(qsizetype first, qsizetype last, Sink&& sink) const;
    char* reserve(std::size_t bytes, bool& newChunk);

    std::vector<std::unique_ptr<Chunk>> m_chunks;
    std::vector<Group> m_groups;
    // The last line as stored, which the next line is compared with.
    std::vector<char> m_previous;
    std::vector<char> m_encoded;
    // Chunks unpacked for reading, the one read last first.
    mutable std::vector<std::pair<std::uint32_t, QByteArray>> m_unpacked;
    qsizetype m_count = 0;
    qint64 m_totalLength = 0;
};
