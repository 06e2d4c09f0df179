#include "model/RsLogList.h"

QString TRsLogList::at(qsizetype index) const
{
    return index < m_head.size() ? m_head.at(index) : m_body.Line(index - m_head.size());
}

void TRsLogList::append(const QString& line)
{
    if (m_head.size() < HeadingLines)
        m_head.append(line);
    else
        m_body.Append(line);
}

void TRsLogList::append(const QStringList& lines)
{
    for (const QString& line : lines)
        append(line);
}

void TRsLogList::replaceHeading(qsizetype index, const QString& line)
{
    Q_ASSERT(index < m_head.size());
    m_head[index] = line;
}

void TRsLogList::assign(const QStringList& lines)
{
    clear();
    append(lines);
}

void TRsLogList::assign(const TRsLogList& other)
{
    if (&other == this)
        return;
    clear();
    other.forEach(0, [this](QStringView line) {
        append(line.toString());
        return true;
    });
}

void TRsLogList::clear()
{
    m_head.clear();
    m_body.Clear();
}

QStringList TRsLogList::mid(qsizetype pos, qsizetype length) const
{
    QStringList lines;
    const qsizetype end = length < 0 ? size() : qMin(size(), pos + length);
    if (pos >= end)
        return lines;
    lines.reserve(end - pos);
    forEach(pos, [&](QStringView line) {
        lines.append(line.toString());
        return pos + lines.size() < end;
    });
    return lines;
}

bool TRsLogList::contains(const QString& line) const
{
    bool found = false;
    forEach(0, [&](QStringView l) {
        found = l == line;
        return !found;
    });
    return found;
}

QStringList TRsLogList::filter(const QString& text) const
{
    QStringList lines;
    forEach(0, [&](QStringView line) {
        if (line.contains(text))
            lines.append(line.toString());
        return true;
    });
    return lines;
}

void TRsLogList::forEach(qsizetype from, const std::function<bool(QStringView)>& sink) const
{
    for (qsizetype i = qMax<qsizetype>(0, from); i < m_head.size(); ++i) {
        if (!sink(m_head.at(i)))
            return;
    }
    const qsizetype first = qMax<qsizetype>(0, from - m_head.size());
    if (first < m_body.Count())
        m_body.ForEachLine(first, m_body.Count() - 1, sink);
}
