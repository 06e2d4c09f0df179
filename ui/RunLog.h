#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QDateTime;
class QTimer;
class TRsLogView;
class TRsTaskList;

// ---- Time stamps of the run log: "yyyy-mm-dd hh:nn:ss" with the locale's time separator.

// The user locale's time separator (":" in most locales, "." in a few).
QString LocaleTimeSeparator();
// The separator the log uses: the one set with SetLogTimeSeparator, or the locale's.
QString LogTimeSeparator();
// Tests fix the separator; an empty text goes back to the locale's.
void SetLogTimeSeparator(const QString& separator);
// Four-digit year, month, day, then hours 00-23, minutes and seconds joined by separator.
QString FormatLogTime(const QDateTime& time, const QString& separator);
// The current time (CurrentDateTime(), which tests may fix) in the log's format.
QString LogTimeNow();

// ---- The blocks that frame one task's log.

// Eight lines: the rule, the command's caption less its last four characters (the accelerator
// suffix), "<list>: <TaskLabel><index>", source, destination, an empty line, the start time and
// another empty line.
QStringList RunHeaderLines(const QString& commandCaption, const TRsTaskList& list, int index);
// An empty line and the finish time.
QStringList RunFooterLines();

// ---- The log file.

// Replaces the file with every line in UTF-16 LE after a byte order mark, each ended by CR LF. The
// content is written to a temporary file beside it first and put in place only when complete, so a
// failure never leaves a truncated log. False with *errorText set on failure.
bool WriteLogFile(const QString& fileName, const QStringList& lines, QString* errorText = nullptr);

// ---- The log pane and the line sinks.

// Feeds the log pane. Lines are collected and appended in blocks (one append per block is far
// cheaper than one per line on a large tree), on a short timer or when Flush() is called. The pane
// follows new lines only while it is scrolled to the end, so the user can read back during a run.
class TRunLog : public QObject
{
    Q_OBJECT

public:
    explicit TRunLog(TRsLogView* pane, QObject* parent = nullptr);

    TRsLogView* Pane() const { return m_pane; }

    // A line for the pane only.
    void AddPaneLine(const QString& line);
    void AddPaneLines(const QStringList& lines);
    // A line for the pane and the run log of a task list.
    void AddLine(const QString& line, QStringList& logList);
    void AddLines(const QStringList& lines, QStringList& logList);

    // Header and footer of a task, to the pane and to the list's run log.
    void WriteHeader(const QString& commandCaption, TRsTaskList& list, int index);
    void WriteFooter(TRsTaskList& list);

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
