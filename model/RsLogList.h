#pragma once

#include "app/RsLogLines.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// The run log of a task list, line by line as its log file holds it. A run of a million files adds a
// million lines, so the lines are kept compactly (TRsLogLines); only the two heading lines are kept as
// they are, since the second names the list and changes with its name. Lines are only ever added
// after the heading; the whole log can be replaced (a dated log read back at start).
class TRsLogList
{
public:
    TRsLogList() = default;
    TRsLogList(const TRsLogList&) = delete;
    TRsLogList& operator=(const TRsLogList&) = delete;

    qsizetype size() const { return m_head.size() + m_body.Count(); }
    bool isEmpty() const { return size() == 0; }
    QString at(qsizetype index) const;
    QString last() const { return isEmpty() ? QString() : at(size() - 1); }

    void append(const QString& line);
    void append(const QStringList& lines);
    TRsLogList& operator<<(const QString& line)
    {
        append(line);
        return *this;
    }
    // Replaces a line of the heading (index 0 or 1, which must exist).
    void replaceHeading(qsizetype index, const QString& line);
    // Replaces every line.
    void assign(const QStringList& lines);
    void assign(const TRsLogList& other);
    void clear();

    // Lines from pos on (length < 0: to the end), as a list; for what is short or for tests.
    QStringList mid(qsizetype pos, qsizetype length = -1) const;
    QStringList toStringList() const { return mid(0); }
    bool contains(const QString& line) const;
    // The lines that contain text.
    QStringList filter(const QString& text) const;
    // Hands every line from `from` on to sink, in order, each decoded once; false from sink stops.
    void forEach(qsizetype from, const std::function<bool(QStringView)>& sink) const;

private:
    static constexpr qsizetype HeadingLines = 2;
    QStringList m_head;
    TRsLogLines m_body;
};
