#pragma once

#include "engine/RsBackupList.h"

#include <QCollator>

#include <deque>
#include <unordered_map>
#include <vector>

// Walks one tree on its own thread and hands what it finds to its TRsBackupList on the main thread.
class TSearchFilesThread final : public TRsThread
{
    Q_OBJECT

public:
    // Started by its list once connected; not freed when it ends (StopAndFreeThread does that).
    TSearchFilesThread(TRsBackupList* list, const QString& path, const TExcludedItemList& excludedItemList,
                       bool includingSubDirs, const TBreakFunction& checkBreakFlag, bool followLinks = true);
    ~TSearchFilesThread() override;

    // Entries met so far (files, directories and whatever else a directory holds). Safe from any thread.
    qint64 EntriesFound() const { return m_entriesFound.load(std::memory_order_relaxed); }

protected:
    void Execute() override;

private:
    struct Identity
    {
        uint64_t device;
        uint64_t inode;
        bool operator==(const Identity&) const = default;
    };
    struct IdentityHash
    {
        size_t operator()(const Identity& i) const { return std::hash<uint64_t>()(i.inode * 31 + i.device); }
    };

    struct SubDir
    {
        QString key; // relative path with a trailing '/', as the items below it begin
        bool isLink;         // a link that is not followed: listed, never entered
        bool isFollowedLink; // a link that is followed: entered after the tree's own directories
        quint32 attributes;
        Identity identity;
    };

    struct Level
    {
        QList<TRsBackupItem> files;
        QList<SubDir> subDirs;
    };

    // Lists the directory at relativeDir, which lies on device.
    void SearchFiles(const QString& relativeDir, uint64_t device);
    // Lists one subdirectory (not yet entered: no directory is listed twice) and what lies below.
    void EnterSubDir(const SubDir& sub);
    bool IsStopping() const;
    // A path that was not listed completely: its line (key, full path, reason) and its protection.
    void NotListed(const QString& key, const QString& relativePath, int code);
    // True when an entry on another device than its directory lies on a pseudo file system, whose
    // files' content is made up as it is read (some never end): asked once per device.
    bool OnPseudoFileSystem(uint64_t device, const QString& relativePath);
    // Such an entry is not read: its line, and nothing at or below it counts as missing.
    void NotRead(const QString& relativePath);

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
    // Every directory entered so far, with its relative path: one reached again through a link
    // (a loop, or two links to one directory) is not entered again.
    std::unordered_map<Identity, QString, IdentityHash> m_entered;
    // Followed links to directories, entered once the tree's own directories are all listed, so
    // that a directory of the tree is listed where it is rather than at a link to it.
    std::deque<SubDir> m_deferredLinks;
    TScanFindings m_findings;
    std::atomic<qint64> m_entriesFound{0};
    std::unordered_map<uint64_t, bool> m_pseudoDevices;
};
