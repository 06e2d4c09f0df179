#include "engine/CollectBackupInfoThread.h"

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "engine/EscapeForLog.h"
#include "engine/RsFileUtils.h"
#include "model/RsTaskList.h"

#include <exception>

TCollectBackupInfoThread::TCollectBackupInfoThread(TRsBackupList* srcList, TRsBackupList* dstList,
                                                   TRsTaskList* list, int index, TBackupIndexLists* indexLists,
                                                   TRsLogList* logList, const TBreakFunction& checkBreakFlag)
    : TTaskWorker(srcList, dstList, list, index, logList, checkBreakFlag)
    , FIndexLists(indexLists)
{
}

TCollectBackupInfoThread::~TCollectBackupInfoThread()
{
    StopThread();
}

void TCollectBackupInfoThread::Execute()
{
    ReportScanFindings();
    m_dstTraits = LearnDestinationTraits(*FDstList);
    RunPhases({[this] { CollectInfoDirCopy(); }, [this] { CollectInfoDirDelete(); },
               [this] { CollectInfoFileCopy(); }, [this] { CollectInfoFileDelete(); },
               [this] { CollectInfoFileVerify(); }});
    // What was appended so far reaches the lists, also after a stop.
    Flush();
}

void TCollectBackupInfoThread::Append(Target target, qint32 index)
{
    m_pendingIndices.append({target, index});
    if (target == Target::FileNew)
        m_fileNew.append(index);
    else if (target == Target::FileOverwrite)
        m_fileOverwrite.append(index);
}

void TCollectBackupInfoThread::Flush()
{
    if (m_pendingIndices.isEmpty() && m_pendingDigests.isEmpty()) {
        FlushLogLines();
        return;
    }
    FlushLogLines([this] {
        for (const auto& [target, index] : std::as_const(m_pendingIndices)) {
            switch (target) {
            case Target::DirAttrib: FIndexLists->DirAttribIndexList.append(index); break;
            case Target::DirNew: FIndexLists->DirNewIndexList.append(index); break;
            case Target::DirDelete: FIndexLists->DirDeleteIndexList.append(index); break;
            case Target::FileNew: FIndexLists->FileNewIndexList.append(index); break;
            case Target::FileOverwrite: FIndexLists->FileOverwriteIndexList.append(index); break;
            case Target::FileDelete: FIndexLists->FileDeleteIndexList.append(index); break;
            case Target::DirLinkReplace: FIndexLists->DirLinkReplaceIndexList.append(index); break;
            }
        }
        for (const auto& [index, digest] : std::as_const(m_pendingDigests))
            FSrcList->Items(index).SetMD5(digest);
    });
    m_pendingIndices.clear();
    m_pendingDigests.clear();
}

void TCollectBackupInfoThread::FlushIfDue()
{
    constexpr qsizetype kBatch = 4096;
    if (m_pendingIndices.size() >= kBatch || m_pendingDigests.size() >= kBatch || FlushDue())
        Flush();
}

bool TCollectBackupInfoThread::EndPhase(std::initializer_list<const QString*> labels)
{
    if (IsStopping()) {
        Terminate();
        Flush(); // the lists keep what was appended so far
        return false;
    }
    for (const QString* label : labels)
        AddLogLine(FormatLangText(MsgInfoCollectedItemInfo, *label), false);
    Flush();
    return true;
}

void TCollectBackupInfoThread::ReportScanFindings()
{
    for (const TRsBackupList* list : {FSrcList, FDstList}) {
        for (const auto& [line, isError] : list->Findings.lines)
            AddLogLine(line, true, isError);
    }
    m_dstBlocked = FDstList->Findings.unlistedPaths;
    Flush();
}

void TCollectBackupInfoThread::CollectInfoDirCopy()
{
    const TRsDirList& src = FSrcList->DirList;
    const TRsDirList& dst = FDstList->DirList;
    for (int i = 0; i < src.Count(); ++i) {
        // DirList has every parent before its children, so a blocked parent is known by now.
        if (IsAtOrBelow(m_dstBlocked, src[i]))
            continue;
        const int j = dst.IndexOf(src[i]);
        if (j >= 0 && dst.IsLink(j)) {
            // Where the source has a directory the destination has a link: writing below it would
            // write wherever it points. A mirror replaces the link itself by a directory; otherwise
            // nothing goes there.
            if (m_mirroring) {
                Append(Target::DirLinkReplace, i);
                Append(Target::DirNew, i);
            } else {
                AddLogLine(FormatLangText(LogDirErrorLink, EscapeForLog(src[i])), true, true);
                m_dstBlocked.insert(src[i]);
            }
        } else if (j < 0)
            Append(Target::DirNew, i);
        else if (DirAttributesDiffer(src.Attribute(i), dst.Attribute(j), m_dstTraits))
            Append(Target::DirAttrib, i);
        FlushIfDue();
        if (IsStopping())
            break;
    }
    EndPhase({&MsgDirAttrib, &MsgDirNew});
}

void TCollectBackupInfoThread::CollectInfoDirDelete()
{
    if (!m_mirroring)
        return;
    const TRsDirList& src = FSrcList->DirList;
    const TRsDirList& dst = FDstList->DirList;
    const QSet<QString>& unlisted = FSrcList->Findings.unlistedPaths;
    for (int j = 0; j < dst.Count(); ++j) {
        // Below what the source scan could not see, nothing is known to be missing.
        if (src.IndexOf(dst[j]) < 0 && !IsAtOrBelow(unlisted, dst[j]))
            Append(Target::DirDelete, j);
        FlushIfDue();
        if (IsStopping())
            break;
    }
    EndPhase({&MsgDirDelete});
}

void TCollectBackupInfoThread::CollectInfoFileCopy()
{
    for (int i = 0; i < FSrcList->Count(); ++i) {
        const TRsBackupItem& s = FSrcList->Items(i);
        if (IsAtOrBelow(m_dstBlocked, s.RelativePath()))
            continue;
        const int j = FDstList->IndexOfRelativePath(s.RelativePath());
        if (j < 0) {
            Append(Target::FileNew, i);
        } else {
            const int copyAge = CompareCopyTime(DateTimeToMilliseconds(s.TimeStamp()),
                                                DateTimeToMilliseconds(FDstList->Items(j).TimeStamp()),
                                                m_dstTraits.times);
            if (copyAge < 0 || (copyAge > 0 && m_mirroring))
                Append(Target::FileOverwrite, i);
        }
        FlushIfDue();
        if (IsStopping())
            break;
    }
    EndPhase({&MsgFileNew, &MsgFileOverwrite});
}

void TCollectBackupInfoThread::CollectInfoFileDelete()
{
    if (!m_mirroring)
        return;
    const QSet<QString>& unlisted = FSrcList->Findings.unlistedPaths;
    for (int j = 0; j < FDstList->Count(); ++j) {
        const QString& path = FDstList->Items(j).RelativePath();
        if (FSrcList->IndexOfRelativePath(path) < 0 && !IsAtOrBelow(unlisted, path))
            Append(Target::FileDelete, j);
        FlushIfDue();
        if (IsStopping())
            break;
    }
    EndPhase({&MsgFileDelete});
}

void TCollectBackupInfoThread::CollectInfoFileVerify()
{
    if (!m_verifying)
        return;
    // Both copy lists are final now; the worker's own copies of them are walked.
    qint64 bytes = 0;
    for (const QList<qint32>* indices : {&m_fileNew, &m_fileOverwrite}) {
        for (const qint32 i : *indices)
            bytes += FSrcList->Items(i).Size();
    }
    m_digestBytes.store(bytes, std::memory_order_relaxed);
    m_digestFiles.store(m_fileNew.size() + m_fileOverwrite.size(), std::memory_order_relaxed);
    const bool completed = DigestFiles(
        {&m_fileNew, &m_fileOverwrite}, [this](qint32 i) { return FSrcList->Items(i).FileName(); },
        [this](qint32 i, const QString&, const TMD5Digest& digest) {
            m_pendingDigests.append({i, digest});
            ItemDone();
        },
        [this](qint32, const QString& fileName, const QString& reason) {
            AddLogLine(LogFileErrorMisc + u' ' + EscapeForLog(fileName) + u' ' + reason, true, true);
            ItemDone();
        });
    // An interrupted digest is not stored, and the phase ends without lines.
    if (completed)
        EndPhase({&MsgFileVerify});
}
