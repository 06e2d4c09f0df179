#include "engine/RunDriver.h"

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/TmkLib.h"
#include "engine/CollectBackupInfoThread.h"
#include "engine/DoBackupThread.h"
#include "engine/EscapeForLog.h"
#include "engine/RsBackupList.h"
#include "engine/RsFileUtils.h"
#include "engine/RunLogFile.h"
#include "engine/TaskPaths.h"
#include "model/RsTaskList.h"

#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Progress reaches whoever shows it at most this often.
constexpr int ProgressMilliseconds = 100;

bool ScanFinished(const TRsBackupList* list)
{
    // A directory that vanished after it was checked starts no worker: its listing is simply empty.
    return list->SearchFilesDone || !list->SearchFilesThread();
}

} // namespace

TRunCounts& TRunCounts::operator+=(const TRunCounts& other)
{
    Done += other.Done;
    Failed += other.Failed;
    Skipped += other.Skipped;
    return *this;
}

bool TRunOutcome::Failed() const
{
    return Counts.Failed > 0 || PathsMissing > 0 || TasksRefused > 0 || Stopped || !LogFileError.isEmpty();
}

TRunDriver::TRunDriver(std::atomic<bool>* breakFlag, QObject* parent)
    : QObject(parent)
    , m_breakFlag(breakFlag)
    , m_srcList(new TRsBackupList(this))
    , m_dstList(new TRsBackupList(this))
    , m_progressTimer(new QTimer(this))
{
    m_progressTimer->setInterval(ProgressMilliseconds);
    connect(m_progressTimer, &QTimer::timeout, this, &TRunDriver::SampleProgress);
    connect(m_srcList, &TRsBackupList::searchFilesDone, this, &TRunDriver::SearchFilesThreadTerminate);
    connect(m_dstList, &TRsBackupList::searchFilesDone, this, &TRunDriver::SearchFilesThreadTerminate);
}

TRunDriver::~TRunDriver()
{
    m_running = false;
    m_state = TState::Idle;
    // Whoever listened is going away too: the workers' last lines only reach the run log.
    for (TRsThread* worker : {static_cast<TRsThread*>(m_collectWorker), static_cast<TRsThread*>(m_executeWorker)}) {
        if (worker)
            disconnect(worker, nullptr, this, nullptr);
    }
    StopAndFreeThread(m_collectWorker);
    StopAndFreeThread(m_executeWorker);
}

void TRunDriver::Start(const TRunRequest& request)
{
    if (m_running || !request.List)
        return;
    m_request = request;
    m_outcome = TRunOutcome();
    m_position = 0;
    m_running = true;
    m_runClock.start();
    m_lastProgress = TRunProgress();
    m_progressTimer->start();
    Continue();
    FlushLines();
}

void TRunDriver::Stop()
{
    m_breakFlag->store(true);
    if (!m_running)
        return;
    switch (m_state) {
    case TState::Scanning:
    case TState::Collecting:
    case TState::Executing:
        TaskStopped();
        FlushLines();
        break;
    case TState::Confirming: // the question's answer is looked at once it is given
    case TState::Idle:
        break;
    }
}

void TRunDriver::StopAndFreeWorkers()
{
    if (m_running)
        Stop();
    StopAndFreeThread(m_collectWorker);
    StopAndFreeThread(m_executeWorker);
}

// ---------------------------------------------------------------------------------------------
// The steps

void TRunDriver::Continue()
{
    while (m_position < m_request.Tasks.size()) {
        const int index = m_request.Tasks.at(m_position++);
        if (index < 0 || index >= m_request.List->Count())
            continue;
        if (RunTask(index))
            return; // a worker runs; its done() goes on from here
        if (!EndTask() || BreakRequested())
            break;
    }
    FinishRun();
}

bool TRunDriver::RunTask(int index)
{
    m_breakFlag->store(false);
    // The workers of the task before have ended; what they did belongs to that task. No worker
    // may still read the lists once they are refilled.
    StopAndFreeThread(m_collectWorker);
    StopAndFreeThread(m_executeWorker);
    m_task = TTaskOutcome();
    m_task.Index = index;
    ++m_outcome.TasksRun;
    m_itemsTotal = 0;
    m_bytesTotal = 0;
    Q_EMIT taskStarted(index);

    TRsTaskList* list = m_request.List;
    const TRsTaskItem* task = list->Items(index);
    WriteRunHeader(index);
    // Both paths are checked, so the log names every missing one.
    const bool srcFound = IsExistingDirectory(task->SrcPath, true);
    if (!srcFound)
        AddLine(FormatLangText(MsgErrorPathNotFound, SrcLabel));
    const bool dstFound = IsExistingDirectory(task->DstPath, true);
    if (!dstFound)
        AddLine(FormatLangText(MsgErrorPathNotFound, DstLabel));
    m_task.PathMissing = !srcFound || !dstFound;
    m_task.Refused = !m_task.PathMissing && RefuseClashingPaths(*task);
    if (m_task.PathMissing || m_task.Refused) {
        AddPaneLine(QString());
        AddLine(FormatLangText(MsgInfoStoppedItem, TaskName()));
        return false;
    }
    AddPaneLine(FormatLangText(MsgInfoCollectItemInfo, TaskName()));
    ScanAndCollect(*task);
    return true; // under way (or already stopped by whoever heard of the phase)
}

void TRunDriver::ScanAndCollect(const TRsTaskItem& task)
{
    m_indexLists.Clear();
    m_state = TState::Scanning;
    const TBreakFunction breakFunction = [this] { return CheckBreakFlag(); };
    m_srcList->LoadFromBasePath(task.SrcPath, task.ExcludedItemList, task.IncludingSubDirs, breakFunction, true);
    // The destination's links are listed, never entered: mirroring must not reach through them.
    m_dstList->LoadFromBasePath(task.DstPath, task.ExcludedItemList, task.IncludingSubDirs, breakFunction, false);
    if (ScanFinished(m_srcList) || ScanFinished(m_dstList))
        QMetaObject::invokeMethod(this, &TRunDriver::SearchFilesThreadTerminate, Qt::QueuedConnection);
    // The collection starts once both scans have ended (SearchFilesThreadTerminate).
    BeginPhase(TRunPhase::Scan);
}

void TRunDriver::SearchFilesThreadTerminate()
{
    if (m_state != TState::Scanning || !ScanFinished(m_srcList) || !ScanFinished(m_dstList))
        return;
    if (BreakRequested()) {
        TaskStopped();
    } else {
        AddPaneLine(FormatLangText(MsgInfoCollectedItemInfo, SrcLabel));
        AddPaneLine(FormatLangText(MsgInfoCollectedItemInfo, DstLabel));
        CollectBackupInfo();
    }
    FlushLines();
}

void TRunDriver::CollectBackupInfo()
{
    TRsTaskList* list = m_request.List;
    auto* worker = new TCollectBackupInfoThread(m_srcList, m_dstList, list, m_task.Index, &m_indexLists,
                                                &list->LogList, [this] { return CheckBreakFlag(); });
    m_collectWorker = worker;
    StartWorker(worker, TState::Collecting, &TRunDriver::CollectBackupInfoThreadTerminate, TRunPhase::Collect);
}

void TRunDriver::CollectBackupInfoThreadTerminate()
{
    if (m_state != TState::Collecting)
        return;
    if (!BreakRequested()) {
        m_state = TState::Confirming;
        GuardEmptySourceDeletions(*m_request.List->Items(m_task.Index));
        if (m_state != TState::Confirming)
            return;
    }
    if (BreakRequested()) {
        TaskStopped();
    } else {
        AddPaneLine(QString());
        AddPaneLine(FormatLangText(MsgInfoStartItem, TaskName()));
        ExecuteBackup();
    }
    FlushLines();
}

void TRunDriver::ExecuteBackup()
{
    TRsTaskList* list = m_request.List;
    const TRsTaskItem* task = list->Items(m_task.Index);
    const TBackupIndexLists& l = m_indexLists;
    const qint64 copies = l.FileNewIndexList.size() + l.FileOverwriteIndexList.size();
    const bool verifying = task->Verifying && !m_request.Test;
    m_itemsTotal = l.DirAttribIndexList.size() + l.DirNewIndexList.size() + l.DirDeleteIndexList.size() + copies +
                   l.FileDeleteIndexList.size() + (verifying ? copies : 0);
    m_bytesTotal = 0;
    if (!m_request.Test) {
        for (const QList<qint32>* indices : {&l.FileNewIndexList, &l.FileOverwriteIndexList}) {
            for (const qint32 i : *indices)
                m_bytesTotal += m_srcList->Items(i).Size();
        }
        if (verifying)
            m_bytesTotal *= 2; // every copy is read again
    }
    auto* worker = new TDoBackupThread(m_srcList, m_dstList, list, m_task.Index, &m_indexLists, &list->LogList,
                                       [this] { return CheckBreakFlag(); }, m_breakFlag,
                                       m_request.Test);
    m_executeWorker = worker;
    StartWorker(worker, TState::Executing, &TRunDriver::DoBackupThreadTerminate, TRunPhase::Execute);
}

void TRunDriver::StartWorker(TTaskWorker* worker, TState state, void (TRunDriver::*done)(), TRunPhase phase)
{
    connect(worker, &TRsThread::linesAdded, this, &TRunDriver::AddWorkerLines);
    // A worker freed meanwhile (by a stop and the next run) never reports; one still held does.
    connect(worker, &TRsThread::done, this, [this, worker, done] {
        if (worker == m_collectWorker || worker == m_executeWorker)
            (this->*done)();
    });
    m_state = state;
    worker->start();
    BeginPhase(phase);
}

void TRunDriver::DoBackupThreadTerminate()
{
    if (m_state != TState::Executing)
        return;
    if (BreakRequested()) {
        TaskStopped();
    } else if (!EndTask() || BreakRequested()) {
        FinishRun();
    } else {
        Continue();
    }
    FlushLines();
}

void TRunDriver::TaskStopped()
{
    AddPaneLine(QString());
    AddLine(FormatLangText(MsgInfoStoppedItem, TaskName()));
    m_task.Stopped = true;
    // A stop ends the run: no further task starts.
    EndTask();
    FinishRun();
}

bool TRunDriver::EndTask()
{
    m_state = TState::Idle;
    TRsTaskList* list = m_request.List;
    if (!BreakRequested()) {
        AddPaneLine(QString());
        AddPaneLine(FormatLangText(MsgInfoFinishedItem, TaskName()));
    }
    WriteRunFooter();

    // What the workers reported: lines after a stop still come, but they no longer count here.
    TRunCounts& counts = m_task.Counts;
    if (m_collectWorker)
        counts.Failed += m_collectWorker->ErrorLineCount();
    if (m_executeWorker) {
        const qint64 failed = m_executeWorker->ErrorLineCount();
        const qint64 reached = m_executeWorker->ItemsDone();
        counts.Failed += failed;
        counts.Done += qMax<qint64>(0, reached - failed);
        counts.Skipped += qMax<qint64>(0, m_itemsTotal - reached);
    }
    m_outcome.Counts += counts;
    m_outcome.PathsMissing += m_task.PathMissing ? 1 : 0;
    m_outcome.TasksRefused += m_task.Refused ? 1 : 0;
    m_outcome.Stopped = m_outcome.Stopped || m_task.Stopped;
    FlushLines();

    bool goOn = true;
    if (list->SaveLog) {
        const QString fileName = list->GetLogFileName(list->AddDateStr);
        m_outcome.LogFileName = fileName;
        QString reason;
        if (!WriteLogFile(fileName, list->LogList, &reason)) {
            // The run ends here: a log that cannot be kept should not grow unseen.
            m_outcome.LogFileError = reason.isEmpty() ? u"?"_s : reason;
            goOn = false;
        }
    }
    Q_EMIT taskFinished(m_task);
    return goOn;
}

void TRunDriver::FinishRun()
{
    if (!m_running)
        return;
    m_state = TState::Idle;
    m_running = false;
    m_progressTimer->stop();
    FlushLines();
    Q_EMIT finished(m_outcome);
}

// ---------------------------------------------------------------------------------------------
// Refusals

bool TRunDriver::RefuseClashingPaths(const TRsTaskItem& task)
{
    // A backup into its own source would copy itself into itself on every run; a mirror of a
    // source inside its destination would delete that source. Such a task is not run.
    const QString* text = nullptr;
    switch (CheckTaskPaths(task)) {
    case TTaskPathClash::tpcNone: return false;
    case TTaskPathClash::tpcSame: text = &LogErrorSamePaths; break;
    case TTaskPathClash::tpcDstInsideSrc: text = &LogErrorDstInsideSrc; break;
    case TTaskPathClash::tpcSrcInsideDst: text = &LogErrorSrcInsideDst; break;
    }
    AddLine(FormatLangText(*text, EscapeTaskPathForLog(task.SrcPath), EscapeTaskPathForLog(task.DstPath)));
    return true;
}

void TRunDriver::GuardEmptySourceDeletions(const TRsTaskItem& task)
{
    // A source that holds nothing at all (a drive that is not mounted looks just like that) would
    // have a mirror empty the whole backup: whoever drives the run is asked; without an answer the
    // deletions are refused. A test deletes nothing and only reports.
    TBackupIndexLists& l = m_indexLists;
    if (m_request.Test || !task.Mirroring || !m_srcList->Findings.baseIsEmpty)
        return;
    if (l.DirDeleteIndexList.isEmpty() && l.FileDeleteIndexList.isEmpty())
        return;
    FlushLines(); // what came before is seen while the question is open
    if (ConfirmEmptySourceDeletions && ConfirmEmptySourceDeletions(task))
        return;
    m_task.Counts.Skipped += l.DirDeleteIndexList.size() + l.FileDeleteIndexList.size();
    m_task.Counts.Failed += 1;
    l.DirDeleteIndexList.clear();
    l.FileDeleteIndexList.clear();
    AddLine(LogErrorEmptySource + u' ' + EscapeTaskPathForLog(task.SrcPath));
}

// ---------------------------------------------------------------------------------------------
// Lines and progress

void TRunDriver::WriteRunHeader(int index)
{
    for (const QString& line : RunHeaderLines(m_request.CommandCaption, *m_request.List, index))
        AddLine(line);
}

void TRunDriver::WriteRunFooter()
{
    for (const QString& line : RunFooterLines())
        AddLine(line);
}

QString TRunDriver::TaskName() const
{
    return TaskLabel + QString::number(m_task.Index);
}

void TRunDriver::AddPaneLine(const QString& line)
{
    m_pendingLines.append(line);
}

void TRunDriver::AddLine(const QString& line)
{
    m_pendingLines.append(line);
    m_request.List->LogList.append(line);
}

void TRunDriver::AddWorkerLines(const QStringList& lines)
{
    m_pendingLines.append(lines);
    FlushLines();
}

void TRunDriver::FlushLines()
{
    if (m_pendingLines.isEmpty())
        return;
    Q_EMIT linesReady(std::exchange(m_pendingLines, {}));
}

TRunProgress TRunDriver::CurrentProgress()
{
    TRunProgress p;
    p.Phase = m_phase;
    p.TaskPosition = m_position;
    p.TaskCount = int(m_request.Tasks.size());
    p.TaskIndex = m_task.Index;
    p.Test = m_request.Test;
    p.SrcEntries = m_srcList->EntriesFound();
    p.DstEntries = m_dstList->EntriesFound();
    if (m_phase == TRunPhase::Collect && m_collectWorker) {
        p.ItemsDone = m_collectWorker->ItemsDone();
        p.ItemsTotal = m_collectWorker->DigestFileCount();
        p.BytesDone = m_collectWorker->BytesDone();
        p.BytesTotal = m_collectWorker->DigestByteCount();
    } else if (m_phase == TRunPhase::Execute && m_executeWorker) {
        p.ItemsDone = m_executeWorker->ItemsDone();
        p.ItemsTotal = m_itemsTotal;
        p.BytesDone = m_executeWorker->BytesDone();
        p.BytesTotal = m_bytesTotal;
    }
    // A file that grew since it was scanned must not show more than all.
    p.ItemsDone = qMin(p.ItemsDone, p.ItemsTotal);
    p.BytesDone = qMin(p.BytesDone, p.BytesTotal);
    p.PhaseSeconds = m_phaseClock.isValid() ? m_phaseClock.elapsed() / 1000.0 : 0.0;
    p.RunSeconds = m_runClock.isValid() ? m_runClock.elapsed() / 1000.0 : 0.0;
    if (p.ItemsTotal > 0 || p.BytesTotal > 0) {
        m_estimator.Update(p.PhaseSeconds, p.ItemsDone, p.ItemsTotal, p.BytesDone, p.BytesTotal);
        p.RemainingSeconds = m_estimator.Remaining();
    }
    return p;
}

// Announced last, once the step is under way: whoever listens may stop the run right away.
void TRunDriver::BeginPhase(TRunPhase phase)
{
    m_phase = phase;
    m_phaseClock.start();
    m_estimator.Reset();
    Q_EMIT phaseStarted(phase);
}

void TRunDriver::SampleProgress()
{
    if (!m_running)
        return;
    m_lastProgress = CurrentProgress();
    Q_EMIT progressChanged(m_lastProgress);
}
