// Run controller of the main window: test, run and stop of a task list or a task, and the
// command-line run. Everything here runs on the main thread; while a worker runs, the controller
// waits in a nested event loop, so the window stays responsive, the stop commands work and the
// workers' main-thread calls are served.

#include "ui/Main.h"

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/MsgDialog.h"
#include "app/TmkLib.h"
#include "engine/CollectBackupInfoThread.h"
#include "engine/DoBackupThread.h"
#include "engine/RsBackupList.h"
#include "engine/RsFileUtils.h"
#include "engine/TaskPaths.h"
#include "RsUnits/RsGrid.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsTimer.h"
#include "ui/RunLog.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>

#include <exception>

using namespace Qt::StringLiterals;

namespace {

// First images of the run animation in the button strip: eight frames each.
constexpr int TaskListRunFirstFrame = 16;
constexpr int TaskRunFirstFrame = 24;
constexpr int RunFrameCount = 8;

} // namespace

// ---------------------------------------------------------------------------------------------
// Helpers

TRunLog* TMainForm::RunLog()
{
    if (!m_runLog)
        m_runLog = new TRunLog(Memo301, this);
    return m_runLog;
}

bool TMainForm::CheckBreakFlag() const
{
    return ABreakFlag.load();
}

bool TMainForm::ConfirmRunCommand(const QString& text, const QString& item)
{
    // The box itself adds the empty line and the OK/Cancel question of a confirmation.
    return ShowMsgDialog(FormatLangText(text, item), TMsgDlgType::Confirmation, TMsgDlgButtons::OKCancel, this) ==
           TMsgDlgResult::OK;
}

QString TMainForm::TaskText(const QString& srcPath, const QString& dstPath)
{
    return SrcLabel + u": "_s + srcPath + u"\n "_s + DstLabel + u": "_s + dstPath;
}

QString TMainForm::TaskText(const TRsTaskItem* task)
{
    return TaskText(task->SrcPath, task->DstPath);
}

void TMainForm::WriteRunHeader(QAction* command, TRsTaskList* list, int index)
{
    RunLog()->WriteHeader(command ? command->text() : QString(), *list, index);
}

void TMainForm::WriteRunFooter(TRsTaskList* list)
{
    RunLog()->WriteFooter(*list);
}

void TMainForm::BeginRun(QAction* command)
{
    FIsBackupRunning = true;
    m_runFailed = false;
    m_runAborted = false;
    m_runError.clear();
    SetRunControls(command, false);
    StartRunAnimation(command);
}

void TMainForm::EndRun(QAction* command)
{
    FIsBackupRunning = false;
    SetRunControls(command, true);
    StopRunAnimation();
    RunLog()->Flush();
}

void TMainForm::RequestStop()
{
    ABreakFlag = true;
    // The wait wakes at once instead of at its next safety-net tick.
    if (m_runWait)
        m_runWait->Check();
}

void TMainForm::WaitForWorkers(const std::function<bool()>& done, const std::function<void(TRsWaitLoop&)>& wakeOn)
{
    TRsWaitLoop wait([this, &done] { return ABreakFlag.load() || done(); });
    wakeOn(wait);
    TRsWaitLoop* outer = std::exchange(m_runWait, &wait);
    wait.Exec();
    m_runWait = outer;
    // The loop also ends when the application is asked to quit (every event loop ends then, and
    // none can be entered again): treat that as a stop, so nothing else waits.
    if (!ABreakFlag.load() && !done())
        ABreakFlag = true;
    RunLog()->Flush();
}

// ---------------------------------------------------------------------------------------------
// Commands

void TMainForm::RunTaskListTasks(QAction* command, TRsTaskList* list, bool test, bool trackRow)
{
    const TBreakFunction breakFunction = [this] { return CheckBreakFlag(); };
    for (int i = 0; i < list->Count(); ++i) {
        if (!list->Items(i)->Enabled)
            continue;
        Grid201->SetRow(i + 1);
        if (trackRow)
            FCurrentRowIndex = i + 1;
        RunTask(command, list, test, breakFunction, i);
        if (ABreakFlag.load() || m_runAborted)
            break;
    }
}

static void runAlways(QString& error, const std::function<void()>& body, const std::function<void()>& always)
{
    // The closing steps run also when the body fails; the failure is then shown to the user.
    try {
        body();
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        error = u"?"_s;
    }
    always();
    if (!error.isEmpty())
        ShowMsgDialog(std::exchange(error, QString()), TMsgDlgType::Error, TMsgDlgButtons::OK, nullptr);
}

void TMainForm::ActTaskListTestTaskListExecute()
{
    TestOrRunSelectedTaskList(ActTaskListTestTaskList, MsgConfirmTestItem, true);
}

void TMainForm::ActTaskListRunTaskListExecute()
{
    TestOrRunSelectedTaskList(ActTaskListRunTaskList, MsgConfirmRunItem, false);
}

void TMainForm::TestOrRunSelectedTaskList(QAction* command, const QString& confirmText, bool test)
{
    if (FIsBackupRunning || AManager.Count() == 0)
        return;
    Grid101->setFocus();
    TRsTaskList* list = SelectedTaskList();
    if (!list)
        return;
    if (!ConfirmRunCommand(confirmText, list->TaskListName()))
        return;
    runAlways(
        m_runError,
        [&] {
            BeginRun(command);
            Memo301->setFocus();
            RunTaskListTasks(command, list, test, false);
        },
        [&] {
            EndRun(command);
            list->LastRow = Grid201->Row();
            list->LastTopRow = Grid201->TopRow();
            Grid101->setFocus();
        });
}

void TMainForm::ActTaskListStopTaskListExecute()
{
    if (!FIsBackupRunning || AManager.Count() == 0)
        return;
    TRsTaskList* list = SelectedTaskList();
    if (!list)
        return;
    if (ConfirmRunCommand(MsgConfirmStopItem, list->TaskListName()) && FIsBackupRunning)
        RequestStop();
}

void TMainForm::ActTaskTestTaskExecute()
{
    TestOrRunSelectedTask(ActTaskTestTask, MsgConfirmTestItem, true);
}

void TMainForm::ActTaskRunTaskExecute()
{
    TestOrRunSelectedTask(ActTaskRunTask, MsgConfirmRunItem, false);
}

void TMainForm::TestOrRunSelectedTask(QAction* command, const QString& confirmText, bool test)
{
    if (FIsBackupRunning)
        return;
    TRsTaskList* list = SelectedTaskList();
    if (!list || list->Count() == 0)
        return;
    Grid201->setFocus();
    int index = -1;
    TRsTaskItem* task = SelectedTask(&index);
    if (!task)
        return;
    if (!ConfirmRunCommand(confirmText, TaskText(task)))
        return;
    runAlways(
        m_runError,
        [&] {
            BeginRun(command);
            Memo301->setFocus();
            // A single task runs even when it is disabled in its list.
            RunTask(command, list, test, [this] { return CheckBreakFlag(); }, index);
        },
        [&] {
            EndRun(command);
            Grid201->setFocus();
        });
}

void TMainForm::ActTaskStopTaskExecute()
{
    if (!FIsBackupRunning)
        return;
    TRsTaskItem* task = SelectedTask();
    if (!task)
        return;
    if (ConfirmRunCommand(MsgConfirmStopItem, TaskText(task)) && FIsBackupRunning)
        RequestStop();
}

// ---------------------------------------------------------------------------------------------
// One task

void TMainForm::RunTask(QAction* command, TRsTaskList* list, bool test, const TBreakFunction& breakFunction, int index)
{
    ABreakFlag = false;
    TRunLog* log = RunLog();
    const QString taskName = TaskLabel + QString::number(index);
    auto stopped = [&] {
        log->AddPaneLine(QString());
        log->AddLine(FormatLangText(MsgInfoStoppedItem, taskName), list->LogList);
    };

    auto body = [&] {
        WriteRunHeader(command, list, index);
        const TRsTaskItem* task = list->Items(index);
        // Both paths are checked, so the log names every missing one.
        const bool srcFound = IsExistingDirectory(task->SrcPath, true);
        if (!srcFound)
            log->AddLine(FormatLangText(MsgErrorPathNotFound, SrcLabel), list->LogList);
        const bool dstFound = IsExistingDirectory(task->DstPath, true);
        if (!dstFound)
            log->AddLine(FormatLangText(MsgErrorPathNotFound, DstLabel), list->LogList);
        if (!srcFound || !dstFound || RefuseClashingTaskPaths(list, index)) {
            m_runFailed = true;
            stopped();
            return;
        }
        log->AddPaneLine(FormatLangText(MsgInfoCollectItemInfo, taskName));
        ScanAndCollect(list, index, breakFunction);
        if (ABreakFlag.load()) {
            stopped();
            return;
        }
        GuardEmptySourceDeletions(list, index, test);
        log->AddPaneLine(QString());
        log->AddPaneLine(FormatLangText(MsgInfoStartItem, taskName));
        ExecuteBackup(list, index, test, breakFunction);
        if (ABreakFlag.load())
            stopped();
    };

    auto finish = [&] {
        if (ABreakFlag.load())
            m_runFailed = true;
        else {
            log->AddPaneLine(QString());
            log->AddPaneLine(FormatLangText(MsgInfoFinishedItem, taskName));
        }
        WriteRunFooter(list);
        log->Flush();
        if (list->SaveLog) {
            const QString fileName = list->GetLogFileName(list->AddDateStr);
            QString reason;
            if (!WriteLogFile(fileName, list->LogList, &reason)) {
                // The run ends here: a log that cannot be kept should not grow unseen.
                m_runFailed = true;
                m_runAborted = true;
                if (m_runError.isEmpty())
                    m_runError = FormatLangText(MsgErrorOccurredInItem, fileName) + u"\n\n"_s + reason;
            }
        }
    };

    try {
        body();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TMainForm::ScanAndCollect(TRsTaskList* list, int index, const TBreakFunction& breakFunction)
{
    // No worker of an earlier task may still read the lists while they are refilled.
    StopAndFreeThread(FCollectBackupInfoThread);
    StopAndFreeThread(FDoBackupThread);
    IndexLists.Clear();

    const TRsTaskItem* task = list->Items(index);
    FSrcList->LoadFromBasePath(task->SrcPath, task->ExcludedItemList, task->IncludingSubDirs, breakFunction, true);
    // The destination's links are listed, never entered: mirroring must not reach through them.
    FDstList->LoadFromBasePath(task->DstPath, task->ExcludedItemList, task->IncludingSubDirs, breakFunction,
                               false);
    // A directory that vanished since it was checked starts no worker; its list is simply empty.
    auto scanDone = [](const TRsBackupList* l) { return l->SearchFilesDone || !l->SearchFilesThread(); };
    WaitForWorkers([&] { return scanDone(FSrcList) && scanDone(FDstList); },
                   [this](TRsWaitLoop& wait) {
                       wait.WakeOn(FSrcList, &TRsBackupList::searchFilesDone);
                       wait.WakeOn(FDstList, &TRsBackupList::searchFilesDone);
                   });
    if (ABreakFlag.load())
        return;

    TRunLog* log = RunLog();
    log->AddPaneLine(FormatLangText(MsgInfoCollectedItemInfo, SrcLabel));
    log->AddPaneLine(FormatLangText(MsgInfoCollectedItemInfo, DstLabel));

    CollectBackupInfoDone = false;
    StopAndFreeThread(FCollectBackupInfoThread);
    auto* worker = new TCollectBackupInfoThread(FSrcList, FDstList, list, index, &IndexLists, &list->LogList,
                                                breakFunction);
    FCollectBackupInfoThread = worker;
    worker->OnTerminate = [this] { CollectBackupInfoThreadTerminate(); };
    connect(worker, &TRsThread::linesAdded, log, &TRunLog::AddPaneLines);
    connect(worker, &TRsThread::done, this, [this] { CollectBackupInfoDone = true; });
    // Quitting may free the worker during the wait: only the field, cleared at once, is trusted.
    WaitForWorkers(
        [this] {
            return CollectBackupInfoDone || !FCollectBackupInfoThread || FCollectBackupInfoThread->Finished();
        },
        [worker](TRsWaitLoop& wait) {
            wait.WakeOn(worker, &TRsThread::done);
            wait.WakeOn(worker, &QThread::finished);
        });
    if (FCollectBackupInfoThread && FCollectBackupInfoThread->ErrorLineCount() > 0)
        m_runFailed = true;
}

void TMainForm::ExecuteBackup(TRsTaskList* list, int index, bool test, const TBreakFunction& breakFunction)
{
    DoBackupDone = false;
    StopAndFreeThread(FDoBackupThread);
    auto* worker = new TDoBackupThread(FSrcList, FDstList, list, index, &IndexLists, &list->LogList, breakFunction,
                                       &ABreakFlag, test);
    FDoBackupThread = worker;
    worker->OnTerminate = [this] { DoBackupThreadTerminate(); };
    connect(worker, &TRsThread::linesAdded, RunLog(), &TRunLog::AddPaneLines);
    connect(worker, &TRsThread::done, this, [this] { DoBackupDone = true; });
    WaitForWorkers([this] { return DoBackupDone || !FDoBackupThread || FDoBackupThread->Finished(); },
                   [worker](TRsWaitLoop& wait) {
                       wait.WakeOn(worker, &TRsThread::done);
                       wait.WakeOn(worker, &QThread::finished);
                   });
    if (FDoBackupThread && FDoBackupThread->ErrorLineCount() > 0)
        m_runFailed = true;
}

bool TMainForm::RefuseClashingTaskPaths(TRsTaskList* list, int index)
{
    // A backup into its own source would copy itself into itself on every run; a mirror of a
    // source inside its destination would delete that source. Such a task is not run.
    const TRsTaskItem* task = list->Items(index);
    const QString* text = nullptr;
    switch (CheckTaskPaths(*task)) {
    case TTaskPathClash::tpcNone: return false;
    case TTaskPathClash::tpcSame: text = &LogErrorSamePaths; break;
    case TTaskPathClash::tpcDstInsideSrc: text = &LogErrorDstInsideSrc; break;
    case TTaskPathClash::tpcSrcInsideDst: text = &LogErrorSrcInsideDst; break;
    }
    RunLog()->AddLine(FormatLangText(*text, task->SrcPath, task->DstPath), list->LogList);
    return true;
}

void TMainForm::GuardEmptySourceDeletions(TRsTaskList* list, int index, bool test)
{
    // A source that holds nothing at all (a drive that is not mounted looks just like that) would
    // have a mirror empty the whole backup: an interactive run asks first, an unattended one
    // refuses. A test deletes nothing and only reports.
    const TRsTaskItem* task = list->Items(index);
    if (test || !task->Mirroring || !FSrcList->Findings.baseIsEmpty)
        return;
    if (IndexLists.DirDeleteIndexList.isEmpty() && IndexLists.FileDeleteIndexList.isEmpty())
        return;
    if (!SilentRun
        && ShowMsgDialog(FormatLangText(MsgConfirmEmptySource, task->SrcPath), TMsgDlgType::Confirmation,
                         TMsgDlgButtons::OKCancel, this) == TMsgDlgResult::OK)
        return;
    IndexLists.DirDeleteIndexList.clear();
    IndexLists.FileDeleteIndexList.clear();
    RunLog()->AddLine(LogErrorEmptySource + u' ' + task->SrcPath, list->LogList);
    m_runFailed = true;
}

void TMainForm::CollectBackupInfoThreadTerminate()
{
    CollectBackupInfoDone = true;
}

void TMainForm::DoBackupThreadTerminate()
{
    DoBackupDone = true;
}

// ---------------------------------------------------------------------------------------------
// Controls and animation

void TMainForm::SetRunControls(QAction* command, bool enabled)
{
    TopPanel->setEnabled(enabled);
    for (QAction* action :
         {ActTaskListAddTaskList, ActTaskListDeleteTaskList, ActTaskListConfigTaskList, ActTaskListTestTaskList,
          ActTaskListRunTaskList, ActTaskListStopTaskList, ActTaskListMoveTaskListUpward,
          ActTaskListMoveTaskListDownward, ActTaskAddTask, ActTaskDeleteTask, ActTaskConfigTask, ActTaskTestTask,
          ActTaskRunTask, ActTaskStopTask, ActTaskMoveTaskUpward, ActTaskMoveTaskDownward})
        action->setEnabled(enabled);
    if (enabled)
        return;
    // The stop command of the kind being run stays available.
    if (command == ActTaskListTestTaskList || command == ActTaskListRunTaskList)
        ActTaskListStopTaskList->setEnabled(true);
    else if (command == ActTaskTestTask || command == ActTaskRunTask)
        ActTaskStopTask->setEnabled(true);
}

void TMainForm::StartRunAnimation(QAction* command)
{
    if (Timer1->Enabled())
        return;
    FFrameIndex = (command == ActTaskTestTask || command == ActTaskRunTask) ? TaskRunFirstFrame
                                                                            : TaskListRunFirstFrame;
    FFrameCount = 0;
    Timer1->SetEnabled(true);
}

void TMainForm::Timer1Timer()
{
    const int image = FFrameIndex + FFrameCount;
    if (image < PngImageList24->Count())
        Image001->setPixmap(PngImageList24->Pixmap(image, Image001->devicePixelRatioF()));
    if (++FFrameCount >= RunFrameCount)
        FFrameCount = 0;
}

void TMainForm::StopRunAnimation()
{
    Timer1->SetEnabled(false);
    Image001->clear();
}

// ---------------------------------------------------------------------------------------------
// Command-line run

void TMainForm::RunCommandLineTaskList(const QString& name, QAction* command)
{
    Q_UNUSED(name); // the main window found the list by this name; its index is what counts
    if (CommandLineTaskListIndex < 0 || CommandLineTaskListIndex >= AManager.Count())
        return;
    TRsTaskList* list = AManager.Items(CommandLineTaskListIndex);
    Grid101->SetRow(CommandLineTaskListIndex + 1);
    if (!SilentRun)
        Grid101->setFocus();
    runAlways(
        m_runError,
        [&] {
            BeginRun(command);
            if (!SilentRun)
                Memo301->setFocus();
            RunTaskListTasks(command, list, false, true);
        },
        [&] {
            EndRun(command);
            list->LastRow = Grid201->Row();
            list->LastTopRow = Grid201->TopRow();
            if (!SilentRun)
                Grid101->setFocus();
            // An unattended run reports through its exit status: 1 when an item failed, a path was
            // missing, the run was stopped or its log could not be written.
            m_exitStatus = m_runFailed || !m_runError.isEmpty() ? 1 : 0;
        });
}
