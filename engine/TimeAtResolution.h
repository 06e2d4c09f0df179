#pragma once

// Comparing a source file's time with its copy's at what the destination can keep. A destination
// that keeps times to two seconds (FAT) or to the second (ext4 with small inodes, many network
// shares) gives a copy of a time with a fraction another time; compared exactly, that copy would
// count as outdated on every run and be copied again, forever. A time the destination cannot hold at
// all (before 1980 on FAT, past 2038 on old file systems) comes back as the nearest one it can.

#include <QList>
#include <QtGlobal>

#include <limits>

// What the destination keeps, in milliseconds of local time since 1899-12-30 (the scan's times).
struct TDestinationTimeRule
{
    // The step between two times it keeps; 0 or 1: to the millisecond or finer, compared exactly.
    qint64 resolutionMs = 0;
    // The times it can hold; one outside is kept as the nearer end.
    qint64 earliestMs = std::numeric_limits<qint64>::min();
    qint64 latestMs = std::numeric_limits<qint64>::max();
};

// A scan's date-time (days since 1899-12-30, the time of day as fraction, which counts up even
// before that day) as milliseconds.
qint64 DateTimeToMilliseconds(double dateTime);

// Negative when the copy is older than its source, 0 when both are the same at what the destination
// keeps, positive when the copy is newer. The source's time is first taken as the destination would
// hold it (the nearer end of its range); then times less than one step apart are the same, whichever
// way the destination cut or rounded.
int CompareCopyTime(qint64 sourceMs, qint64 copyMs, const TDestinationTimeRule& rule);

// The step that a destination's times show when nothing else tells it: 2000 when every time is a
// whole even second, 1000 when every time is a whole second, otherwise (or without any time) 0.
qint64 ResolutionShownByTimes(const QList<qint64>& timesMs);
