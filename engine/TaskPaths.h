#pragma once

// Whether a task's two directories keep apart. A backup into its own source copies the previous
// backups into themselves on every run; a mirror whose source lies inside its destination deletes
// that source as something the source no longer has. Both the task dialog and the run refuse such
// pairs; this is the one place that decides.

#include <QString>

class TRsTaskItem;

enum class TTaskPathClash {
    tpcNone,        // the directories keep apart (or a path is empty: checked elsewhere)
    tpcSame,        // the destination is the source
    tpcDstInsideSrc, // the destination lies inside the source and subdirectories are included
    tpcSrcInsideDst, // the source lies inside the destination and the task mirrors
};

// Compares where the directories really are: ".", "..", repeated delimiters and the links of their
// existing leading directories resolved, names byte for byte, device and inode where both exist.
TTaskPathClash CheckTaskPaths(const QString& srcPath, const QString& dstPath, bool includingSubDirs, bool mirroring);
TTaskPathClash CheckTaskPaths(const TRsTaskItem& task);
