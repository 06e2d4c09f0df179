#pragma once

#include "engine/BackupIndexLists.h"
#include "engine/RsBackupList.h"
#include "engine/TaskWorker.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QStringList>

#include <atomic>
#include <functional>

class TRsTaskList;

// Carries out what the collection decided for one task: directory attributes, new directories, new
// and outdated files, verification, deletions; one log line per item. A test changes nothing and
// writes the success lines a run would write, without verification.
class TDoBackupThread final : public TTaskWorker
{
    Q_OBJECT

public:
    // Not started here, nor freed when it ends. stopFlag is the run's stop flag itself (may be null):
    // a long copy tests it between chunks, so a stop ends it at once.
    TDoBackupThread(TRsBackupList* srcList, TRsBackupList* dstList, TRsTaskList* list, int index,
                    const TBackupIndexLists* indexLists, TRsLogList* logList,
                    const TBreakFunction& checkBreakFlag, const std::atomic<bool>* stopFlag, bool isTesting);
    ~TDoBackupThread() override;

protected:
    void Execute() override;

private:
    void DoDirCopy();
    void DoFileCopy();
    void DoFileVerify();
    void DoFileDelete();
    void DoDirDelete();

    // Walks indices (backwards on request); step performs one entry and writes its line. After
    // each entry the stop test is asked. False when the walk was stopped (terminate request set).
    bool Walk(const QList<qint32>& indices, bool backwards, const std::function<void(qint32)>& step);
    void ItemLine(const QString& key, const QString& subject);
    // The line of a failed item with the reason the error carries.
    void ItemFailed(const QString& key, const QString& subject, const std::exception& error);
    // Gives a destination directory the source's attribute word. Throws ERsFileError on failure.
    // False when nothing could be changed: the destination keeps no permission bits.
    bool ApplyDirAttributes(const QString& path, quint32 attributes);
    // Once per task: the destination's file system keeps no permission bits.
    void NotePermissionsNotKept();
    // What the task wrote, on the destination's disk before the task ends (a run only).
    void MakeDurable();
    // Copies a source item to its destination place. Throws ERsFileError on failure.
    void CopyItem(const TRsBackupItem& source, const QString& destination);
    // Permission bits withheld from directories until the files below them are in place, and
    // those lifted for the run; put back at the end, deepest first.
    void RestoreDeferredDirAttributes();
    // Before an entry is created, replaced or removed in the directory that holds path: a backup
    // directory below the destination that this user may not write (a read-only source directory
    // copied with its bits) is made writable for the rest of the run.
    void LiftParentForWriting(const QString& path);
    // Throws when path lies at or below a destination link that could not be replaced.
    void RefuseBelowLink(const QString& relativePath) const;
    // Removes the copy temporary files that a killed run left in the destination.
    void RemoveTemporaryFiles();

    const TBackupIndexLists* FIndexLists;
    const std::atomic<bool>* m_stopFlag;
    bool FIsTesting;
    QList<QPair<QString, quint32>> m_deferredDirAttributes;
    QList<QPair<QString, quint32>> m_liftedDirs; // path, permission bits before the run
    QSet<QString> m_checkedParents;
    QSet<QString> m_unreplacedLinks; // relative paths
    QSet<qint32> m_copyFailed;       // source items whose copy failed: not verified again
    bool m_permissionsNoted = false;
};
