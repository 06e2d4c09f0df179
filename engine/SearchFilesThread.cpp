#include "engine/SearchFilesThread.h"

#include <QStringView>

#include <algorithm>

TSearchFilesThread::TSearchFilesThread(TRsBackupList* list, const QString& path,
                                       const TExcludedItemList& excludedItemList, bool includingSubDirs,
                                       const TBreakFunction& checkBreakFlag, bool followLinks)
    : FList(list)
    , FPath(path)
    , FExcludedItemList(excludedItemList)
    , FIncludingSubDirs(includingSubDirs)
    , FCheckBreakFlag(checkBreakFlag)
    , m_followLinks(followLinks)
{
    if (!FPath.endsWith(u'/'))
        FPath += u'/';
    start();
}

TSearchFilesThread::~TSearchFilesThread()
{
    StopThread();
}

bool TSearchFilesThread::IsStopping() const
{
    return Terminated() || IsBreakRequested(FCheckBreakFlag);
}

void TSearchFilesThread::Execute()
{
    platform::DirEntry base;
    if (platform::statPath(PathViewOf(FPath), true, base))
        m_ancestors.push_back({base.device, base.inode});
    SearchFiles(QString());

    const bool stopped = m_stopped || IsStopping();
    if (stopped) {
        Terminate(); // the items stay in the order found
    } else {
        // Sorting here rather than on the main thread gives the same order and lets the two scans
        // of a task sort side by side.
        SortBackupItems(m_items);
    }
    QCollator collator = TRsDirList::MakeCollator();
    TRsDirList::SortUnique(m_dirs, collator);
    // One hand-over for the whole tree: appending 100,000 items one blocking call at a time would
    // cost seconds.
    SignalDone([this, stopped] {
        FList->AdoptScan(std::move(m_items), !stopped, std::move(m_dirs));
        FList->SetSearchFilesDone();
    });
}

void TSearchFilesThread::SearchFiles(const QString& relativeDir)
{
    const QString dirPath = FPath + relativeDir;
    QList<platform::DirEntry> subDirs;
    platform::enumerateDirectory(PathViewOf(dirPath), m_followLinks, [&](const platform::DirEntry& e) {
        const QStringView name(e.name.data(), qsizetype(e.name.size()));
        switch (e.kind) {
        case platform::EntryKind::File: {
            const qsizetype dot = name.lastIndexOf(u'.');
            const QStringView ext = dot >= 0 ? name.mid(dot) : QStringView();
            if (IsExcludedItem(ext, eitExt, FExcludedItemList) || IsExcludedItem(name, eitFile, FExcludedItemList))
                break;
            QString relative;
            relative.reserve(relativeDir.size() + name.size());
            relative += relativeDir;
            relative += name;
            m_items.append(TRsBackupItem(FPath, relative, platform::toLocalDateTime(e.modified), e.attributes));
            break;
        }
        case platform::EntryKind::Directory:
        case platform::EntryKind::DirectoryLink:
            if (FIncludingSubDirs && !IsExcludedItem(name, eitDir, FExcludedItemList))
                subDirs.append(e);
            break;
        case platform::EntryKind::Other:
            break; // FIFOs, sockets, devices and dangling links are never read
        }
        if (IsStopping()) {
            m_stopped = true;
            return false;
        }
        return true;
    });
    // Subdirectories are entered after the listing of this one is closed, so that a deep tree does
    // not hold one open directory per level.
    for (const platform::DirEntry& e : std::as_const(subDirs)) {
        if (m_stopped)
            return;
        const QString name = QString::fromUtf16(e.name.data(), qsizetype(e.name.size()));
        const QString relative = relativeDir + name;
        if (e.kind == platform::EntryKind::DirectoryLink) {
            // A link in a tree whose links are not followed is listed but never entered: mirroring
            // must never reach through it.
            m_dirs.append({relative, e.attributes});
            continue;
        }
        const bool onPath = std::any_of(m_ancestors.cbegin(), m_ancestors.cend(), [&e](const Identity& a) {
            return a.device == e.device && a.inode == e.inode;
        });
        if (onPath)
            continue; // a link back to a directory above: entering it would never end
        m_dirs.append({relative, e.attributes});
        m_ancestors.push_back({e.device, e.inode});
        SearchFiles(relative + u'/');
        m_ancestors.pop_back();
        if (IsStopping())
            m_stopped = true;
    }
}
