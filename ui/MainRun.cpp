// Run controller of the main window: test, run and stop of a task list or a task, and the
// command-line run. The run itself is the run driver's; the window asks for confirmation, disables
// its controls, starts the animation and the driver, shows what the driver reports (lines, progress)
// and puts everything back when the driver says that the run has ended. Nothing here waits: the
// window stays responsive and a stop takes effect at once.

#include "ui/Main.h"

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/MsgDialog.h"
#include "app/TmkLib.h"
#include "engine/RunDriver.h"
#include "engine/RunProgressText.h"
#include "RsUnits/RsGrid.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsTimer.h"
#include "ui/RunLog.h"
#include "ui/RunProgressView.h"

#include <QAction>
#include <QLabel>

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

void TMainForm::CreateRunDriver()
{
    m_runDriver = new TRunDriver(&ABreakFlag, this);
    FSrcList = m_runDriver->SrcList();
    FDstList = m_runDriver->DstList();
    connect(m_runDriver, &TRunDriver::taskStarted, this, &TMainForm::RunTaskStarted);
    connect(m_runDriver, &TRunDriver::linesReady, this, [this](const QStringList& lines) { RunLog()->AddPaneLines(lines); });
    connect(m_runDriver, &TRunDriver::progressChanged, this, &TMainForm::ShowRunProgress);
    connect(m_runDriver, &TRunDriver::finished, this, &TMainForm::RunFinished);
    // A mirror of an empty source asks before it empties the backup; unattended, nobody can answer.
    m_runDriver->ConfirmEmptySourceDeletions = [this](const TRsTaskItem& task) {
        return !SilentRun && ShowMsgDialog(FormatLangText(MsgConfirmEmptySource, task.SrcPath), TMsgDlgType::Confirmation,
                                           TMsgDlgButtons::OKCancel, this) == TMsgDlgResult::OK;
    };
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

void TMainForm::RequestStop()
{
    m_runDriver->Stop();
}

TRunDriver* TMainForm::RunDriver() const
{
    return m_runDriver;
}

// ---------------------------------------------------------------------------------------------
// Start and end of a run

void TMainForm::StartRun(QAction* command, TRsTaskList* list, const QList<int>& tasks, bool test, TRunKind kind)
{
    m_runCommand = command;
    m_runList = list;
    m_runKind = kind;
    FIsBackupRunning = true;
    SetRunControls(command, false);
    StartRunAnimation(command);
    Progress001->Start();
    if (kind != TRunKind::CommandLine || !SilentRun)
        Memo301->setFocus();
    try {
        // Returns once the first task's scans run, or at the end of a run that needed no worker.
        m_runDriver->Start({list, tasks, test, command->text()});
    } catch (const std::exception& e) {
        // The closing steps still run; the failure is then shown to the user.
        const QString error = QString::fromLocal8Bit(e.what());
        m_runDriver->StopAndFreeWorkers();
        if (FIsBackupRunning)
            RunFinished(TRunOutcome());
        ShowMsgDialog(error, TMsgDlgType::Error, TMsgDlgButtons::OK, nullptr);
    }
}

void TMainForm::RunTaskStarted(int index)
{
    // The task grid follows the running task.
    Grid201->SetRow(index + 1);
    if (m_runKind == TRunKind::CommandLine)
        FCurrentRowIndex = index + 1;
}

void TMainForm::ShowRunProgress(const TRunProgress& progress)
{
    Progress001->SetProgress(RunProgressFraction(progress), RunProgressText(progress));
    RenewTrayHint();
}

void TMainForm::RunFinished(const TRunOutcome& outcome)
{
    FIsBackupRunning = false;
    SetRunControls(m_runCommand, true);
    StopRunAnimation();
    RunLog()->Flush();
    Progress001->Finish(RunSummaryText(outcome, m_runDriver->LastProgress().RunSeconds));
    TRsTaskList* list = m_runList;
    switch (m_runKind) {
    case TRunKind::TaskList:
        list->LastRow = Grid201->Row();
        list->LastTopRow = Grid201->TopRow();
        Grid101->setFocus();
        break;
    case TRunKind::Task:
        Grid201->setFocus();
        break;
    case TRunKind::CommandLine:
        list->LastRow = Grid201->Row();
        list->LastTopRow = Grid201->TopRow();
        if (!SilentRun)
            Grid101->setFocus();
        // An unattended run reports through its exit status: 1 when an item failed, a path was
        // missing, the run was stopped or its log could not be written.
        m_exitStatus = outcome.Failed() ? 1 : 0;
        break;
    }
    if (!outcome.LogFileError.isEmpty())
        ShowMsgDialog(FormatLangText(MsgErrorOccurredInItem, outcome.LogFileName) + u"\n\n"_s + outcome.LogFileError,
                      TMsgDlgType::Error, TMsgDlgButtons::OK, nullptr);
    Q_EMIT runFinished();
    if (m_runKind == TRunKind::CommandLine)
        CommandLineRunFinished();
}

// ---------------------------------------------------------------------------------------------
// Commands

void TMainForm::RunTaskListTasks(QAction* command, TRsTaskList* list, bool test, TRunKind kind)
{
    QList<int> tasks;
    for (int i = 0; i < list->Count(); ++i) {
        if (list->Items(i)->Enabled)
            tasks.append(i);
    }
    StartRun(command, list, tasks, test, kind);
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
    if (!ConfirmRunCommand(confirmText, list->TaskListName()) || FIsBackupRunning)
        return;
    RunTaskListTasks(command, list, test, TRunKind::TaskList);
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
    if (!ConfirmRunCommand(confirmText, TaskText(task)) || FIsBackupRunning)
        return;
    RunTask(command, list, test, index);
}

void TMainForm::RunTask(QAction* command, TRsTaskList* list, bool test, int index)
{
    // A single task runs even when it is disabled in its list.
    StartRun(command, list, {index}, test, TRunKind::Task);
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
    if (FIsBackupRunning || CommandLineTaskListIndex < 0 || CommandLineTaskListIndex >= AManager.Count()) {
        CommandLineRunFinished();
        return;
    }
    TRsTaskList* list = AManager.Items(CommandLineTaskListIndex);
    Grid101->SetRow(CommandLineTaskListIndex + 1);
    if (!SilentRun)
        Grid101->setFocus();
    RunTaskListTasks(command, list, false, TRunKind::CommandLine);
}

void TMainForm::CommandLineRunFinished()
{
    if (SilentRun) {
        // The silent run quits with the run's exit status once it has ended.
        EndSilentRunTray();
        if (!m_quitting)
            ActFileQuitExecute();
        return;
    }
    // A start-up run happens once; the window then goes on as after an ordinary start.
    CommandLineRun = false;
    CommandLineTaskListName.clear();
}
