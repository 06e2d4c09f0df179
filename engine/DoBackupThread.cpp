#include "engine/DoBackupThread.h"

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "engine/EscapeForLog.h"
#include "engine/MD5.h"
#include "engine/RsFileUtils.h"
#include "engine/platform/Durability.h"
#include "model/RsTaskList.h"

#include <algorithm>
#include <cerrno>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

// Owner read, write and search permission, as carried in the high half of an attribute word.
constexpr quint32 kOwnerAll = 0700u << 16;

[[noreturn]] void ThrowLastError(const QString& what)
{
    throw ERsFileError(what, platform::lastError().code);
}

} // namespace

TDoBackupThread::TDoBackupThread(TRsBackupList* srcList, TRsBackupList* dstList, TRsTaskList* list, int index,
                                 const TBackupIndexLists* indexLists, TRsLogList* logList,
                                 const TBreakFunction& checkBreakFlag, const std::atomic<bool>* stopFlag,
                                 bool isTesting)
    : TTaskWorker(srcList, dstList, list, index, logList, checkBreakFlag)
    , FIndexLists(indexLists)
    , m_stopFlag(stopFlag)
    , FIsTesting(isTesting)
{
}

TDoBackupThread::~TDoBackupThread()
{
    StopThread();
}

void TDoBackupThread::Execute()
{
    if (!FIsTesting)
        RemoveTemporaryFiles();
    RunPhases({[this] { DoDirCopy(); }, [this] { DoFileCopy(); }, [this] { DoFileVerify(); },
               [this] { DoFileDelete(); }, [this] { DoDirDelete(); }});
    RestoreDeferredDirAttributes();
    if (!FIsTesting)
        MakeDurable();
}

void TDoBackupThread::MakeDurable()
{
    // One flush of the destination's whole file system, not one per file; the task's footer (and
    // the log file that says it finished) come only after it.
    const QString base = FDstList->BasePath();
    if (platform::syncFileSystem(PathViewOf(base), m_stopFlag) || platform::lastError().code == ECANCELED)
        return;
    const QString shown = base.size() > 1 && base.endsWith(u'/') ? base.chopped(1) : base;
    AddLogLine(LogDstErrorSync + u' ' + EscapeForLog(shown) + u' ' + ReasonText(platform::lastError().code), true, true);
}

void TDoBackupThread::NotePermissionsNotKept()
{
    if (m_permissionsNoted)
        return;
    m_permissionsNoted = true;
    const QString base = FDstList->BasePath();
    const QString shown = base.size() > 1 && base.endsWith(u'/') ? base.chopped(1) : base;
    AddLogLine(LogPermissionsNotKept + u' ' + EscapeForLog(shown), true);
}

bool TDoBackupThread::Walk(const QList<qint32>& indices, bool backwards, const std::function<void(qint32)>& step)
{
    const qsizetype n = indices.size();
    for (qsizetype k = 0; k < n; ++k) {
        step(indices.at(backwards ? n - 1 - k : k));
        ItemDone();
        FlushIfDue();
        if (IsStopping())
            break;
    }
    if (IsStopping()) {
        Terminate();
        return false;
    }
    return true;
}

void TDoBackupThread::ItemLine(const QString& key, const QString& subject)
{
    AddLogLine(key + u' ' + EscapeForLog(subject), true);
}

void TDoBackupThread::ItemFailed(const QString& key, const QString& subject, const std::exception& error)
{
    AddLogLine(key + u' ' + EscapeForLog(subject) + u' ' + ReasonOf(error), true, true);
}

bool TDoBackupThread::ApplyDirAttributes(const QString& path, quint32 attributes)
{
    platform::DirEntry entry;
    if (!platform::statPath(PathViewOf(path), false, entry))
        ThrowLastError(path);
    // A link in the destination is never entered: changing its permissions would change its target,
    // and saying that they changed would not be true.
    if (entry.kind != platform::EntryKind::Directory) {
        platform::setLastError(ELOOP);
        ThrowLastError(path);
    }
    // A scanned word always carries the permission bits, mode 000 included: they are set exactly.
    const quint32 permissions = attributes >> 16;
    quint32 applied = permissions;
    const bool deferred = (attributes & kOwnerAll) != kOwnerAll;
    if (deferred) {
        // Without owner write and search permission no file could be copied below it; the
        // directory gets its own bits once the files are in place.
        applied |= kOwnerAll >> 16;
    }
    bool changed = true;
    switch (platform::setPermissionsIfKept(PathViewOf(path), applied)) {
    case platform::PermissionResult::Kept:
        if (deferred)
            m_deferredDirAttributes.append({path, attributes});
        break;
    case platform::PermissionResult::NotKept:
        NotePermissionsNotKept();
        changed = false;
        break;
    case platform::PermissionResult::Failed:
        ThrowLastError(path);
    }
    if (attributes & platform::kAttrCompressed) {
        SetCompressedAttribute(path, attributes, true);
        changed = true;
    }
    if (attributes & platform::kAttrEncrypted) {
        SetEncryptedAttribute(path, attributes, true);
        changed = true;
    }
    return changed;
}

void TDoBackupThread::RestoreDeferredDirAttributes()
{
    // Deepest first, so that a parent loses its write permission only after its children are set.
    std::sort(m_liftedDirs.begin(), m_liftedDirs.end(),
              [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    for (const auto& [path, mode] : std::as_const(m_liftedDirs))
        platform::setPermissions(PathViewOf(path), mode);
    m_liftedDirs.clear();
    m_checkedParents.clear();
    for (qsizetype k = m_deferredDirAttributes.size() - 1; k >= 0; --k) {
        const auto& [path, attributes] = m_deferredDirAttributes.at(k);
        platform::setPermissions(PathViewOf(path), attributes >> 16);
    }
    m_deferredDirAttributes.clear();
}

void TDoBackupThread::LiftParentForWriting(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/', path.endsWith(u'/') ? path.size() - 2 : -1);
    // Only the backup's own directories, which carry the source's bits: the destination directory
    // itself keeps whatever its owner chose.
    if (slash < FDstList->BasePath().size())
        return;
    const QString parent = path.first(slash);
    // Once per directory and run: files arrive sorted, so most share the parent just checked.
    if (m_checkedParents.contains(parent))
        return;
    m_checkedParents.insert(parent);
    quint32 mode = 0;
    if (platform::liftDirectoryForWriting(PathViewOf(parent), mode) == platform::LiftResult::Lifted)
        m_liftedDirs.append({parent, mode});
}

void TDoBackupThread::RefuseBelowLink(const QString& relativePath) const
{
    if (IsAtOrBelow(m_unreplacedLinks, relativePath))
        throw ERsFileError(relativePath, ELOOP);
}

void TDoBackupThread::RemoveTemporaryFiles()
{
    // They are the program's own: removed without a line, never counted as a user's file. One that
    // cannot be removed now is tried again at the next run.
    const QString base = FDstList->BasePath();
    for (const QString& relative : FDstList->Findings.temporaryFiles) {
        const QString path = base + relative;
        LiftParentForWriting(path);
        platform::deleteFile(PathViewOf(path));
    }
}

void TDoBackupThread::CopyItem(const TRsBackupItem& source, const QString& destination)
{
    // Through a temporary file renamed into place: a failed or stopped copy leaves the old backup
    // as it was and no partial file.
    const QString sourceName = source.FileName();
    platform::CopyNotes notes;
    if (platform::copyFile(PathViewOf(sourceName), PathViewOf(destination), m_stopFlag, &notes, m_bytesDone)
        != platform::CopyResult::Copied)
        ThrowLastError(destination);
    if (notes.permissionsNotKept)
        NotePermissionsNotKept();
}

void TDoBackupThread::DoDirCopy()
{
    const TRsDirList& src = FSrcList->DirList;
    const QString dstBase = FDstList->BasePath();
    const bool attribOk = Walk(FIndexLists->DirAttribIndexList, false, [&](qint32 i) {
        const QString& subject = src[i];
        try {
            // Where the destination keeps no permission bits and nothing else was to change,
            // nothing changed: no line but the task's one note says so.
            if (FIsTesting || ApplyDirAttributes(dstBase + subject, src.Attribute(i)))
                ItemLine(LogDirAttrib, subject);
        } catch (const std::exception& e) {
            ItemFailed(LogDirErrorAttrib, subject, e);
        }
    });
    if (!attribOk)
        return;
    const QSet<qint32> linksToReplace(FIndexLists->DirLinkReplaceIndexList.cbegin(),
                                      FIndexLists->DirLinkReplaceIndexList.cend());
    Walk(FIndexLists->DirNewIndexList, false, [&](qint32 i) {
        const QString& subject = src[i];
        if (linksToReplace.contains(i)) {
            // The link itself goes (deleting a name never touches what it points to), then the
            // directory is made in its place.
            try {
                if (!FIsTesting) {
                    const QString path = dstBase + subject;
                    LiftParentForWriting(path);
                    if (!platform::deleteFile(PathViewOf(path)))
                        ThrowLastError(path);
                }
                ItemLine(LogDirDelete, subject);
            } catch (const std::exception& e) {
                ItemFailed(LogDirErrorDelete, subject, e);
                // The link stays: nothing may be written through it.
                m_unreplacedLinks.insert(subject);
                ItemFailed(LogDirErrorNew, subject, ERsFileError(subject, ELOOP));
                return;
            }
        }
        try {
            if (!FIsTesting) {
                const QString path = dstBase + subject;
                RefuseBelowLink(subject);
                LiftParentForWriting(path);
                if (!platform::createDirectories(PathViewOf(path)))
                    ThrowLastError(path);
                ApplyDirAttributes(path, src.Attribute(i));
            }
            ItemLine(LogDirNew, subject);
        } catch (const std::exception& e) {
            ItemFailed(LogDirErrorNew, subject, e);
        }
    });
}

void TDoBackupThread::DoFileCopy()
{
    const QString dstBase = FDstList->BasePath();
    const bool newOk = Walk(FIndexLists->FileNewIndexList, false, [&](qint32 i) {
        const TRsBackupItem& s = FSrcList->Items(i);
        try {
            if (!FIsTesting) {
                const QString destination = dstBase + s.RelativePath();
                RefuseBelowLink(s.RelativePath());
                LiftParentForWriting(destination);
                CopyItem(s, destination);
            }
            ItemLine(LogFileNew, s.RelativePath());
        } catch (const std::exception& e) {
            m_copyFailed.insert(i);
            ItemFailed(LogFileErrorNew, s.RelativePath(), e);
        }
    });
    if (!newOk)
        return;
    Walk(FIndexLists->FileOverwriteIndexList, false, [&](qint32 i) {
        const TRsBackupItem& s = FSrcList->Items(i);
        try {
            if (!FIsTesting) {
                const QString destination = dstBase + s.RelativePath();
                LiftParentForWriting(destination);
                MakeFileWritable(destination);
                CopyItem(s, destination);
            }
            ItemLine(LogFileOverwrite, s.RelativePath());
        } catch (const std::exception& e) {
            m_copyFailed.insert(i);
            ItemFailed(LogFileErrorOverwrite, s.RelativePath(), e);
        }
    });
}

void TDoBackupThread::DoFileVerify()
{
    if (!m_verifying || FIsTesting)
        return;
    const QString dstBase = FDstList->BasePath();
    // The copies go to the disk together first, in one flush of the destination the disk can order
    // as it likes; each copy's pages are then clean, and dropping them before its digest costs no
    // write of its own.
    platform::syncFileSystem(PathViewOf(dstBase), m_stopFlag);
    DigestFiles(
        {&FIndexLists->FileNewIndexList, &FIndexLists->FileOverwriteIndexList},
        [&](qint32 i) { return dstBase + FSrcList->Items(i).RelativePath(); },
        [this](qint32 i, const QString& subject, const TMD5Digest& digest) {
            if (SameMD5Digest(FSrcList->Items(i).MD5(), digest))
                ItemLine(LogFileVerify, subject);
            else
                AddLogLine(LogFileErrorVerify + u' ' + EscapeForLog(subject) + u" ("_s + LogReasonDigestsDiffer + u')',
                           true, true);
            ItemDone();
        },
        [this](qint32, const QString& subject, const QString& reason) {
            AddLogLine(LogFileErrorMisc + u' ' + EscapeForLog(subject) + u' ' + reason, true, true);
            ItemDone();
        },
        // From the device, not from the cache that still holds what was written.
        TDigestRead::FromDevice,
        // A copy that failed has its error line: there is no copy to verify.
        [this](qint32 i) { return m_copyFailed.contains(i); });
}

void TDoBackupThread::DoFileDelete()
{
    Walk(FIndexLists->FileDeleteIndexList, false, [&](qint32 j) {
        const TRsBackupItem& t = FDstList->Items(j);
        try {
            if (!FIsTesting) {
                const QString fileName = t.FileName();
                LiftParentForWriting(fileName);
                MakeFileWritable(fileName);
                // unlink removes a link itself, never its target
                if (!platform::deleteFile(PathViewOf(fileName)))
                    ThrowLastError(fileName);
            }
            ItemLine(LogFileDelete, t.RelativePath());
        } catch (const std::exception& e) {
            ItemFailed(LogFileErrorDelete, t.RelativePath(), e);
        }
    });
}

void TDoBackupThread::DoDirDelete()
{
    const TRsDirList& dst = FDstList->DirList;
    const QString dstBase = FDstList->BasePath();
    // Backwards: DirList has every parent before its children, so the deepest go first.
    Walk(FIndexLists->DirDeleteIndexList, true, [&](qint32 j) {
        const QString& subject = dst[j];
        try {
            if (!FIsTesting) {
                const QString path = dstBase + subject;
                LiftParentForWriting(path);
                platform::DirEntry entry;
                if (!platform::statPath(PathViewOf(path), false, entry))
                    ThrowLastError(path);
                if (entry.kind != platform::EntryKind::Directory && entry.kind != platform::EntryKind::DirectoryLink) {
                    platform::setLastError(ENOTDIR);
                    ThrowLastError(path);
                }
                // Removes a link itself, and never follows one below.
                const bool removed = platform::removeDirectoryTree(PathViewOf(path));
                if (platform::statPath(PathViewOf(path), false, entry)) {
                    if (removed)
                        platform::setLastError(ENOTEMPTY);
                    ThrowLastError(path);
                }
            }
            ItemLine(LogDirDelete, subject);
        } catch (const std::exception& e) {
            ItemFailed(LogDirErrorDelete, subject, e);
        }
    });
}
