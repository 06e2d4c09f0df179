#include "engine/BackupIndexLists.h"

void TBackupIndexLists::Clear()
{
    DirAttribIndexList.clear();
    DirNewIndexList.clear();
    DirDeleteIndexList.clear();
    FileNewIndexList.clear();
    FileOverwriteIndexList.clear();
    FileDeleteIndexList.clear();
    DirLinkReplaceIndexList.clear();
}

bool TBackupIndexLists::IsEmpty() const
{
    return DirAttribIndexList.isEmpty() && DirNewIndexList.isEmpty() && DirDeleteIndexList.isEmpty()
           && FileNewIndexList.isEmpty() && FileOverwriteIndexList.isEmpty() && FileDeleteIndexList.isEmpty();
}
