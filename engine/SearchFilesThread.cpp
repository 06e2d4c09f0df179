#include "engine/SearchFilesThread.h"

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "engine/EscapeForLog.h"
#include "engine/RsFileUtils.h"
#include "engine/platform/FileSystemKind.h"

#include <QStringView>

#include <algorithm>

using namespace Qt::StringLiterals;

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
        m_entered.emplace(Identity{base.device, base.inode}, QString());
    if (platform::isOnPseudoFileSystem(PathViewOf(FPath)))
        NotRead(QString());
    else
        SearchFiles(QString(), base.device);
    while (!m_deferredLinks.empty() && !m_stopped) {
        const SubDir sub = std::move(m_deferredLinks.front());
        m_deferredLinks.pop_front();
        // Its files come after the rest of the tree: the list is sorted as a whole at the end.
        m_needsSort = true;
        EnterSubDir(sub);
        if (IsStopping())
            m_stopped = true;
    }
    m_deferredLinks.clear();
    m_levels.clear();

    const bool stopped = m_stopped || IsStopping();
    if (stopped) {
        Terminate(); // the items stay in the order found
    } else if (m_needsSort) {
        // Sorting here rather than on the main thread lets the two scans of a task sort side by
        // side.
        SortBackupItems(m_items);
    }
    QCollator collator = TRsDirList::MakeCollator();
    TRsDirList::SortUnique(m_dirs, collator);
    // One hand-over for the whole tree: appending 100,000 items one blocking call at a time would
    // cost seconds.
    Synchronize([this, stopped] {
        FList->AdoptScan(std::move(m_items), !stopped, std::move(m_dirs), std::move(m_findings));
    });
}

void TSearchFilesThread::NotListed(const QString& key, const QString& relativePath, int code)
{
    // The full path, as the directory is named elsewhere: without a trailing delimiter.
    const QString subject = relativePath.isEmpty() && FPath.size() > 1 ? FPath.chopped(1) : FPath + relativePath;
    m_findings.lines.append({key + u' ' + EscapeForLog(subject) + u' ' + ReasonText(code), true});
    m_findings.unlistedPaths.insert(relativePath);
}

bool TSearchFilesThread::OnPseudoFileSystem(uint64_t device, const QString& relativePath)
{
    const auto [known, first] = m_pseudoDevices.try_emplace(device, false);
    if (first)
        known->second = platform::isOnPseudoFileSystem(PathViewOf(FPath + relativePath));
    return known->second;
}

void TSearchFilesThread::NotRead(const QString& relativePath)
{
    const QString subject = relativePath.isEmpty() && FPath.size() > 1 ? FPath.chopped(1) : FPath + relativePath;
    m_findings.lines.append({LogSkipPseudoFileSystem + u' ' + EscapeForLog(subject), false});
    m_findings.unlistedPaths.insert(relativePath);
}

void TSearchFilesThread::EnterSubDir(const SubDir& sub)
{
    const QString relative = sub.key.first(sub.key.size() - 1);
    const auto [entered, first] = m_entered.try_emplace(sub.identity, relative);
    if (!first) {
        // Reached again through a link: a loop back to a directory above, or a second way into one
        // already listed. Entering it again could multiply the tree without end; what lies below is
        // not listed here, so nothing there is taken for missing either.
        m_findings.lines.append({LogDirSkipRepeated + u' ' + EscapeForLog(FPath + relative) + u" = "_s
                                     + EscapeForLog(FPath + entered->second),
                                 false});
        m_findings.unlistedPaths.insert(relative);
        return;
    }
    m_dirs.append({relative, sub.attributes});
    SearchFiles(sub.key, sub.identity.device);
}

void TSearchFilesThread::SearchFiles(const QString& relativeDir, uint64_t device)
{
    const QString dirPath = FPath + relativeDir;
    // The lists of each depth are kept from one directory to the next (a deque keeps them in place
    // while deeper levels are added), so a tree of small directories does not allocate and grow two
    // lists for every directory.
    if (m_depth == m_levels.size())
        m_levels.emplace_back();
    Level& level = m_levels[m_depth];
    QList<TRsBackupItem>& files = level.files;
    QList<SubDir>& subDirs = level.subDirs;
    files.clear();
    subDirs.clear();
    // This directory's files go straight to the end of the list; only a directory that turns out
    // to have subdirectories takes them out again to merge (see below).
    const qsizetype firstFile = m_items.size();
    qsizetype entries = 0;
    const bool listed = platform::enumerateDirectory(PathViewOf(dirPath), m_followLinks, [&](const platform::DirEntry& e) {
        ++entries;
        m_entriesFound.fetch_add(1, std::memory_order_relaxed);
        const QStringView name(e.name.data(), qsizetype(e.name.size()));
        // Only where a mount is crossed can the file system change.
        auto onPseudoFileSystem = [&] {
            if (e.device == device || !OnPseudoFileSystem(e.device, relativeDir + name.toString()))
                return false;
            NotRead(relativeDir + name.toString());
            return true;
        };
        switch (e.kind) {
        case platform::EntryKind::File: {
            // A killed copy's temporary file is the program's own, never a user's file.
            if (name.startsWith(u'.') && platform::isCopyTemporaryName(platform::PathView(e.name))) {
                m_findings.temporaryFiles.append(relativeDir + name.toString());
                break;
            }
            if (!FExcludedItemList.isEmpty()) {
                const qsizetype dot = name.lastIndexOf(u'.');
                const QStringView ext = dot >= 0 ? name.mid(dot) : QStringView();
                if (IsExcludedItem(ext, eitExt, FExcludedItemList) || IsExcludedItem(name, eitFile, FExcludedItemList))
                    break;
            }
            if (onPseudoFileSystem())
                break;
            QString relative;
            relative.reserve(relativeDir.size() + name.size());
            relative += relativeDir;
            relative += name;
            m_items.append(TRsBackupItem(FPath, std::move(relative), m_localTime.convert(e.modified), e.attributes,
                                         qint64(e.size)));
            break;
        }
        case platform::EntryKind::Directory:
        case platform::EntryKind::DirectoryLink:
            if (FIncludingSubDirs && !IsExcludedItem(name, eitDir, FExcludedItemList)) {
                if (e.kind == platform::EntryKind::Directory && onPseudoFileSystem())
                    break;
                QString key;
                key.reserve(relativeDir.size() + name.size() + 1);
                key += relativeDir;
                key += name;
                key += u'/';
                const bool notFollowed = e.kind == platform::EntryKind::DirectoryLink;
                subDirs.append({std::move(key), notFollowed, e.isLink && !notFollowed, e.attributes,
                                {e.device, e.inode}});
            }
            break;
        case platform::EntryKind::Other:
            break; // FIFOs, sockets, devices and dangling links are never read
        }
        // Asked every 64 entries rather than for each: a stop still ends the scan within a
        // fraction of a millisecond, and the question costs about as much as a cached status call.
        if ((++m_entriesSinceStopCheck & 63) == 0 && IsStopping()) {
            m_stopped = true;
            return false;
        }
        return true;
    }, [&](const platform::Path& name, int code) {
        ++entries;
        NotListed(LogErrorEntryStatus, relativeDir + QString::fromUtf16(name.data(), qsizetype(name.size())), code);
    });
    if (IsStopping())
        m_stopped = true;
    if (!listed && !m_stopped) {
        // What could not be listed is unknown, not missing: it is reported and protected.
        NotListed(LogDirErrorList, relativeDir.chopped(relativeDir.isEmpty() ? 0 : 1),
                  platform::lastError().code);
    } else if (relativeDir.isEmpty() && !m_stopped) {
        m_findings.baseIsEmpty = entries == 0;
    }

    // The items leave each directory in the order of the whole list, so that the finished list
    // needs no sort of its own: this directory's files sorted, and each subdirectory's files
    // ("name/...") placed among them where "name/" falls. Two subdirectories whose names differ only
    // in ASCII case would interleave; then the list is sorted as a whole at the end.
    const qsizetype prefix = relativeDir.size(); // shared by all of them: not compared again
    std::sort(m_items.begin() + firstFile, m_items.end(), [prefix](const TRsBackupItem& x, const TRsBackupItem& y) {
        return RelativePathLess(QStringView(x.RelativePath()).sliced(prefix), QStringView(y.RelativePath()).sliced(prefix));
    });
    if (subDirs.isEmpty())
        return;
    for (qsizetype i = firstFile; i < m_items.size(); ++i)
        files.append(std::move(m_items[i]));
    m_items.resize(firstFile);
    std::sort(subDirs.begin(), subDirs.end(), [](const SubDir& a, const SubDir& b) {
        return CompareRelativePath(a.key, b.key) < 0;
    });
    for (qsizetype i = 1; i < subDirs.size(); ++i) {
        if (CompareRelativePath(subDirs.at(i - 1).key, subDirs.at(i).key) == 0)
            m_needsSort = true;
    }
    qsizetype nextFile = 0;
    auto emitFilesBefore = [&](const QString* key) {
        while (nextFile < files.size()
               && (!key || CompareRelativePath(files.at(nextFile).RelativePath(), *key) < 0))
            m_items.append(std::move(files[nextFile++]));
    };

    // Subdirectories are entered after the listing of this one is closed, so that a deep tree does
    // not hold one open directory per level.
    for (const SubDir& sub : std::as_const(subDirs)) {
        if (m_stopped)
            break; // what was found is still handed over, in no particular order
        emitFilesBefore(&sub.key);
        const QString relative = sub.key.first(sub.key.size() - 1);
        if (sub.isLink) {
            // A link in a tree whose links are not followed is listed but never entered: mirroring
            // must never reach through it, and a copy never writes through it.
            m_dirs.append({relative, sub.attributes, true});
            continue;
        }
        if (sub.isFollowedLink) {
            m_deferredLinks.push_back(sub);
            continue;
        }
        ++m_depth;
        EnterSubDir(sub);
        --m_depth;
        if (IsStopping())
            m_stopped = true;
    }
    emitFilesBefore(nullptr);
}
