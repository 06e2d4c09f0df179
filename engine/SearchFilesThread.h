#pragma once

#include "engine/RsBackupList.h"

#include <QCollator>

#include <deque>
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

    struct SubDir
    {
        QString key; // relative path with a trailing '/', as the items below it begin
        bool isLink;
        quint32 attributes;
        Identity identity;
    };

    struct Level
    {
        QList<TRsBackupItem> files;
        QList<SubDir> subDirs;
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
    unsigned m_entriesSinceStopCheck = 0;
    bool m_needsSort = false; // two subdirectories differ only in ASCII case (see SearchFiles)
    platform::LocalTimeConverter m_localTime;

    // Found so far, owned by the worker until it hands them over in one piece at the end.
    QList<TRsBackupItem> m_items;
    QList<TRsDirList::Entry> m_dirs;
    std::deque<Level> m_levels; // working lists of each depth being listed
    size_t m_depth = 0;
    std::vector<Identity> m_ancestors; // directories on the current path, to refuse link loops
};
