#pragma once

#include "engine/RsBackupList.h"

#include <QCollator>

#include <vector>

// Walks one tree on its own thread and hands what it finds to its TRsBackupList on the main thread.
class TSearchFilesThread final : public TRsThread
{
    Q_OBJECT

public:
    // Starts at once; not freed when it ends (StopAndFreeThread does that).
    TSearchFilesThread(TRsBackupList* list, const QString& path, const TExcludedItemList& excludedItemList,
                       bool includingSubDirs, const TBreakFunction& checkBreakFlag, bool followLinks = true);
    ~TSearchFilesThread() override;

protected:
    void Execute() override;

private:
    struct Identity
    {
        uint64_t device;
        uint64_t inode;
    };

    void SearchFiles(const QString& relativeDir);
    bool IsStopping() const;

    TRsBackupList* FList;
    QString FPath;
    TExcludedItemList FExcludedItemList; // a copy: the task may be edited while the scan runs
    bool FIncludingSubDirs;
    TBreakFunction FCheckBreakFlag;
    bool m_followLinks;
    bool m_stopped = false;

    // Found so far, owned by the worker until it hands them over in one piece at the end.
    QList<TRsBackupItem> m_items;
    QList<TRsDirList::Entry> m_dirs;
    std::vector<Identity> m_ancestors; // directories on the current path, to refuse link loops
};
