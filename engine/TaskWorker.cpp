#include "engine/TaskWorker.h"

#include "engine/RsFileUtils.h"
#include "model/RsTaskList.h"

#include <exception>

TTaskWorker::TTaskWorker(TRsBackupList* srcList, TRsBackupList* dstList, TRsTaskList* list, int index,
                         TRsLogList* logList, const TBreakFunction& checkBreakFlag)
    : FSrcList(srcList)
    , FDstList(dstList)
    , FList(list)
    , FIndex(index)
    , FLogList(logList)
    , FCheckBreakFlag(checkBreakFlag)
{
    if (FList && FIndex >= 0 && FIndex < FList->Count()) {
        m_mirroring = FList->Items(FIndex)->Mirroring;
        m_verifying = FList->Items(FIndex)->Verifying;
    }
    SetLogList(FLogList);
}

bool TTaskWorker::IsStopping() const
{
    return Terminated() || IsBreakRequested(FCheckBreakFlag);
}

void TTaskWorker::RunPhases(std::initializer_list<std::function<void()>> phases)
{
    for (const std::function<void()>& phase : phases) {
        if (IsStopping())
            break;
        phase();
    }
    if (IsStopping())
        Terminate();
}

void TTaskWorker::FlushIfDue()
{
    if (FlushDue())
        FlushLogLines();
}

bool TTaskWorker::DigestFiles(std::initializer_list<const QList<qint32>*> indexLists,
                              const std::function<QString(qint32)>& fileNameOf,
                              const std::function<void(qint32, const QString&, const TMD5Digest&)>& onDigest,
                              const std::function<void(qint32, const QString&, const QString&)>& onFailure,
                              TDigestRead read, const std::function<bool(qint32)>& skip)
{
    for (const QList<qint32>* indices : indexLists) {
        for (const qint32 i : *indices) {
            if (skip && skip(i))
                continue;
            const QString fileName = fileNameOf(i);
            TMD5Digest digest{};
            QString reason;
            bool ok = true;
            try {
                digest = GetFileMD5(fileName, FCheckBreakFlag, read, m_bytesDone);
            } catch (const std::exception& e) {
                ok = false;
                reason = ReasonOf(e);
            }
            if (IsStopping()) {
                Terminate();
                return false;
            }
            if (ok)
                onDigest(i, fileName, digest);
            else
                onFailure(i, fileName, reason);
            FlushIfDue();
        }
    }
    return true;
}
