#include "ui/RunLog.h"

#include "RsUnits/RsLogView.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// How long collected lines may wait before they reach the pane: short enough to look live, long
// enough to gather a worker's burst into one append.
constexpr int PaneFlushMilliseconds = 50;

} // namespace

TRunLog::TRunLog(TRsLogView* pane, QObject* parent)
    : QObject(parent)
    , m_pane(pane)
    , m_flushTimer(new QTimer(this))
{
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(PaneFlushMilliseconds);
    connect(m_flushTimer, &QTimer::timeout, this, &TRunLog::Flush);
}

void TRunLog::AddPaneLine(const QString& line)
{
    m_pending.append(line);
    Schedule();
}

void TRunLog::AddPaneLines(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    m_pending.append(lines);
    Schedule();
}

void TRunLog::Schedule()
{
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void TRunLog::Flush()
{
    m_flushTimer->stop();
    if (m_pending.isEmpty())
        return;
    const QStringList lines = std::exchange(m_pending, {});
    if (m_pane)
        m_pane->appendLines(lines);
}
