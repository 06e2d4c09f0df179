#pragma once

#include "engine/BackupIndexLists.h"
#include "engine/RemainingTime.h"
#include "engine/RsThread.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class QTimer;
class TCollectBackupInfoThread;
class TDoBackupThread;
class TRsBackupList;
class TRsTaskItem;
class TRsTaskList;
class TTaskWorker;

// What one test or run consists of.
struct TRunRequest
{
    TRsTaskList* List = nullptr;
    // The tasks to run, in order: the enabled tasks of the list, or one task on its own.
    QList<int> Tasks;
    bool Test = false;
    // The caption of the command that started it; the header of each task shows it less its last
    // four characters.
    QString CommandCaption;
};

// Items of a task or a run: carried out (a success line), failed (an error line) and skipped (not
// reached because of a stop, or deletions refused).
struct TRunCounts
{
    qint64 Done = 0;
    qint64 Failed = 0;
    qint64 Skipped = 0;

    TRunCounts& operator+=(const TRunCounts& other);
};

struct TTaskOutcome
{
    int Index = -1;
    TRunCounts Counts;
    bool Stopped = false;
    // The source or the destination directory was missing.
    bool PathMissing = false;
    // The task was not run: its directories nest or are the same.
    bool Refused = false;
};

struct TRunOutcome
{
    TRunCounts Counts;
    int TasksRun = 0;
    int PathsMissing = 0;
    int TasksRefused = 0;
    bool Stopped = false;
    // The log file written last (empty when the list keeps none).
    QString LogFileName;
    // Why that log file could not be written (empty when it was): the run ended there.
    QString LogFileError;

    // Something went wrong: an unattended run exits with 1.
    bool Failed() const;
};

enum class TRunPhase { Scan, Collect, Execute };

// Where a run stands. Items and bytes are those of the current phase of the current task.
struct TRunProgress
{
    TRunPhase Phase = TRunPhase::Scan;
    // Position of the task in the request and its index in the list.
    int TaskPosition = 0;
    int TaskCount = 0;
    int TaskIndex = -1;
    bool Test = false;
    qint64 SrcEntries = 0;
    qint64 DstEntries = 0;
    qint64 ItemsDone = 0;
    qint64 ItemsTotal = 0;
    qint64 BytesDone = 0;
    qint64 BytesTotal = 0;
    // Seconds since the phase began, and still to go (negative while there is no estimate yet).
    double PhaseSeconds = 0;
    double RemainingSeconds = -1;
    // Seconds since the run began.
    double RunSeconds = 0;
};

// A test or run of a task list, or of one task, from the first task's header to the last task's
// log file: both trees scanned side by side, then the collection, then the execution, for each task
// in turn. It owns the two listings, the six index lists and the workers of the task being run.
//
// It is a state machine on the main thread: each step starts a worker and returns; the worker's
// done() moves it on. Nothing waits, so whoever drives it (the window, the unattended run) stays
// responsive and a stop takes effect at once: the task writes its stopped line, its footer and its
// log file right away, while the workers end at their next item (their late lines still reach the
// pane and the run log).
class TRunDriver : public QObject
{
    Q_OBJECT

public:
    // breakFlag is the run's stop flag, owned by the caller (the window's ABreakFlag): every worker
    // reads it, only the main thread writes it.
    explicit TRunDriver(std::atomic<bool>* breakFlag, QObject* parent = nullptr);
    // Stops and frees the workers; says nothing more.
    ~TRunDriver() override;

    // Starts a run and returns once its first step is under way (or, when no task needs a worker, at
    // its end: finished() is then emitted before this returns). Connect before starting.
    void Start(const TRunRequest& request);
    // Sets the stop flag; a task in progress ends at once.
    void Stop();
    bool IsRunning() const { return m_running; }

    // Stops and frees the workers of the last task (before the program quits, or the lists go).
    void StopAndFreeWorkers();

    // Asked between collection and execution when a mirror would delete from its backup although
    // its source holds nothing at all (a drive that is not mounted looks just like that): true lets
    // the deletions go ahead. Unset, they are refused.
    std::function<bool(const TRsTaskItem& task)> ConfirmEmptySourceDeletions;

    TRsBackupList* SrcList() const { return m_srcList; }
    TRsBackupList* DstList() const { return m_dstList; }
    TBackupIndexLists& IndexLists() { return m_indexLists; }
    TCollectBackupInfoThread* CollectWorker() const { return m_collectWorker; }
    TDoBackupThread* ExecuteWorker() const { return m_executeWorker; }
    // The progress as last reported (progressChanged), and as it stands now.
    const TRunProgress& LastProgress() const { return m_lastProgress; }
    TRunProgress CurrentProgress();

Q_SIGNALS:
    // A task begins (before its header): its index in the list.
    void taskStarted(int index);
    // A task's scans, collection or execution begins.
    void phaseStarted(TRunPhase phase);
    // Lines for the log pane, in order and in batches; those meant for the run log are already in
    // the list's LogList.
    void linesReady(const QStringList& lines);
    // At most ten times a second while a task runs.
    void progressChanged(const TRunProgress& progress);
    void taskFinished(const TTaskOutcome& outcome);
    void finished(const TRunOutcome& outcome);

private:
    enum class TState { Idle, Scanning, Collecting, Confirming, Executing };

    // Runs tasks until one needs a worker, or the run is over.
    void Continue();
    // Header, checks and scans of one task; false when it ended without starting a worker.
    bool RunTask(int index);
    // Starts both scans side by side; the collection follows when both have ended.
    void ScanAndCollect(const TRsTaskItem& task);
    void SearchFilesThreadTerminate();
    void CollectBackupInfo();
    void CollectBackupInfoThreadTerminate();
    void ExecuteBackup();
    void DoBackupThreadTerminate();
    // Connects a worker made for the step, starts it and announces the phase.
    void StartWorker(TTaskWorker* worker, TState state, void (TRunDriver::*done)(), TRunPhase phase);
    // The stopped line, then the end of the task.
    void TaskStopped();
    // Finished line (unless stopped), footer, log file; false when the run must end here.
    bool EndTask();
    void FinishRun();

    // Before a task runs: true (with an error line) when its directories do not keep apart.
    bool RefuseClashingPaths(const TRsTaskItem& task);
    // Between collection and execution: the deletions of a mirror whose source is empty.
    void GuardEmptySourceDeletions(const TRsTaskItem& task);

    // Header and footer of the task, to the pane and the run log.
    void WriteRunHeader(int index);
    void WriteRunFooter();
    void AddPaneLine(const QString& line);
    void AddLine(const QString& line);
    void AddWorkerLines(const QStringList& lines);
    void FlushLines();
    void SampleProgress();
    void BeginPhase(TRunPhase phase);
    QString TaskName() const;
    // The stop test of every worker of the run.
    bool CheckBreakFlag() const { return m_breakFlag->load(); }
    bool BreakRequested() const { return CheckBreakFlag(); }

    std::atomic<bool>* m_breakFlag;
    TRsBackupList* m_srcList;
    TRsBackupList* m_dstList;
    TBackupIndexLists m_indexLists;
    TCollectBackupInfoThread* m_collectWorker = nullptr;
    TDoBackupThread* m_executeWorker = nullptr;
    QTimer* m_progressTimer;

    TRunRequest m_request;
    TRunOutcome m_outcome;
    TTaskOutcome m_task;
    bool m_running = false;
    TState m_state = TState::Idle;
    int m_position = 0; // next entry of m_request.Tasks
    QStringList m_pendingLines;

    // Progress of the current phase.
    QElapsedTimer m_runClock;
    QElapsedTimer m_phaseClock;
    TRunPhase m_phase = TRunPhase::Scan;
    qint64 m_itemsTotal = 0;
    qint64 m_bytesTotal = 0;
    TRemainingTimeEstimator m_estimator;
    TRunProgress m_lastProgress;
};
