#pragma once

// What a run's progress and its end look like in words: one short line for the window's command
// strip, the tray icon's hint and a terminal, and the share of the work done for a bar.

#include "engine/RunDriver.h"

#include <QString>

// "12,345": thousands grouped with commas, whatever the locale (the log pane's texts are kana).
QString GroupedNumber(qint64 value);
// "0 B", "512 B", "1.5 KB", "782 MB", "12 GB": binary units, one decimal below ten.
QString ByteSizeText(qint64 bytes);
// "0:05", "12:34", "1:02:03".
QString DurationText(double seconds);

// "[タスク0] " followed by what the current phase has done: the entries found by the scans, the
// comparison, or items (and bytes) done of those to do with the remaining time once it is known.
QString RunProgressText(const TRunProgress& progress);
// Share of the current phase done, 0 to 1: items and bytes weigh alike; 0 while scanning.
double RunProgressFraction(const TRunProgress& progress);
// The line kept after a run: finished or stopped, items done, failed items, the time it took.
QString RunSummaryText(const TRunOutcome& outcome, double seconds);
// The one line an unattended run that failed writes: the list, what failed and where the log is.
QString RunFailureLine(const QString& taskListName, const TRunOutcome& outcome);
