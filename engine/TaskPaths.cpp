#include "engine/TaskPaths.h"

#include "engine/RsBackupList.h"
#include "engine/platform/Location.h"
#include "model/RsTaskItem.h"

TTaskPathClash CheckTaskPaths(const QString& srcPath, const QString& dstPath, bool includingSubDirs, bool mirroring)
{
    if (srcPath.trimmed().isEmpty() || dstPath.trimmed().isEmpty())
        return TTaskPathClash::tpcNone;
    switch (platform::relateLocations(PathViewOf(dstPath), PathViewOf(srcPath))) {
    case platform::LocationRelation::Same:
        return TTaskPathClash::tpcSame;
    case platform::LocationRelation::Inside:
        return includingSubDirs ? TTaskPathClash::tpcDstInsideSrc : TTaskPathClash::tpcNone;
    case platform::LocationRelation::Contains:
        return mirroring ? TTaskPathClash::tpcSrcInsideDst : TTaskPathClash::tpcNone;
    case platform::LocationRelation::Apart:
        break;
    }
    return TTaskPathClash::tpcNone;
}

TTaskPathClash CheckTaskPaths(const TRsTaskItem& task)
{
    return CheckTaskPaths(task.SrcPath, task.DstPath, task.IncludingSubDirs, task.Mirroring);
}
