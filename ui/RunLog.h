#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;
class TRsLogView;

// Feeds the log pane. Lines are collected and appended in blocks (one append per block is far
// cheaper than one per line on a large tree), on a short timer or when Flush() is called. The pane
// follows new lines only while it is scrolled to the end, so the user can read back during a run.
class TRunLog : public QObject
{
    Q_OBJECT

public:
    explicit TRunLog(TRsLogView* pane, QObject* parent = nullptr);

    TRsLogView* Pane() const { return m_pane; }

    void AddPaneLine(const QString& line);
    void AddPaneLines(const QStringList& lines);

    // Appends the collected lines to the pane now.
    void Flush();
    // Lines collected and not yet in the pane.
    qsizetype PendingCount() const { return m_pending.size(); }

private:
    void Schedule();

    TRsLogView* m_pane;
    QTimer* m_flushTimer;
    QStringList m_pending;
};
