#pragma once

#include "engine/MD5.h"
#include "engine/RsThread.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>

class TRsBackupList;
class TRsTaskList;

// What the collection and the execution of one task have in common: both listings, the task (its
// switches are read on the main thread when the worker is made, so an edit during the run changes
// nothing), the run log, the stop test, the walk through phases and the digest loop, and the
// progress counters the run driver reads.
class TTaskWorker : public TRsThread
{
    Q_OBJECT

public:
    // Items (one per index list entry) finished so far, and bytes read or copied so far: read by
    // the run driver for its progress. Safe from any thread.
    qint64 ItemsDone() const { return m_itemsDone.load(std::memory_order_relaxed); }
    qint64 BytesDone() const { return qint64(m_bytesDone->load(std::memory_order_relaxed)); }

protected:
    TTaskWorker(TRsBackupList* srcList, TRsBackupList* dstList, TRsTaskList* list, int index, TRsLogList* logList,
                const TBreakFunction& checkBreakFlag);

    // The terminate request or the run's stop test.
    bool IsStopping() const;
    // Runs the phases in order; a stop before a phase ends the body (terminate request set).
    void RunPhases(std::initializer_list<std::function<void()>> phases);
    void ItemDone() { m_itemsDone.fetch_add(1, std::memory_order_relaxed); }

    // Takes the digest of each file that the index lists name, in order, but those skip() picks (may
    // be empty). An interrupted digest proves nothing: on a stop the walk ends (terminate request
    // set) without a result for the file being read, and false is returned. Lines due are handed over
    // between files.
    bool DigestFiles(std::initializer_list<const QList<qint32>*> indexLists,
                     const std::function<QString(qint32)>& fileNameOf,
                     const std::function<void(qint32, const QString&, const TMD5Digest&)>& onDigest,
                     const std::function<void(qint32, const QString&, const QString&)>& onFailure,
                     TDigestRead read = TDigestRead::FromCache, const std::function<bool(qint32)>& skip = {});
    // Hands over the queued lines when they are due (see FlushDue); derived classes with data of
    // their own to hand over override it.
    virtual void FlushIfDue();

    TRsBackupList* FSrcList;
    TRsBackupList* FDstList;
    TRsTaskList* FList;
    int FIndex;
    TRsLogList* FLogList;
    TBreakFunction FCheckBreakFlag;
    bool m_mirroring = false;
    bool m_verifying = false;
    std::atomic<qint64> m_itemsDone{0};
    // Shared with the copies and digests on their helper threads, which may outlive a stopped call.
    const std::shared_ptr<std::atomic<uint64_t>> m_bytesDone = std::make_shared<std::atomic<uint64_t>>(0);
};
