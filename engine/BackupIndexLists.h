#pragma once

#include <QList>

// The pending operations of the task being run: positions in the source or destination listing,
// each list in ascending order. Owned by whoever drives the run; the workers append to them on the
// main thread only.
struct TBackupIndexLists
{
    QList<qint32> DirAttribIndexList;     // source DirList: exists on both sides, attributes differ
    QList<qint32> DirNewIndexList;        // source DirList: missing in the destination
    QList<qint32> DirDeleteIndexList;     // destination DirList: missing in the source (mirroring)
    QList<qint32> FileNewIndexList;       // source items: missing in the destination
    QList<qint32> FileOverwriteIndexList; // source items: destination older (or newer, mirroring)
    QList<qint32> FileDeleteIndexList;    // destination items: missing in the source (mirroring)
    // Source DirList entries (also in DirNewIndexList) where the destination has a link to a
    // directory, in a mirroring task: the link itself is removed before the directory is made.
    QList<qint32> DirLinkReplaceIndexList;

    void Clear();
    bool IsEmpty() const;
};
