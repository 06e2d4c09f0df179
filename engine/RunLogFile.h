#pragma once

// The run log's own text: its time stamps, the blocks that frame each task, and its file.

#include <QString>
#include <QStringList>

class QDateTime;
class TRsLogList;
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
// suffix), "<list>: <TaskLabel><index>", source, destination (both escaped as names are in log
// lines), an empty line, the start time and another empty line.
QStringList RunHeaderLines(const QString& commandCaption, const TRsTaskList& list, int index);
// An empty line and the finish time.
QStringList RunFooterLines();

// ---- The log file.

// Replaces the file with every line in UTF-16 LE after a byte order mark, each ended by CR LF. The
// content is written to a temporary file beside it first and put in place only when complete, so a
// failure never leaves a truncated log. False with *errorText set on failure.
bool WriteLogFile(const QString& fileName, const QStringList& lines, QString* errorText = nullptr);
// The same for a task list's run log, written as it is read: a log of a million lines is never held
// whole in another form.
bool WriteLogFile(const QString& fileName, const TRsLogList& lines, QString* errorText = nullptr);
