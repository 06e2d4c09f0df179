#pragma once

#include "engine/BackupIndexLists.h"
#include "engine/DestinationTraits.h"
#include "engine/MD5.h"
#include "engine/RsBackupList.h"
#include "engine/TaskWorker.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QStringList>

class TRsTaskList;

// Compares the scanned source and destination trees of one task and decides what the execution
// will do: it fills the six index lists and, for a verifying task, the digests of the source files
// to be copied. It changes nothing on disk; a test collects exactly like a run.
class TCollectBackupInfoThread final : public TTaskWorker
{
    Q_OBJECT

public:
    // Not started here, nor freed when it ends. Collected lines go to the pane only (linesAdded);
    // error lines also to logList.
    TCollectBackupInfoThread(TRsBackupList* srcList, TRsBackupList* dstList, TRsTaskList* list, int index,
                             TBackupIndexLists* indexLists, TRsLogList* logList,
                             const TBreakFunction& checkBreakFlag);
    ~TCollectBackupInfoThread() override;

    // The source files whose digests the collection takes (a verifying task's files to copy) and
    // their bytes, known once the copy lists are final; 0 before. Safe from any thread.
    qint64 DigestFileCount() const { return m_digestFiles.load(std::memory_order_relaxed); }
    qint64 DigestByteCount() const { return m_digestBytes.load(std::memory_order_relaxed); }

protected:
    void Execute() override;

private:
    enum class Target { DirAttrib, DirNew, DirDelete, FileNew, FileOverwrite, FileDelete, DirLinkReplace };

    // The scans' lines (unreadable directories and entries, directories not entered twice).
    void ReportScanFindings();

    void CollectInfoDirCopy();
    void CollectInfoDirDelete();
    void CollectInfoFileCopy();
    void CollectInfoFileDelete();
    void CollectInfoFileVerify();

    // After a walk: on a stop, ends the phase silently (false); otherwise queues its collected lines.
    bool EndPhase(std::initializer_list<const QString*> labels);
    void Append(Target target, qint32 index);
    // Hands appended indices, digests and lines to the main thread.
    void Flush();
    void FlushIfDue() override;

    TBackupIndexLists* FIndexLists;
    // Destination paths nothing may be written at or below: not listed completely, or a link that a
    // task without mirroring may not replace.
    QSet<QString> m_dstBlocked;
    // What the destination can keep: a copy is compared with its source only in that.
    TDestinationTraits m_dstTraits;

    // What the main thread has not received yet.
    QList<QPair<Target, qint32>> m_pendingIndices;
    QList<QPair<qint32, TMD5Digest>> m_pendingDigests;
    // Everything appended to the two copy lists so far (the digest phase walks them).
    QList<qint32> m_fileNew;
    QList<qint32> m_fileOverwrite;
    std::atomic<qint64> m_digestFiles{0};
    std::atomic<qint64> m_digestBytes{0};
};
